'use strict';
// Installs or upgrades an Engine installation from the release directory that holds this
// file. Run through install.sh, which finds Node.js and passes it on as PELLORA_NODE.
//
// Only program files are replaced; "data/", ".env" and "logs/" in the target stay as they
// are, so upgrades and reinstalls keep the user's work. An upgrade first moves the old
// program files aside and puts them back when anything fails.

const fs = require('fs');
const os = require('os');
const path = require('path');
const { spawnSync } = require('child_process');

const common = require('./common');

const RELEASE = path.resolve(__dirname, '..');
const PHASES = ['preparing', 'unpacking', 'backup', 'installing', 'components', 'initializing', 'starting', 'opening', 'restoring'];
const COPIED = common.PROGRAM_ENTRIES.filter((e) => e !== 'runtime' && e !== 'VERSION');

class UsageError extends Error {}

function say(text) {
  process.stdout.write(`install: ${text}\n`);
}

function progress(phase) {
  if (process.env.PELLORA_SPLASH_PROGRESS === '1') process.stdout.write(`PELLORA_PROGRESS_V1:${phase}\n`);
}

// Test switches: PELLORA_TEST_INSTALL_FAIL=<phase> fails in that phase,
// PELLORA_TEST_INSTALL_DELAY_MS=<n> pauses in every phase so a caller can watch it,
// PELLORA_TEST_INSTALL_COMPONENT_WARNING=1 reports optional components as failed,
// PELLORA_TEST_INSTALL_EXIT=<n> is the exit status of a failure made by the switch.
function testHooks(phase) {
  const delay = Number(process.env.PELLORA_TEST_INSTALL_DELAY_MS);
  if (Number.isFinite(delay) && delay > 0) Atomics.wait(new Int32Array(new SharedArrayBuffer(4)), 0, 0, delay);
  if (process.env.PELLORA_TEST_INSTALL_FAIL === phase) {
    const err = new Error(`installation failed during ${phase} (test switch)`);
    err.exitCode = Number(process.env.PELLORA_TEST_INSTALL_EXIT) || 1;
    throw err;
  }
}

function enter(phase) {
  if (!PHASES.includes(phase)) throw new Error(`unknown phase ${phase}`);
  progress(phase);
  testHooks(phase);
}

function parseArgs(argv) {
  const opts = { dir: path.join(os.homedir(), 'pellora'), upgrade: false, noLaunchd: false, tmp: null, port: null };
  for (let i = 0; i < argv.length; i++) {
    const a = argv[i];
    const value = () => {
      if (i + 1 >= argv.length || argv[i + 1] === '') throw new UsageError(`${a} needs a value`);
      return argv[++i];
    };
    if (a === '--dir') opts.dir = value();
    else if (a === '--upgrade') opts.upgrade = true;
    else if (a === '--no-launchd') opts.noLaunchd = true;
    else if (a === '--_tmp') opts.tmp = value();
    else if (a === '--port') {
      const v = value();
      if (!/^\d+$/.test(v) || Number(v) < 1 || Number(v) > 65535) throw new UsageError(`invalid port "${v}"`);
      opts.port = Number(v);
    } else throw new UsageError(`unknown argument "${a}"`);
  }
  opts.dir = path.resolve(opts.dir);
  if (opts.tmp !== null) opts.tmp = path.resolve(opts.tmp);
  return opts;
}

function move(from, to) {
  try {
    fs.renameSync(from, to);
  } catch (err) {
    if (err.code !== 'EXDEV') throw err;
    fs.cpSync(from, to, { recursive: true, verbatimSymlinks: true });
    fs.rmSync(from, { recursive: true, force: true });
  }
}

async function stopRunningEngine(dir) {
  const list = () => [...common.engineProcesses(dir, 'server'), ...common.engineProcesses(dir, 'scheduler')];
  const pids = list();
  if (pids.length === 0) return false;
  say(`stopping the running Engine (pid ${pids.join(', ')})`);
  for (const pid of pids) {
    try {
      process.kill(pid, 'SIGTERM');
    } catch {
      // Already gone.
    }
  }
  const deadline = Date.now() + 5000;
  while (Date.now() < deadline && list().length > 0) await common.sleep(100);
  for (const pid of list()) {
    try {
      process.kill(pid, 'SIGKILL');
    } catch {
      // Already gone.
    }
  }
  const killDeadline = Date.now() + 2000;
  while (Date.now() < killDeadline && list().length > 0) await common.sleep(50);
  if (list().length > 0) throw new Error('the running Engine could not be stopped');
  return true;
}

// The runtime is the machine's Node.js. A hard link keeps the executable's path inside
// the installation (process inspection sees "<dir>/runtime/node") without a copy; when
// linking is not possible the binary is copied.
function installRuntime(dir) {
  const source = fs.realpathSync(process.env.PELLORA_NODE || process.execPath);
  const target = path.join(dir, 'runtime', 'node');
  fs.mkdirSync(path.dirname(target), { recursive: true });
  fs.rmSync(target, { force: true });
  if (process.env.PELLORA_RUNTIME_MODE === 'symlink') {
    fs.symlinkSync(source, target);
  } else {
    try {
      fs.linkSync(source, target);
    } catch {
      fs.copyFileSync(source, target);
      fs.chmodSync(target, 0o755);
    }
  }
  const check = spawnSync(target, ['--version'], { encoding: 'utf8', timeout: 20000 });
  if (check.status !== 0) throw new Error(`the runtime at ${target} does not run: ${check.stderr || check.error}`);
  say(`runtime ${check.stdout.trim()} at ${target}`);
}

