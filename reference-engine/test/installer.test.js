'use strict';

const assert = require('node:assert/strict');
const fs = require('fs');
const path = require('path');
const { test } = require('node:test');

const common = require('../lib/common');
const { ENGINE_SRC, tempDir, freePort, run, request, killEngine } = require('../test-support/helpers');

const PREFIX = 'PELLORA_PROGRESS_V1:';

async function buildPayload(t, version) {
  const out = path.join(tempDir(t), 'engine-payload');
  const args = [path.join(ENGINE_SRC, 'build-payload.sh'), out];
  if (version) args.push('--version', version);
  const res = await run('bash', args);
  assert.equal(res.status, 0, res.stderr);
  return out;
}

// Unpacks a payload the way the desktop application does: extract into a staging
// directory and take the first directory inside as the release.
async function unpack(t, payload) {
  const staging = tempDir(t, 'pellora-engine-sync-');
  const extracted = path.join(staging, 'extracted');
  fs.mkdirSync(extracted);
  const res = await run('/usr/bin/tar', ['xzf', path.join(payload, 'engine-payload-arm64.tar.gz'), '-C', extracted]);
  assert.equal(res.status, 0, res.stderr);
  const release = fs.readdirSync(extracted, { withFileTypes: true }).find((e) => e.isDirectory());
  return { extracted, release: path.join(extracted, release.name) };
}

function progressLines(stdout) {
  return stdout.split('\n').filter((l) => l.startsWith(PREFIX)).map((l) => l.slice(PREFIX.length));
}

async function installer(release, args, env = {}) {
  return run(path.join(release, 'install.sh'), args, { env: { PELLORA_SPLASH_PROGRESS: '1', ...env } });
}

test('the payload holds one release directory with an executable installer, plus the installer and version beside it', async (t) => {
  const payload = await buildPayload(t, '2.0.0-beta.1');
  assert.deepEqual(fs.readdirSync(payload).sort(), ['engine-payload-arm64.tar.gz', 'engine-payload-version.txt', 'install.sh']);
  assert.equal(fs.readFileSync(path.join(payload, 'engine-payload-version.txt'), 'utf8').trim(), '2.0.0-beta.1');
  assert.ok(fs.statSync(path.join(payload, 'install.sh')).mode & 0o100);

  const listing = (await run('/usr/bin/tar', ['tzf', path.join(payload, 'engine-payload-arm64.tar.gz')])).stdout.trim().split('\n');
  assert.deepEqual([...new Set(listing.map((p) => p.split('/')[0]))], ['pellora-engine-2.0.0-beta.1']);
  assert.ok(!listing.some((p) => p.includes('/test/')), 'tests are not shipped');

  const { release } = await unpack(t, payload);
  assert.ok(fs.statSync(path.join(release, 'install.sh')).mode & 0o100);
  assert.equal(fs.readFileSync(path.join(release, 'VERSION'), 'utf8').trim(), '2.0.0-beta.1');

  for (const args of [[], ['a', 'b'], ['out', '--version'], ['out', '--version', 'a b']]) {
    assert.equal((await run('bash', [path.join(ENGINE_SRC, 'build-payload.sh'), ...args])).status, 2, args.join(' '));
  }
});

test('first install and upgrade report their phases, keep user data and leave a working Engine', async (t) => {
  const home = tempDir(t);
  const env = { HOME: home };
  const target = path.join(tempDir(t), 'pellora');
  const port = await freePort();

  const v1 = await unpack(t, await buildPayload(t, '1.4.0-beta.2'));
  const first = await installer(v1.release, ['--no-launchd', '--dir', target], env);
  assert.equal(first.status, 0, first.stderr);
  assert.deepEqual(progressLines(first.stdout), ['installing', 'components', 'initializing']);
  assert.equal(fs.readFileSync(path.join(target, 'VERSION'), 'utf8').trim(), '1.4.0-beta.2');
  assert.equal(common.readPort(target), 9700, 'a new installation listens on the default port');
  assert.deepEqual(common.findProcesses(target, 'server.js'), [], '--no-launchd leaves the Engine stopped');

  // User data and settings that an upgrade must keep.
  fs.writeFileSync(path.join(target, '.env'), `# mine\nPORT=${port}\nEXTRA=1\n`);
  fs.writeFileSync(path.join(target, 'data/files/mine.txt'), 'precious');
  const engine = { dir: target };
  t.after(() => killEngine(engine));
  const started = await run(path.join(target, 'bin/pellora'), ['start'], { env });
  assert.equal(started.status, 0, started.stderr);

  const v2 = await unpack(t, await buildPayload(t, '1.4.0'));
  const upgrade = await installer(v2.release, ['--no-launchd', '--upgrade', '--dir', target, '--_tmp', v2.extracted], env);
  assert.equal(upgrade.status, 0, upgrade.stderr);
  assert.deepEqual(progressLines(upgrade.stdout), ['backup', 'installing', 'components', 'initializing']);
  assert.equal(fs.readFileSync(path.join(target, 'VERSION'), 'utf8').trim(), '1.4.0');
  assert.equal(fs.readFileSync(path.join(target, '.env'), 'utf8'), `# mine\nPORT=${port}\nEXTRA=1\n`);
  assert.equal(fs.readFileSync(path.join(target, 'data/files/mine.txt'), 'utf8'), 'precious');
  assert.deepEqual(fs.readdirSync(v2.extracted), [path.basename(v2.release)], 'the backup is cleaned up');
  assert.deepEqual(common.findProcesses(target, 'server.js'), [], 'the old Engine was stopped for the upgrade');

  const again = await run(path.join(target, 'bin/pellora'), ['start'], { env });
  assert.equal(again.status, 0, again.stderr);
  const hs = await request(`http://127.0.0.1:${port}/api/pellora/desktop/handshake`);
  assert.equal(hs.json.version, '1.4.0');
});

