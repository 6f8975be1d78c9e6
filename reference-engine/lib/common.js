'use strict';
// Facts shared by the tool, the server, the scheduler, the installer and the search program:
// where an installation keeps things, how its port is read, and the test switches.

const fs = require('fs');
const os = require('os');
const path = require('path');

const DEFAULT_PORT = 9700;

// Everything an installation holds that belongs to the program rather than to the user.
// Upgrades replace exactly these; "data", ".env" and "logs" are never touched by them.
const PROGRAM_ENTRIES = [
  'bin', 'lib', 'web', 'corpus', 'runtime',
  'server.js', 'scheduler.js', 'install.sh', 'package.json', 'VERSION',
];

function installDirFromEnv() {
  // bin/pellora exports the directory it lives in, unresolved, so that the command lines
  // of the processes we start contain the same path the desktop application looks for.
  const fromEnv = process.env.PELLORA_DIR;
  if (fromEnv && fromEnv.trim() !== '') return path.resolve(fromEnv);
  return path.resolve(__dirname, '..');
}

function paths(dir) {
  return {
    dir,
    node: path.join(dir, 'runtime', 'node'),
    server: path.join(dir, 'server.js'),
    scheduler: path.join(dir, 'scheduler.js'),
    env: path.join(dir, '.env'),
    version: path.join(dir, 'VERSION'),
    data: path.join(dir, 'data'),
    works: path.join(dir, 'data', 'works'),
    files: path.join(dir, 'data', 'files'),
    sessions: path.join(dir, 'data', 'sessions'),
    grants: path.join(dir, 'data', 'grants.json'),
    logs: path.join(dir, 'logs'),
    run: path.join(dir, 'run'),
    switches: path.join(dir, 'run', 'test-switches.json'),
    corpus: path.join(dir, 'corpus', 'search-corpus.json'),
  };
}

// Reads the .env text: "KEY=value" lines; blank lines and "#" comments are skipped.
function parseEnvText(text) {
  const out = [];
  for (const raw of String(text).split('\n')) {
    const line = raw.trim();
    if (line === '' || line.startsWith('#')) continue;
    const eq = line.indexOf('=');
    if (eq <= 0) continue;
    out.push([line.slice(0, eq), line.slice(eq + 1).trim()]);
  }
  return out;
}

function readEnvFile(dir) {
  try {
    return parseEnvText(fs.readFileSync(paths(dir).env, 'utf8'));
  } catch {
    return [];
  }
}

function envValue(dir, key) {
  for (const [k, v] of readEnvFile(dir)) if (k === key) return v;
  return undefined;
}

// The first "PORT=" line whose value is a decimal integer in 1...65535 wins; the desktop
// application reads the file the same way, so both always agree on the port.
function portFromEnvText(text) {
  for (const raw of String(text).split('\n')) {
    const line = raw.trim();
    if (!line.startsWith('PORT=')) continue;
    const value = line.slice(5).trim();
    if (!/^[+-]?\d+$/.test(value)) continue;
    const n = Number(value);
    if (n >= 1 && n <= 65535) return n;
  }
  return DEFAULT_PORT;
}

function readPort(dir) {
  try {
    return portFromEnvText(fs.readFileSync(paths(dir).env, 'utf8'));
  } catch {
    return DEFAULT_PORT;
  }
}

function readVersion(dir) {
  try {
    return fs.readFileSync(paths(dir).version, 'utf8').trim() || '0.0.0';
  } catch {
    return '0.0.0';
  }
}

// Test switches change how the Engine behaves so that the desktop application's failure
// paths can be exercised against a real Engine. They come from the environment variable
// PELLORA_TEST_SWITCHES (a JSON object) overlaid by the file run/test-switches.json, which
// the loopback admin endpoint writes and which every process re-reads when it changes.
let fileCache = { mtimeMs: -1, size: -1, value: {} };

function readSwitchFile(file) {
  let st;
  try {
    st = fs.statSync(file);
  } catch {
    fileCache = { mtimeMs: -1, size: -1, value: {} };
    return {};
  }
  if (st.mtimeMs === fileCache.mtimeMs && st.size === fileCache.size) return fileCache.value;
  let value = {};
  try {
    const parsed = JSON.parse(fs.readFileSync(file, 'utf8'));
    if (parsed && typeof parsed === 'object' && !Array.isArray(parsed)) value = parsed;
  } catch {
    value = {};
  }
  fileCache = { mtimeMs: st.mtimeMs, size: st.size, value };
  return value;
}

