'use strict';
// The `pellora` tool: start and stop the Engine, remove it, and issue local admin grants.
// Exit status 0 means success; on failure a message goes to standard error. The admin
// commands print exactly one JSON object on standard output.

const crypto = require('crypto');
const fs = require('fs');
const path = require('path');
const { spawn } = require('child_process');

const common = require('./common');
const { Store } = require('./store');

const dir = common.installDirFromEnv();
const P = common.paths(dir);

const USAGE = `Usage: pellora <command> [options]

Commands:
  start                                   start the server and the scheduler (no-op when running)
  stop                                    stop the server and the scheduler
  status                                  print the running processes as JSON
  version                                 print the installed version
  uninstall --yes [--force]               remove the Engine, keep user data
  uninstall --purge --confirm-data-loss [--force]
                                          remove the Engine and all user data
  admin local-desktop-grant [--name N]    issue a desktop access grant
  admin local-folder-grant <fingerprint>  authorize a local folder (64 lower-case hex digits)
  admin reset-token --new --email E [--json]
                                          issue a password reset token
`;

class UsageError extends Error {}
class CommandError extends Error {}

function out(text) {
  process.stdout.write(text.endsWith('\n') ? text : `${text}\n`);
}

// ---- argument parsing --------------------------------------------------------------

// Parses "--flag" and "--option value" arguments against a declared set; anything else
// (unknown options, missing values, stray words beyond `positional`) is a usage error.
function parseArgs(args, { flags = [], options = [], positional = 0 }) {
  const result = { flags: new Set(), options: {}, positional: [] };
  for (let i = 0; i < args.length; i++) {
    const a = args[i];
    if (a.startsWith('--')) {
      const eq = a.indexOf('=');
      const name = eq > 0 ? a.slice(2, eq) : a.slice(2);
      if (flags.includes(name) && eq < 0) {
        result.flags.add(name);
      } else if (options.includes(name)) {
        let value;
        if (eq > 0) value = a.slice(eq + 1);
        else {
          if (i + 1 >= args.length) throw new UsageError(`option --${name} needs a value`);
          value = args[++i];
        }
        if (name in result.options) throw new UsageError(`option --${name} given twice`);
        result.options[name] = value;
      } else {
        throw new UsageError(`unknown option ${a}`);
      }
    } else {
      if (result.positional.length >= positional) throw new UsageError(`unexpected argument "${a}"`);
      result.positional.push(a);
    }
  }
  return result;
}

// ---- processes ---------------------------------------------------------------------

function engineProcesses() {
  return {
    server: common.engineProcesses(dir, 'server'),
    scheduler: common.engineProcesses(dir, 'scheduler'),
  };
}

function openLog(name) {
  fs.mkdirSync(P.logs, { recursive: true });
  const file = path.join(P.logs, name);
  try {
    if (fs.statSync(file).size > 5 * 1024 * 1024) fs.renameSync(file, `${file}.1`);
  } catch {
    // No log yet.
  }
  return fs.openSync(file, 'a');
}

function launch(script, logName) {
  const fd = openLog(logName);
  // Detached in a session of its own, with output going to the log file rather than to
  // our standard streams, so that whoever runs this tool sees it end right away and no
  // pipe of theirs is kept open by the Engine.
  const child = spawn(P.node, [path.join(dir, script)], {
    cwd: dir,
    detached: true,
    stdio: ['ignore', fd, fd],
    env: { ...process.env, PELLORA_DIR: dir },
  });
  fs.closeSync(fd);
  return child;
}

function tail(file, lines = 20) {
  try {
    return fs.readFileSync(file, 'utf8').trimEnd().split('\n').slice(-lines).join('\n');
  } catch {
    return '';
  }
}

async function waitForServer(child) {
  let exited = null;
  child.on('exit', (code, signal) => {
    exited = signal || code;
  });
  const deadline = Date.now() + 10000;
  while (Date.now() < deadline) {
    if (exited !== null) {
      throw new CommandError(`the server exited during startup (${exited}).\n${tail(path.join(P.logs, 'server.log'))}`);
    }
    try {
      if (Number(fs.readFileSync(path.join(P.run, 'server.pid'), 'utf8')) === child.pid) return true;
    } catch {
      // Not written yet.
    }
    await common.sleep(50);
  }
  return false;
}

function hang() {
  setInterval(() => {}, 1 << 30);
  return new Promise(() => {});
}