test('a failing upgrade restores the previous version and a failing first install leaves no VERSION', async (t) => {
  const target = path.join(tempDir(t), 'pellora');
  const env = { HOME: tempDir(t) };
  const v1 = await unpack(t, await buildPayload(t, '1.0.0'));
  assert.equal((await installer(v1.release, ['--no-launchd', '--dir', target], env)).status, 0);

  const v2 = await unpack(t, await buildPayload(t, '1.1.0'));
  const failed = await installer(v2.release, ['--no-launchd', '--upgrade', '--dir', target, '--_tmp', v2.extracted], {
    ...env,
    PELLORA_TEST_INSTALL_FAIL: 'initializing',
    PELLORA_TEST_INSTALL_EXIT: '3',
  });
  assert.equal(failed.status, 3);
  assert.deepEqual(progressLines(failed.stdout), ['backup', 'installing', 'components', 'initializing', 'restoring']);
  assert.match(failed.stderr, /failed during initializing/);
  assert.equal(fs.readFileSync(path.join(target, 'VERSION'), 'utf8').trim(), '1.0.0');
  assert.ok(fs.existsSync(path.join(target, 'bin/pellora')));
  assert.ok(fs.existsSync(path.join(target, 'runtime/node')));

  const fresh = path.join(tempDir(t), 'pellora');
  const firstFailed = await installer(v1.release, ['--no-launchd', '--dir', fresh], { ...env, PELLORA_TEST_INSTALL_FAIL: 'components' });
  assert.equal(firstFailed.status, 1);
  assert.ok(!fs.existsSync(path.join(fresh, 'VERSION')));
  assert.ok(!fs.existsSync(path.join(fresh, 'bin/pellora')));
});

test('installer output, warnings, start and argument errors', async (t) => {
  const { release } = await unpack(t, await buildPayload(t));
  const home = tempDir(t);

  const quiet = await run(path.join(release, 'install.sh'), ['--no-launchd', '--dir', path.join(tempDir(t), 'a')], {
    env: { HOME: home, PELLORA_SPLASH_PROGRESS: '0' },
  });
  assert.equal(quiet.status, 0, quiet.stderr);
  assert.deepEqual(progressLines(quiet.stdout), [], 'no progress lines unless asked for');

  const warned = await installer(release, ['--no-launchd', '--dir', path.join(tempDir(t), 'b')], {
    HOME: home,
    PELLORA_TEST_INSTALL_COMPONENT_WARNING: '1',
  });
  assert.equal(warned.status, 0);
  assert.deepEqual(progressLines(warned.stdout), ['installing', 'components', 'componentWarning', 'initializing']);

  // Without --no-launchd the installer starts the Engine itself.
  const port = await freePort();
  const dir = path.join(tempDir(t), 'c');
  t.after(() => killEngine({ dir }));
  const launched = await installer(release, ['--dir', dir, '--port', String(port)], { HOME: home });
  assert.equal(launched.status, 0, launched.stderr);
  assert.deepEqual(progressLines(launched.stdout), ['installing', 'components', 'initializing', 'starting']);
  assert.equal((await request(`http://127.0.0.1:${port}/api/pellora/system/liveness`)).status, 200);

  for (const args of [['--bogus'], ['--dir'], ['--_tmp'], ['--port', '0'], ['--port', 'abc'], ['--dir', release]]) {
    const res = await installer(release, args, { HOME: home });
    assert.equal(res.status, 2, args.join(' '));
    assert.notEqual(res.stderr, '');
  }
});