function envSwitches() {
  const raw = process.env.PELLORA_TEST_SWITCHES;
  if (!raw) return {};
  try {
    const parsed = JSON.parse(raw);
    return parsed && typeof parsed === 'object' && !Array.isArray(parsed) ? parsed : {};
  } catch {
    return {};
  }
}

function switches(dir) {
  return { ...envSwitches(), ...readSwitchFile(paths(dir).switches) };
}

function writeSwitches(dir, value) {
  const p = paths(dir);
  fs.mkdirSync(p.run, { recursive: true });
  writeFileAtomic(p.switches, JSON.stringify(value, null, 2) + '\n');
}

function writeFileAtomic(file, text, mode) {
  const tmp = `${file}.${process.pid}.${Date.now()}.tmp`;
  fs.writeFileSync(tmp, text, mode === undefined ? undefined : { mode });
  if (mode !== undefined) fs.chmodSync(tmp, mode);
  fs.renameSync(tmp, file);
}

function readJSON(file, fallback) {
  try {
    return JSON.parse(fs.readFileSync(file, 'utf8'));
  } catch {
    return fallback;
  }
}

// "Application Support" of the current user; on this platform it lives under the home
// directory at the same relative path as on the desktop application's original platform.
function applicationSupportDir() {
  return path.join(os.homedir(), 'Library', 'Application Support');
}

function workerKeyPath(port) {
  return path.join(applicationSupportDir(), 'Pellora', 'desktop-browser-bridge', `${port}.key`);
}

// Lists the processes of this installation: command lines whose program is this
// directory's runtime/node and whose script is the given file of the same directory.
function findProcesses(dir, scriptName) {
  const node = paths(dir).node;
  const script = path.join(dir, scriptName);
  const found = [];
  let entries;
  try {
    entries = fs.readdirSync('/proc');
  } catch {
    return found;
  }
  for (const name of entries) {
    if (!/^\d+$/.test(name)) continue;
    const pid = Number(name);
    if (pid === process.pid) continue;
    let cmdline;
    try {
      cmdline = fs.readFileSync(`/proc/${name}/cmdline`, 'utf8');
    } catch {
      continue;
    }
    const args = cmdline.split('\0');
    if (args[0] === node && args[1] === script && !isZombie(pid)) found.push(pid);
  }
  return found;
}

// The processes of one kind ("server" or "scheduler") of this installation: those found by
// their command line, plus the one named in its pid file when that still runs this
// installation's script (it may have been started through another spelling of the path).
function engineProcesses(dir, kind) {
  const script = `${kind}.js`;
  const found = findProcesses(dir, script);
  try {
    const pid = Number(fs.readFileSync(path.join(paths(dir).run, `${kind}.pid`), 'utf8'));
    if (Number.isInteger(pid) && pid > 1 && pid !== process.pid && !found.includes(pid) && isAlive(pid)) {
      const args = fs.readFileSync(`/proc/${pid}/cmdline`, 'utf8').split('\0');
      if (args[0].endsWith('/runtime/node') && fs.realpathSync(args[1]) === fs.realpathSync(path.join(dir, script))) {
        found.push(pid);
      }
    }
  } catch {
    // No pid file, or a process that is not ours.
  }
  return found;
}

function isZombie(pid) {
  try {
    const stat = fs.readFileSync(`/proc/${pid}/stat`, 'utf8');
    const state = stat.slice(stat.lastIndexOf(')') + 2, stat.lastIndexOf(')') + 3);
    return state === 'Z' || state === 'X';
  } catch {
    return true;
  }
}

function isAlive(pid) {
  try {
    process.kill(pid, 0);
  } catch (err) {
    if (err.code !== 'EPERM') return false;
  }
  return !isZombie(pid);
}

function sleep(ms) {
  return new Promise((resolve) => setTimeout(resolve, ms));
}

module.exports = {
  DEFAULT_PORT,
  PROGRAM_ENTRIES,
  installDirFromEnv,
  paths,
  parseEnvText,
  readEnvFile,
  envValue,
  portFromEnvText,
  readPort,
  readVersion,
  switches,
  writeSwitches,
  writeFileAtomic,
  readJSON,
  applicationSupportDir,
  workerKeyPath,
  findProcesses,
  engineProcesses,
  isAlive,
  sleep,
};