async function start(args) {
  parseArgs(args, {});
  const mode = common.switches(dir).start_mode;
  if (mode === 'fail') throw new CommandError('start failed (test switch start_mode=fail)');
  if (mode === 'hang') return hang();
  if (mode === 'skip') {
    out('Start skipped (test switch start_mode=skip).');
    return;
  }
  if (!fs.existsSync(P.node)) throw new CommandError(`runtime missing at ${P.node}`);

  const running = engineProcesses();
  let server = null;
  if (running.server.length > 0) out(`Server already running (pid ${running.server.join(', ')}).`);
  else {
    server = launch('server.js', 'server.log');
    out(`Server starting (pid ${server.pid}).`);
  }
  let scheduler = null;
  if (running.scheduler.length > 0) out(`Scheduler already running (pid ${running.scheduler.join(', ')}).`);
  else {
    scheduler = launch('scheduler.js', 'scheduler.log');
    scheduler.unref();
    out(`Scheduler started (pid ${scheduler.pid}).`);
  }
  if (server) {
    let ready;
    try {
      ready = await waitForServer(server);
    } catch (err) {
      // A half-started Engine is not left behind: the scheduler goes with the server.
      if (scheduler) {
        try {
          process.kill(scheduler.pid, 'SIGTERM');
        } catch {
          // Already gone.
        }
      }
      throw err;
    }
    server.unref();
    out(ready
      ? `Pellora Engine listening on http://localhost:${common.readPort(dir)}`
      : 'The server was launched but has not reported that it listens yet.');
  }
  if (mode === 'launch_then_hang') return hang();
  if (mode === 'launch_then_fail') throw new CommandError('start failed after launching (test switch)');
}

async function stopProcesses(force) {
  const all = () => {
    const p = engineProcesses();
    return [...p.server, ...p.scheduler];
  };
  const initial = all();
  for (const pid of initial) {
    try {
      process.kill(pid, 'SIGTERM');
    } catch {
      // Already gone.
    }
  }
  const deadline = Date.now() + 5000;
  while (Date.now() < deadline && all().length > 0) await common.sleep(100);
  let left = all();
  if (left.length > 0 && force) {
    for (const pid of left) {
      try {
        process.kill(pid, 'SIGKILL');
      } catch {
        // Already gone.
      }
    }
    const killDeadline = Date.now() + 2000;
    while (Date.now() < killDeadline && all().length > 0) await common.sleep(50);
    left = all();
  }
  return { stopped: initial.filter((pid) => !left.includes(pid)), left };
}

async function stop(args) {
  parseArgs(args, {});
  const mode = common.switches(dir).stop_mode;
  if (mode === 'fail') throw new CommandError('stop failed (test switch stop_mode=fail)');
  if (mode === 'hang') return hang();
  if (mode === 'ignore') {
    out('Stop ignored (test switch stop_mode=ignore).');
    return;
  }
  const { stopped, left } = await stopProcesses(true);
  if (left.length > 0) throw new CommandError(`processes still running: ${left.join(', ')}`);
  out(stopped.length > 0 ? `Stopped ${stopped.length} process(es): ${stopped.join(', ')}.` : 'The Engine was not running.');
}

function status(args) {
  parseArgs(args, {});
  const p = engineProcesses();
  out(JSON.stringify({ ok: true, dir, port: common.readPort(dir), version: common.readVersion(dir), ...p }));
}

// ---- uninstall ---------------------------------------------------------------------

async function uninstall(args) {
  const a = parseArgs(args, { flags: ['yes', 'purge', 'confirm-data-loss', 'force'] });
  const purge = a.flags.has('purge');
  if (purge && !a.flags.has('confirm-data-loss')) {
    throw new UsageError('--purge deletes all user data; add --confirm-data-loss to confirm');
  }
  if (!purge && a.flags.has('confirm-data-loss')) throw new UsageError('--confirm-data-loss only goes with --purge');
  if (!purge && !a.flags.has('yes')) throw new UsageError('uninstall needs --yes (or --purge --confirm-data-loss)');
  if (common.switches(dir).uninstall_mode === 'fail') throw new CommandError('uninstall failed (test switch)');

  const running = engineProcesses();
  if (running.server.length + running.scheduler.length > 0) {
    if (!a.flags.has('force')) throw new CommandError('the Engine is running; stop it first or add --force');
    const { left } = await stopProcesses(true);
    if (left.length > 0) throw new CommandError(`cannot stop the Engine (still running: ${left.join(', ')})`);
  }

  const port = common.readPort(dir);
  const keyFile = common.workerKeyPath(port);
  try {
    fs.unlinkSync(keyFile);
  } catch {
    // No key for this port.
  }

  if (purge) {
    fs.rmSync(dir, { recursive: true, force: true });
    out(`Pellora Engine and all its data removed from ${dir}.`);
    return;
  }
  for (const name of [...common.PROGRAM_ENTRIES, 'run', 'logs']) {
    fs.rmSync(path.join(dir, name), { recursive: true, force: true });
  }
  let remaining = [];
  try {
    remaining = fs.readdirSync(dir);
  } catch {
    remaining = [];
  }
  if (remaining.length === 0) fs.rmSync(dir, { recursive: true, force: true });
  out(`Pellora Engine removed from ${dir}; user data kept${remaining.includes('data') ? ` in ${P.data}` : ''}.`);
}

// ---- admin -------------------------------------------------------------------------

