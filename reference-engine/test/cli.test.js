'use strict';

const assert = require('node:assert/strict');
const fs = require('fs');
const path = require('path');
const { test } = require('node:test');

const common = require('../lib/common');
const { installEngine, request, waitFor, run } = require('../test-support/helpers');

function cmdline(pid) {
  return fs.readFileSync(`/proc/${pid}/cmdline`, 'utf8').split('\0').filter(Boolean);
}

test('start launches server and scheduler from the installation, is idempotent, and stop ends both', async (t) => {
  const engine = await installEngine(t);
  const first = await engine.cli(['start']);
  assert.equal(first.status, 0, first.stderr);

  const procs = engine.processes();
  assert.equal(procs.server.length, 1);
  assert.equal(procs.scheduler.length, 1);
  // Process discovery looks for "<dir>/runtime/node" followed by the script name.
  assert.deepEqual(cmdline(procs.server[0]), [path.join(engine.dir, 'runtime/node'), path.join(engine.dir, 'server.js')]);
  assert.deepEqual(cmdline(procs.scheduler[0]), [path.join(engine.dir, 'runtime/node'), path.join(engine.dir, 'scheduler.js')]);
  assert.equal(fs.readlinkSync(`/proc/${procs.server[0]}/exe`), path.join(engine.dir, 'runtime/node'));

  const live = await request(engine.url('/api/pellora/system/liveness'));
  assert.equal(live.status, 200);

  const again = await engine.cli(['start']);
  assert.equal(again.status, 0, again.stderr);
  assert.deepEqual(engine.processes(), procs, 'a second start must not launch more processes');

  const stop = await engine.cli(['stop']);
  assert.equal(stop.status, 0, stop.stderr);
  assert.deepEqual(engine.processes(), { server: [], scheduler: [] });
  await assert.rejects(request(engine.url('/api/pellora/system/liveness'), { timeoutMs: 1000 }));

  const stopAgain = await engine.cli(['stop']);
  assert.equal(stopAgain.status, 0, 'stopping a stopped Engine succeeds');
});

test('start reports a server that cannot listen', async (t) => {
  const engine = await installEngine(t);
  const blocker = require('net').createServer().listen(engine.port, '127.0.0.1');
  t.after(() => blocker.close());
  await new Promise((r) => blocker.once('listening', r));
  const res = await engine.cli(['start']);
  assert.equal(res.status, 1);
  assert.match(res.stderr, /cannot listen/);
  await waitFor(() => engine.processes().scheduler.length === 0, 3000);
});