function componentsHealthy(dir) {
  if (process.env.PELLORA_TEST_INSTALL_COMPONENT_WARNING === '1') return false;
  try {
    const corpus = JSON.parse(fs.readFileSync(common.paths(dir).corpus, 'utf8'));
    return Array.isArray(corpus.documents) && corpus.documents.length > 0;
  } catch {
    return false;
  }
}

function writeEnv(dir, port) {
  const file = common.paths(dir).env;
  let lines = [];
  try {
    lines = fs.readFileSync(file, 'utf8').split('\n');
    if (lines[lines.length - 1] === '') lines.pop();
  } catch {
    lines = ['# Pellora Engine settings', `PORT=${port || common.DEFAULT_PORT}`];
    fs.writeFileSync(file, lines.join('\n') + '\n', { mode: 0o600 });
    return;
  }
  if (port === null) return;
  const at = lines.findIndex((l) => l.trim().startsWith('PORT='));
  if (at >= 0) lines[at] = `PORT=${port}`;
  else lines.push(`PORT=${port}`);
  common.writeFileAtomic(file, lines.join('\n') + '\n', 0o600);
}

function initializeData(dir) {
  const p = common.paths(dir);
  const fresh = !fs.existsSync(p.files);
  for (const d of [p.data, p.works, p.files, p.sessions, p.logs, p.run]) fs.mkdirSync(d, { recursive: true });
  if (fresh) {
    fs.writeFileSync(path.join(p.files, 'Welcome.md'), [
      '# Welcome to Pellora',
      '',
      'This folder holds your workspace files. Download them from the Files panel,',
      'or upload new ones there.',
      '',
    ].join('\n'));
  }
}

async function install(opts) {
  const version = fs.readFileSync(path.join(RELEASE, 'VERSION'), 'utf8').trim();
  const dir = opts.dir;
  if (dir === RELEASE || dir.startsWith(RELEASE + path.sep)) throw new UsageError('cannot install into the release directory itself');
  if (RELEASE.startsWith(dir + path.sep)) throw new UsageError('cannot install into a parent of the release directory');
  const existing = fs.existsSync(path.join(dir, 'bin', 'pellora')) || fs.existsSync(path.join(dir, 'VERSION'));
  say(`${opts.upgrade ? 'upgrading' : 'installing'} Pellora Engine ${version} in ${dir}`);
  fs.mkdirSync(dir, { recursive: true });

  await stopRunningEngine(dir);

  let backup = null;
  if (existing) {
    enter('backup');
    const base = opts.tmp || dir;
    backup = path.join(base, `.pellora-backup-${process.pid}-${Date.now()}`);
    fs.mkdirSync(backup, { recursive: true });
    for (const name of common.PROGRAM_ENTRIES) {
      if (fs.existsSync(path.join(dir, name)) || isSymlink(path.join(dir, name))) move(path.join(dir, name), path.join(backup, name));
    }
    say(`previous program files moved to ${backup}`);
  }

  try {
    enter('installing');
    for (const name of COPIED) {
      const from = path.join(RELEASE, name);
      if (!fs.existsSync(from)) continue;
      fs.cpSync(from, path.join(dir, name), { recursive: true });
    }
    fs.chmodSync(path.join(dir, 'bin', 'pellora'), 0o755);
    fs.chmodSync(path.join(dir, 'install.sh'), 0o755);

    enter('components');
    installRuntime(dir);
    if (!componentsHealthy(dir)) {
      progress('componentWarning');
      say('warning: the offline search library could not be prepared');
    }

    enter('initializing');
    writeEnv(dir, opts.port);
    initializeData(dir);
    // VERSION goes last: its presence says the installation is complete.
    fs.copyFileSync(path.join(RELEASE, 'VERSION'), path.join(dir, 'VERSION'));
  } catch (err) {
    if (backup) {
      progress('restoring');
      say(`restoring the previous version after: ${err.message}`);
      try {
        for (const name of common.PROGRAM_ENTRIES) fs.rmSync(path.join(dir, name), { recursive: true, force: true });
        for (const name of fs.readdirSync(backup)) move(path.join(backup, name), path.join(dir, name));
        fs.rmSync(backup, { recursive: true, force: true });
      } catch (restoreErr) {
        throw new Error(`${err.message}; restoring the previous version also failed: ${restoreErr.message}`);
      }
    } else {
      for (const name of common.PROGRAM_ENTRIES) fs.rmSync(path.join(dir, name), { recursive: true, force: true });
    }
    throw err;
  }
  if (backup) fs.rmSync(backup, { recursive: true, force: true });

  // There is no per-user service manager to register with here; without --no-launchd the
  // installer starts the Engine itself, which is what a registered service would do.
  if (!opts.noLaunchd) {
    enter('starting');
    const started = spawnSync(path.join(dir, 'bin', 'pellora'), ['start'], {
      encoding: 'utf8',
      timeout: 30000,
      env: { ...process.env, PELLORA_DIR: dir },
    });
    if (started.stdout.trim()) process.stdout.write(started.stdout.trimEnd().replace(/^/gm, 'install: ') + '\n');
    if (started.status !== 0) throw new Error(`the Engine did not start: ${(started.stderr || '').trim()}`);
  }
  say(`Pellora Engine ${version} is installed in ${dir}`);
}

function isSymlink(p) {
  try {
    return fs.lstatSync(p).isSymbolicLink();
  } catch {
    return false;
  }
}

async function main() {
  let opts;
  try {
    opts = parseArgs(process.argv.slice(2));
  } catch (err) {
    process.stderr.write(`install.sh: ${err.message}\n`);
    return 2;
  }
  try {
    await install(opts);
    return 0;
  } catch (err) {
    process.stderr.write(`install.sh: ${err.message}\n`);
    return err instanceof UsageError ? 2 : err.exitCode || 1;
  }
}

main().then((code) => {
  process.exitCode = code;
});