function token(bytes) {
  return crypto.randomBytes(bytes).toString('base64url');
}

function inDays(days) {
  return new Date(Date.now() + days * 86400000).toISOString();
}

async function admin(args) {
  const [sub, ...rest] = args;
  if (!sub) throw new UsageError('admin needs a sub-command: local-desktop-grant, local-folder-grant or reset-token');
  const s = common.switches(dir);
  const delay = Number(s.admin_delay_ms);
  if (Number.isFinite(delay) && delay > 0) await common.sleep(delay);

  const store = new Store(dir);
  let result;
  if (sub === 'local-desktop-grant') {
    const a = parseArgs(rest, { options: ['name'] });
    const name = a.options.name;
    if (name !== undefined && (name.length < 1 || name.length > 100)) {
      throw new UsageError('--name must be 1 to 100 characters');
    }
    result = () => {
      const grants = store.readGrants();
      const secret = token(32);
      const grant = {
        id: `g_${crypto.randomBytes(6).toString('hex')}`,
        name: name === undefined ? 'Pellora Desktop' : name,
        created_at: new Date().toISOString(),
        expires_at: inDays(30),
      };
      grants.desktop.push({ ...grant, token_sha256: crypto.createHash('sha256').update(secret).digest('hex') });
      store.writeGrants(grants);
      return { ok: true, grant: { ...grant, token: secret } };
    };
  } else if (sub === 'local-folder-grant') {
    const a = parseArgs(rest, { positional: 1 });
    const fingerprint = a.positional[0];
    if (fingerprint === undefined) throw new UsageError('local-folder-grant needs a folder fingerprint');
    if (!/^[a-f0-9]{64}$/.test(fingerprint)) throw new UsageError('the fingerprint must be 64 lower-case hexadecimal digits');
    result = () => {
      const grants = store.readGrants();
      const existing = grants.folders.find((g) => g.fingerprint === fingerprint);
      const grantedAt = new Date().toISOString();
      if (existing) existing.granted_at = grantedAt;
      else grants.folders.push({ fingerprint, granted_at: grantedAt });
      store.writeGrants(grants);
      return { ok: true, fingerprint, granted_at: grantedAt, already_granted: Boolean(existing) };
    };
  } else if (sub === 'reset-token') {
    const a = parseArgs(rest, { flags: ['new', 'json'], options: ['email'] });
    if (!a.flags.has('new')) throw new UsageError('reset-token needs --new');
    const email = a.options.email;
    if (email === undefined) throw new UsageError('reset-token needs --email');
    if (!/^[^\s@]+@[^\s@]+$/.test(email) || email.length > 254) throw new UsageError(`invalid email address "${email}"`);
    result = () => {
      const grants = store.readGrants();
      const secret = token(24);
      const entry = { email, created_at: new Date().toISOString(), expires_at: inDays(1) };
      grants.reset_tokens.push({ ...entry, token_sha256: crypto.createHash('sha256').update(secret).digest('hex') });
      store.writeGrants(grants);
      return { ok: true, email, token: secret, expires_at: entry.expires_at, json: a.flags.has('json') };
    };
  } else {
    throw new UsageError(`unknown admin sub-command "${sub}"`);
  }

  if (s.admin_mode === 'fail') throw new CommandError(`admin ${sub} failed (test switch admin_mode=fail)`);
  if (s.admin_mode === 'bad_json') {
    out('this is not JSON');
    return;
  }
  const value = result();
  if (sub === 'reset-token') {
    const { json, ...doc } = value;
    if (!json) {
      out(`Reset token for ${doc.email}: ${doc.token} (expires ${doc.expires_at})`);
      return;
    }
    out(JSON.stringify(doc));
    return;
  }
  out(JSON.stringify(value));
}

// ---- entry -------------------------------------------------------------------------

const COMMANDS = {
  start,
  stop,
  status,
  uninstall,
  admin,
  version: (args) => {
    parseArgs(args, {});
    out(common.readVersion(dir));
  },
};

async function main(argv) {
  const [command, ...args] = argv;
  if (command === undefined || command === 'help' || command === '--help' || command === '-h') {
    process.stdout.write(USAGE);
    return command === undefined ? 2 : 0;
  }
  if (command === '--version') return COMMANDS.version([]) || 0;
  const fn = Object.prototype.hasOwnProperty.call(COMMANDS, command) ? COMMANDS[command] : null;
  if (!fn) {
    process.stderr.write(`pellora: unknown command "${command}"\n\n${USAGE}`);
    return 2;
  }
  try {
    await fn(args);
    return 0;
  } catch (err) {
    if (err instanceof UsageError) {
      process.stderr.write(`pellora ${command}: ${err.message}\n`);
      return 2;
    }
    process.stderr.write(`pellora ${command}: ${err instanceof CommandError ? err.message : err.stack || err}\n`);
    return 1;
  }
}

main(process.argv.slice(2)).then((code) => {
  process.exitCode = code;
});