test('admin commands print one JSON object and reject malformed arguments', async (t) => {
  const engine = await installEngine(t);
  const fingerprint = 'a'.repeat(64);

  const grant = await engine.cli(['admin', 'local-desktop-grant', '--name', 'Studio Mac']);
  assert.equal(grant.status, 0, grant.stderr);
  const g = JSON.parse(grant.stdout);
  assert.equal(g.ok, true);
  assert.equal(g.grant.name, 'Studio Mac');
  assert.match(g.grant.token, /^[A-Za-z0-9_-]{20,}$/);

  const unnamed = JSON.parse((await engine.cli(['admin', 'local-desktop-grant'])).stdout);
  assert.equal(unnamed.grant.name, 'Pellora Desktop');

  const folder = await engine.cli(['admin', 'local-folder-grant', fingerprint]);
  assert.equal(folder.status, 0, folder.stderr);
  assert.deepEqual(
    (({ ok, fingerprint: f, already_granted: a }) => ({ ok, f, a }))(JSON.parse(folder.stdout)),
    { ok: true, f: fingerprint, a: false },
  );
  assert.equal(JSON.parse((await engine.cli(['admin', 'local-folder-grant', fingerprint])).stdout).already_granted, true);

  const reset = await engine.cli(['admin', 'reset-token', '--new', '--email', 'ada@example.com', '--json']);
  assert.equal(reset.status, 0, reset.stderr);
  const r = JSON.parse(reset.stdout);
  assert.equal(r.ok, true);
  assert.equal(r.email, 'ada@example.com');
  assert.equal(reset.stdout.trim().split('\n').length, 1, 'exactly one line of JSON');

  // Grants are stored without their secrets.
  const stored = fs.readFileSync(path.join(engine.dir, 'data/grants.json'), 'utf8');
  assert.ok(!stored.includes(g.grant.token));
  assert.ok(!stored.includes(r.token));
  assert.equal((fs.statSync(path.join(engine.dir, 'data/grants.json')).mode & 0o777), 0o600);

  const bad = [
    [['admin'], /sub-command/],
    [['admin', 'frobnicate'], /unknown admin sub-command/],
    [['admin', 'local-desktop-grant', '--name'], /needs a value/],
    [['admin', 'local-desktop-grant', '--name', 'x'.repeat(101)], /1 to 100/],
    [['admin', 'local-desktop-grant', '--name', ''], /1 to 100/],
    [['admin', 'local-desktop-grant', '--colour', 'red'], /unknown option/],
    [['admin', 'local-folder-grant'], /needs a folder fingerprint/],
    [['admin', 'local-folder-grant', 'A'.repeat(64)], /64 lower-case/],
    [['admin', 'local-folder-grant', fingerprint, 'extra'], /unexpected argument/],
    [['admin', 'reset-token', '--email', 'ada@example.com', '--json'], /needs --new/],
    [['admin', 'reset-token', '--new', '--json'], /needs --email/],
    [['admin', 'reset-token', '--new', '--email', 'not-an-email', '--json'], /invalid email/],
    [['launch'], /unknown command/],
    [['start', '--now'], /unknown option/],
  ];
  for (const [args, message] of bad) {
    const res = await engine.cli(args);
    assert.notEqual(res.status, 0, `${args.join(' ')} must fail`);
    assert.match(res.stderr, message, args.join(' '));
    assert.equal(res.stdout, '', `${args.join(' ')} prints nothing on standard output`);
  }
});

test('uninstall keeps user data with --yes and removes everything with --purge', async (t) => {
  const engine = await installEngine(t);
  await engine.start();
  const keyFile = path.join(engine.home, 'Library/Application Support/Pellora/desktop-browser-bridge', `${engine.port}.key`);
  assert.ok(fs.existsSync(keyFile));

  const refused = await engine.cli(['uninstall', '--yes']);
  assert.equal(refused.status, 1, 'a running Engine needs --force');
  assert.match(refused.stderr, /--force/);

  for (const [args, message] of [
    [['uninstall'], /needs --yes/],
    [['uninstall', '--purge', '--force'], /--confirm-data-loss/],
    [['uninstall', '--yes', '--confirm-data-loss'], /only goes with --purge/],
  ]) {
    const res = await engine.cli(args);
    assert.equal(res.status, 2, args.join(' '));
    assert.match(res.stderr, message);
  }
  assert.ok(fs.existsSync(path.join(engine.dir, 'bin/pellora')), 'refused uninstalls change nothing');

  // Keep the tool around: the uninstall removes it from the installation.
  const tool = path.join(engine.root, 'pellora-tool');
  fs.cpSync(engine.dir, tool, { recursive: true });
  const res = await engine.cli(['uninstall', '--yes', '--force']);
  assert.equal(res.status, 0, res.stderr);
  assert.deepEqual(engine.processes(), { server: [], scheduler: [] });
  assert.deepEqual(fs.readdirSync(engine.dir).sort(), ['.env', 'data']);
  assert.ok(fs.existsSync(path.join(engine.dir, 'data/files/Welcome.md')));
  assert.ok(!fs.existsSync(keyFile));

  // Purge through a copy of the tool pointed at the remaining directory.
  const purge = await run(path.join(tool, 'runtime/node'), [path.join(tool, 'lib/cli.js'), 'uninstall', '--purge', '--confirm-data-loss', '--force'], {
    env: { ...engine.env, PELLORA_DIR: engine.dir },
  });
  assert.equal(purge.status, 0, purge.stderr);
  assert.ok(!fs.existsSync(engine.dir));
});

