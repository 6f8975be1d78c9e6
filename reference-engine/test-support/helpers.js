'use strict';
// Shared test fixtures: temporary installations on free loopback ports, child processes
// that are always reaped, and small HTTP helpers.

const fs = require('fs');
const http = require('http');
const net = require('net');
const os = require('os');
const path = require('path');
const { spawn } = require('child_process');

const common = require('../lib/common');

const ENGINE_SRC = path.resolve(__dirname, '..');

function tempDir(t, prefix = 'pellora-test-') {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), prefix));
  t.after(() => fs.rmSync(dir, { recursive: true, force: true }));
  return dir;
}

function freePort() {
  return new Promise((resolve, reject) => {
    const srv = net.createServer();
    srv.unref();
    srv.on('error', reject);
    srv.listen(0, '127.0.0.1', () => {
      const { port } = srv.address();
      srv.close(() => resolve(port));
    });
  });
}

const live = new Set();

// Runs a command to completion (or until `timeoutMs`, then kills it) and collects its output.
function run(cmd, args, { env = {}, input, timeoutMs = 30000, cwd } = {}) {
  return new Promise((resolve, reject) => {
    const child = spawn(cmd, args, { env: { ...process.env, ...env }, cwd, stdio: ['pipe', 'pipe', 'pipe'] });
    live.add(child);
    let stdout = '';
    let stderr = '';
    let timedOut = false;
    child.stdout.on('data', (d) => { stdout += d; });
    child.stderr.on('data', (d) => { stderr += d; });
    const timer = setTimeout(() => {
      timedOut = true;
      child.kill('SIGKILL');
    }, timeoutMs);
    child.on('error', (err) => {
      clearTimeout(timer);
      live.delete(child);
      reject(err);
    });
    child.on('close', (status, signal) => {
      clearTimeout(timer);
      live.delete(child);
      resolve({ status, signal, stdout, stderr, timedOut });
    });
    if (input !== undefined) child.stdin.end(input);
    else child.stdin.end();
  });
}

process.on('exit', () => {
  for (const child of live) {
    try {
      child.kill('SIGKILL');
    } catch {
      // Gone.
    }
  }
});

// Installs the Engine from the source tree (laid out like a release directory) into a
// temporary directory with its own port and home, and returns handles to use it.
async function installEngine(t, { port, env = {}, name = 'engine' } = {}) {
  const root = tempDir(t);
  const dir = path.join(root, name);
  const home = path.join(root, 'home');
  fs.mkdirSync(home);
  const p = port || (await freePort());
  const baseEnv = { HOME: home, PELLORA_TEST_ADMIN: '1', ...env };
  const res = await run(path.join(ENGINE_SRC, 'install.sh'), ['--no-launchd', '--dir', dir, '--port', String(p)], { env: baseEnv });
  if (res.status !== 0) throw new Error(`install failed: ${res.stderr}`);
  const engine = {
    root,
    dir,
    home,
    port: p,
    env: baseEnv,
    url: (pathname) => `http://127.0.0.1:${p}${pathname}`,
    cli: (args, opts = {}) => run(path.join(dir, 'bin', 'pellora'), args, { ...opts, env: { ...baseEnv, ...(opts.env || {}) } }),
    processes: () => ({
      server: common.engineProcesses(dir, 'server'),
      scheduler: common.engineProcesses(dir, 'scheduler'),
    }),
    setSwitches: (value) => common.writeSwitches(dir, value),
    async start() {
      const r = await engine.cli(['start']);
      if (r.status !== 0) throw new Error(`start failed: ${r.stderr}`);
      return r;
    },
  };
  t.after(() => killEngine(engine));
  return engine;
}

// Ends every process of the installation, whatever the switches say.
async function killEngine(engine) {
  const pids = () => [...common.engineProcesses(engine.dir, 'server'), ...common.engineProcesses(engine.dir, 'scheduler')];
  for (const pid of pids()) {
    try {
      process.kill(pid, 'SIGKILL');
    } catch {
      // Gone.
    }
  }
  const deadline = Date.now() + 3000;
  while (pids().length > 0 && Date.now() < deadline) await common.sleep(20);
}

function request(url, { method = 'GET', headers = {}, body, timeoutMs = 5000 } = {}) {
  return new Promise((resolve, reject) => {
    const req = http.request(url, { method, headers }, (res) => {
      const chunks = [];
      res.on('data', (c) => chunks.push(c));
      res.on('end', () => {
        const text = Buffer.concat(chunks).toString('utf8');
        let json;
        try {
          json = JSON.parse(text);
        } catch {
          json = undefined;
        }
        resolve({ status: res.statusCode, headers: res.headers, text, json });
      });
    });
    req.setTimeout(timeoutMs, () => req.destroy(Object.assign(new Error('timeout'), { code: 'TIMEOUT' })));
    req.on('error', reject);
    if (body !== undefined) req.end(typeof body === 'string' ? body : JSON.stringify(body));
    else req.end();
  });
}

async function waitFor(predicate, timeoutMs = 5000, intervalMs = 25) {
  const deadline = Date.now() + timeoutMs;
  for (;;) {
    const value = await predicate();
    if (value) return value;
    if (Date.now() > deadline) throw new Error('condition not met in time');
    await common.sleep(intervalMs);
  }
}

module.exports = { ENGINE_SRC, tempDir, freePort, run, installEngine, killEngine, request, waitFor };