test('start and stop switches make the tool fail, hang or do nothing', async (t) => {
  const engine = await installEngine(t);

  engine.setSwitches({ start_mode: 'fail' });
  const failed = await engine.cli(['start']);
  assert.equal(failed.status, 1);
  assert.match(failed.stderr, /start failed/);
  assert.deepEqual(engine.processes(), { server: [], scheduler: [] });

  engine.setSwitches({ start_mode: 'hang' });
  const hung = await engine.cli(['start'], { timeoutMs: 1500 });
  assert.equal(hung.timedOut, true);

  engine.setSwitches({ start_mode: 'launch_then_hang' });
  const launchedThenHung = await engine.cli(['start'], { timeoutMs: 2000 });
  assert.equal(launchedThenHung.timedOut, true);
  assert.equal(engine.processes().server.length, 1, 'the server was launched before the hang');

  engine.setSwitches({ stop_mode: 'ignore' });
  const ignored = await engine.cli(['stop']);
  assert.equal(ignored.status, 0);
  assert.equal(engine.processes().server.length, 1, 'the Engine keeps running');

  engine.setSwitches({ stop_mode: 'fail' });
  const stopFailed = await engine.cli(['stop']);
  assert.equal(stopFailed.status, 1);
  assert.match(stopFailed.stderr, /stop failed/);

  engine.setSwitches({ stop_mode: 'hang' });
  assert.equal((await engine.cli(['stop'], { timeoutMs: 1500 })).timedOut, true);

  engine.setSwitches({ admin_mode: 'fail' });
  const adminFailed = await engine.cli(['admin', 'local-desktop-grant']);
  assert.equal(adminFailed.status, 1);
  assert.match(adminFailed.stderr, /failed/);
  engine.setSwitches({ admin_mode: 'bad_json' });
  const badJson = await engine.cli(['admin', 'local-folder-grant', 'b'.repeat(64)]);
  assert.equal(badJson.status, 0);
  assert.throws(() => JSON.parse(badJson.stdout));

  // A server that ignores SIGTERM is still ended by the tool.
  engine.setSwitches({ ignore_sigterm: true });
  const forced = await engine.cli(['stop']);
  assert.equal(forced.status, 0, forced.stderr);
  await waitFor(() => engine.processes().server.length === 0);
});

test('the same installation reached through a symbolic link is one Engine', async (t) => {
  const engine = await installEngine(t);
  const alias = path.join(engine.root, 'alias');
  fs.symlinkSync(engine.dir, alias);
  const viaAlias = await run(path.join(alias, 'bin/pellora'), ['start'], { env: engine.env });
  assert.equal(viaAlias.status, 0, viaAlias.stderr);
  assert.equal(common.findProcesses(alias, 'server.js').length, 1, 'the command line carries the path the tool was called by');
  assert.equal(common.findProcesses(engine.dir, 'server.js').length, 0);

  const direct = await engine.cli(['start']);
  assert.match(direct.stdout, /Server already running/);
  const stop = await engine.cli(['stop']);
  assert.equal(stop.status, 0, stop.stderr);
  const status = JSON.parse((await run(path.join(alias, 'bin/pellora'), ['status'], { env: engine.env })).stdout);
  assert.deepEqual([status.server, status.scheduler], [[], []]);
});

test('process discovery by pattern finds the Engine in a directory with special characters', async (t) => {
  const engine = await installEngine(t, { name: 'My Engine (beta)+1' });
  await engine.start();
  // The desktop application escapes these characters and matches with pgrep -f.
  const escaped = engine.dir.replace(/[[\]\\.*^$+?(){}|/]/g, (c) => `\\${c}`);
  for (const [script, pids] of [['server', engine.processes().server], ['scheduler', engine.processes().scheduler]]) {
    const res = await run('/usr/bin/pgrep', ['-f', `${escaped}/runtime/node .*${script}\\.js`]);
    assert.deepEqual(res.stdout.trim().split('\n').map(Number), pids, script);
  }
  assert.equal((await request(engine.url('/api/pellora/system/liveness'))).status, 200);
});
