'use strict';
// The Engine's HTTP server: the web interface, the system endpoints the desktop application
// relies on (liveness, in-flight work, handshake), workspace files, works and agent
// sessions. Started by `bin/pellora start` as `<dir>/runtime/node <dir>/server.js`.

const crypto = require('crypto');
const fs = require('fs');
const http = require('http');
const path = require('path');

const common = require('./lib/common');
const { Store, sha256 } = require('./lib/store');
const { search, loadCorpus } = require('./lib/search');
const { renderPage } = require('./lib/page');

const PRODUCT = 'pellora';
const DESKTOP_PROTOCOL = 1;
const CAPABILITIES = ['browser.v1', 'client.recovery.v1'];
const MAX_BODY = 8 * 1024 * 1024;
const WORKER_SKEW_MS = 5 * 60 * 1000;
const TEST_PREFIX = '/__pellora_test/';

const dir = common.installDirFromEnv();
const P = common.paths(dir);
const store = new Store(dir);
const port = common.readPort(dir);
const host = common.envValue(dir, 'HOST') || '127.0.0.1';
const version = common.readVersion(dir);
const testAdmin = process.env.PELLORA_TEST_ADMIN === '1' || common.envValue(dir, 'PELLORA_TEST_ADMIN') === '1';
const startedAt = new Date().toISOString();
const recentRequests = [];
const usedSignatures = new Map();
let workerKey = null;
let corpus = null;

function log(message) {
  process.stdout.write(`${new Date().toISOString()} [server] ${message}\n`);
}

class HttpError extends Error {
  constructor(status, code, message) {
    super(message || code);
    this.status = status;
    this.code = code;
  }
}

// ---- responses -----------------------------------------------------------------------

function send(res, status, body, headers = {}) {
  if (res.headersSent || res.destroyed) return;
  const buf = Buffer.isBuffer(body) ? body : Buffer.from(String(body), 'utf8');
  res.writeHead(status, { 'Content-Length': buf.length, 'Cache-Control': 'no-store', ...headers });
  res.end(buf);
}

function sendJSON(res, status, value, headers = {}) {
  send(res, status, JSON.stringify(value), { 'Content-Type': 'application/json; charset=utf-8', ...headers });
}

function sendError(res, err) {
  const status = err.status || 500;
  sendJSON(res, status, { ok: false, error: err.code || 'internal_error', message: err.message });
}

function attachmentName(name) {
  const ascii = name.replace(/[^\x20-\x7e]|["\\]/g, '_');
  return `attachment; filename="${ascii}"; filename*=UTF-8''${encodeURIComponent(name)}`;
}

const MIME = {
  '.txt': 'text/plain; charset=utf-8',
  '.md': 'text/markdown; charset=utf-8',
  '.json': 'application/json',
  '.csv': 'text/csv; charset=utf-8',
  '.html': 'text/html; charset=utf-8',
  '.png': 'image/png',
  '.jpg': 'image/jpeg',
  '.pdf': 'application/pdf',
};

function sendFileDownload(res, file, name) {
  let st;
  try {
    st = fs.statSync(file);
  } catch {
    throw new HttpError(404, 'not_found', 'no such file');
  }
  if (!st.isFile()) throw new HttpError(404, 'not_found', 'not a file');
  res.writeHead(200, {
    'Content-Type': MIME[path.extname(name).toLowerCase()] || 'application/octet-stream',
    'Content-Length': st.size,
    'Content-Disposition': attachmentName(name),
    'Cache-Control': 'no-store',
  });
  fs.createReadStream(file).pipe(res);
}

// ---- test switches -----------------------------------------------------------------

function sw() {
  return common.switches(dir);
}

// Applies "<prefix>_delay_ms" and "<prefix>_hang": a hung request is never answered; its
// socket is closed when the server shuts down.
async function delayFor(s, prefix) {
  if (s[`${prefix}_hang`] === true) return false;
  const ms = Number(s[`${prefix}_delay_ms`]);
  if (Number.isFinite(ms) && ms > 0) await common.sleep(ms);
  return true;
}

function switchStatus(s, key) {
  const status = Number(s[key]);
  return Number.isInteger(status) && status >= 100 && status <= 599 ? status : 0;
}

// ---- request body ------------------------------------------------------------------

function readBody(req, limit = MAX_BODY) {
  return new Promise((resolve, reject) => {
    const chunks = [];
    let size = 0;
    req.on('data', (chunk) => {
      size += chunk.length;
      if (size > limit) {
        reject(new HttpError(413, 'payload_too_large', `body exceeds ${limit} bytes`));
        req.resume();
        return;
      }
      chunks.push(chunk);
    });
    req.on('end', () => resolve(Buffer.concat(chunks)));
    req.on('error', reject);
  });
}

async function readJSONBody(req) {
  const buf = await readBody(req, 1024 * 1024);
  if (buf.length === 0) return {};
  let value;
  try {
    value = JSON.parse(buf.toString('utf8'));
  } catch {
    throw new HttpError(400, 'invalid_json', 'request body is not valid JSON');
  }
  if (!value || typeof value !== 'object' || Array.isArray(value)) {
    throw new HttpError(400, 'invalid_json', 'request body must be a JSON object');
  }
  return value;
}

// ---- system endpoints --------------------------------------------------------------

async function liveness(req, res) {
  const s = sw();
  if (!(await delayFor(s, 'liveness'))) return;
  const status = switchStatus(s, 'liveness_status');
  if (status) return sendJSON(res, status, { status: 'unavailable' });
  sendJSON(res, 200, { status: 'ok', version, pid: process.pid });
}

function inflightCounts(s) {
  const counts = { sessions_active: store.sessionsActive(), works_in_progress: store.worksInProgress() };
  const override = s.inflight;
  if (override && typeof override === 'object') {
    if (Number.isInteger(override.sessions_active)) counts.sessions_active = override.sessions_active;
    if (Number.isInteger(override.works_in_progress)) counts.works_in_progress = override.works_in_progress;
  }
  return counts;
}

async function inflight(req, res) {
  const s = sw();
  if (!(await delayFor(s, 'inflight'))) return;
  const status = switchStatus(s, 'inflight_status');
  if (status) return sendJSON(res, status, { ok: false, error: 'unavailable' });
  if (typeof s.inflight_body === 'string') {
    return send(res, 200, s.inflight_body, { 'Content-Type': 'application/json' });
  }
  sendJSON(res, 200, inflightCounts(s));
}

async function handshake(req, res) {
  const s = sw();
  if (!(await delayFor(s, 'handshake'))) return;
  if (s.handshake_redirect) {
    const location = typeof s.handshake_redirect === 'string'
      ? s.handshake_redirect
      : `https://localhost:${port}/api/pellora/desktop/handshake`;
    return send(res, 302, '', { Location: location });
  }
  const status = switchStatus(s, 'handshake_status');
  if (typeof s.handshake_body === 'string') {
    return send(res, status || 200, s.handshake_body, { 'Content-Type': 'application/json' });
  }
  const doc = {
    product: 'handshake_product' in s ? s.handshake_product : PRODUCT,
    version: 'handshake_version' in s ? s.handshake_version : version,
    desktop_protocol: 'handshake_protocol' in s ? s.handshake_protocol : DESKTOP_PROTOCOL,
    capabilities: 'handshake_capabilities' in s ? s.handshake_capabilities : CAPABILITIES,
  };
  // null means "leave the key out", so tests can send documents with missing keys.
  for (const key of Object.keys(doc)) if (doc[key] === null) delete doc[key];
  let body = JSON.stringify(doc);
  const size = Number(s.handshake_oversize);
  if (Number.isInteger(size) && size > 0) {
    const base = JSON.stringify({ ...doc, padding: '' });
    body = JSON.stringify({ ...doc, padding: ' '.repeat(Math.max(0, size - Buffer.byteLength(base))) });
  }
  send(res, status || 200, body, { 'Content-Type': 'application/json; charset=utf-8' });
}

function info(req, res) {
  const grants = store.readGrants();
  sendJSON(res, 200, {
    product: PRODUCT,
    version,
    port,
    pid: process.pid,
    started_at: startedAt,
    desktop_protocol: DESKTOP_PROTOCOL,
    capabilities: CAPABILITIES,
    worker_key: workerKey !== null,
    grants: {
      desktop: grants.desktop.length,
      folders: grants.folders.length,
      reset_tokens: grants.reset_tokens.length,
    },
  });
}

// ---- pages -------------------------------------------------------------------------

async function page(req, res, compact) {
  const s = sw();
  if (!(await delayFor(s, 'page'))) return;
  const headers = { 'Content-Type': 'text/html; charset=utf-8' };
  if (s.page_recovery_header === true) headers['X-Pellora-Recovery'] = '1';
  const status = switchStatus(s, 'page_status') || 200;
  const html = renderPage({
    compact,
    version,
    clientMarker: s.page_client_marker !== false,
    recoveryMarker: s.page_recovery_marker === true,
  });
  send(res, status, html, headers);
}

const ASSETS = {
  '/assets/app.js': ['app.js', 'text/javascript; charset=utf-8'],
  '/assets/app.css': ['app.css', 'text/css; charset=utf-8'],
  '/assets/icon.svg': ['icon.svg', 'image/svg+xml'],
  '/favicon.ico': ['icon.svg', 'image/svg+xml'],
};

function asset(req, res, pathname) {
  const [name, type] = ASSETS[pathname];
  send(res, 200, fs.readFileSync(path.join(dir, 'web', name)), { 'Content-Type': type });
}

// ---- files and works ---------------------------------------------------------------

function downloadSwitch(res) {
  const status = switchStatus(sw(), 'download_status');
  if (status) {
    sendJSON(res, status, { ok: false, error: 'download_unavailable' });
    return true;
  }
  return false;
}

function fileDownload(req, res, url) {
  if (downloadSwitch(res)) return;
  const rel = url.searchParams.get('path');
  if (!rel) throw new HttpError(400, 'missing_path', 'query parameter "path" is required');
  const file = store.resolveFile(rel);
  if (!file) throw new HttpError(400, 'invalid_path', 'path leaves the workspace');
  sendFileDownload(res, file, path.basename(file));
}

async function fileUpload(req, res, url) {
  const name = url.searchParams.get('name') || '';
  const file = store.resolveFile(name);
  if (!file || path.basename(name).startsWith('.')) throw new HttpError(400, 'invalid_path', 'invalid file name');
  const body = await readBody(req);
  store.ensure();
  fs.mkdirSync(path.dirname(file), { recursive: true });
  fs.writeFileSync(file, body);
  sendJSON(res, 201, { ok: true, path: path.relative(P.files, file), size: body.length });
}

async function createWork(req, res) {
  const body = await readJSONBody(req);
  const title = typeof body.title === 'string' ? body.title.trim() : '';
  if (title === '' || title.length > 200) throw new HttpError(400, 'invalid_title', 'title must be 1–200 characters');
  const durationMs = body.duration_ms === undefined ? 5000 : body.duration_ms;
  if (!Number.isInteger(durationMs) || durationMs < 0 || durationMs > 3600000) {
    throw new HttpError(400, 'invalid_duration', 'duration_ms must be an integer from 0 to 3600000');
  }
  sendJSON(res, 201, store.createWork({ title, durationMs }));
}

function workDownload(req, res, id) {
  if (downloadSwitch(res)) return;
  const work = store.getWork(id);
  if (!work) throw new HttpError(404, 'unknown_work', 'no such work');
  if (work.status !== 'done') throw new HttpError(409, 'work_not_finished', `work is ${work.status}`);
  const safeTitle = work.title.replace(/[^\p{L}\p{N} _.-]+/gu, '').trim().slice(0, 60) || work.id;
  sendFileDownload(res, store.workResultFile(id), `${safeTitle}.md`);
}

function cancelWork(req, res, id) {
  const work = store.getWork(id);
  if (!work) throw new HttpError(404, 'unknown_work', 'no such work');
  if (work.status === 'queued' || work.status === 'running') {
    work.status = 'cancelled';
    work.finished_at = new Date().toISOString();
    store.saveWork(work);
  }
  sendJSON(res, 200, work);
}

// ---- sessions ----------------------------------------------------------------------

function agentReply(text) {
  if (!corpus) {
    try {
      corpus = loadCorpus(P.corpus);
    } catch {
      corpus = [];
    }
  }
  const results = search(corpus, text, 3);
  if (results.length === 0) {
    return { text: 'I found nothing about that in the offline library. Try other words.', results };
  }
  return { text: `Here is what the offline library says about “${text}”:`, results };
}

async function postMessage(req, res, id) {
  const session = store.getSession(id);
  if (!session) throw new HttpError(404, 'unknown_session', 'no such session');
  if (session.status !== 'active') throw new HttpError(409, 'session_ended', 'the session has ended');
  const body = await readJSONBody(req);
  const text = typeof body.text === 'string' ? body.text.trim() : '';
  if (text === '' || text.length > 4000) throw new HttpError(400, 'invalid_text', 'text must be 1–4000 characters');
  const now = new Date().toISOString();
  session.messages.push({ role: 'user', text, at: now });
  const reply = agentReply(text);
  session.messages.push({ role: 'agent', text: reply.text, results: reply.results, at: now });
  store.saveSession(session);
  sendJSON(res, 200, session);
}

// ---- local folders -----------------------------------------------------------------

// A folder's fingerprint identifies the picked folder by its name and file list, so a
// grant given for it can be recognised later.
async function folderFingerprint(req, res) {
  const body = await readJSONBody(req);
  if (typeof body.rootName !== 'string' || body.rootName === '' || !Array.isArray(body.entries)) {
    throw new HttpError(400, 'invalid_folder', 'rootName and entries are required');
  }
  const lines = body.entries
    .filter((e) => e && typeof e.relativePath === 'string')
    .map((e) => `${e.relativePath}\t${Number.isInteger(e.size) ? e.size : -1}`)
    .sort();
  sendJSON(res, 200, { fingerprint: sha256(`${body.rootName}\n${lines.join('\n')}`), files: lines.length });
}

// ---- worker key --------------------------------------------------------------------

function isLoopback(h) {
  return h === '127.0.0.1' || h === '::1' || h === 'localhost';
}

// The key lets pages that the desktop application signs for prove their requests to this
// worker. A fresh key is written on every start, atomically, readable only by the user.
function writeWorkerKey() {
  const file = common.workerKeyPath(port);
  const key = crypto.randomBytes(32);
  fs.mkdirSync(path.dirname(file), { recursive: true, mode: 0o700 });
  common.writeFileAtomic(file, key.toString('hex') + '\n', 0o600);
  workerKey = key;
  log(`worker key written to ${file}`);
}

function removeWorkerKey() {
  if (!workerKey) return;
  const file = common.workerKeyPath(port);
  try {
    const onDisk = fs.readFileSync(file, 'utf8').trim();
    if (onDisk === workerKey.toString('hex')) fs.unlinkSync(file);
  } catch {
    // Already gone or replaced by another start: leave it.
  }
}

async function verifyWorker(req, res) {
  const body = await readJSONBody(req);
  if (!workerKey) throw new HttpError(503, 'worker_not_initialized', 'the worker key is not available');
  const { timestamp, message, signature } = body;
  if (!Number.isInteger(timestamp) || typeof message !== 'string' || typeof signature !== 'string') {
    throw new HttpError(400, 'invalid_request', 'timestamp (integer), message and signature are required');
  }
  if (Math.abs(Date.now() - timestamp) > WORKER_SKEW_MS) {
    throw new HttpError(401, 'stale_timestamp', 'timestamp is more than 5 minutes away');
  }
  const expected = crypto.createHmac('sha256', workerKey).update(`${timestamp}|${message}`, 'utf8').digest();
  let given;
  try {
    given = Buffer.from(signature, 'hex');
  } catch {
    given = Buffer.alloc(0);
  }
  if (!/^[0-9a-f]{64}$/.test(signature) || !crypto.timingSafeEqual(expected, given)) {
    throw new HttpError(401, 'bad_signature', 'signature does not match');
  }
  const now = Date.now();
  for (const [sig, at] of usedSignatures) if (now - at > WORKER_SKEW_MS * 2) usedSignatures.delete(sig);
  if (usedSignatures.has(signature)) throw new HttpError(401, 'replayed', 'signature was already used');
  usedSignatures.set(signature, now);
  sendJSON(res, 200, { ok: true, message });
}

// ---- test administration -----------------------------------------------------------

async function testAdminRoute(req, res, pathname) {
  const remote = req.socket.remoteAddress || '';
  if (!testAdmin || !(remote === '127.0.0.1' || remote === '::1' || remote === '::ffff:127.0.0.1')) {
    throw new HttpError(404, 'not_found', 'no such endpoint');
  }
  if (pathname === `${TEST_PREFIX}switches`) {
    if (req.method === 'GET') return sendJSON(res, 200, sw());
    if (req.method === 'DELETE') {
      common.writeSwitches(dir, {});
      return sendJSON(res, 200, {});
    }
    if (req.method === 'POST' || req.method === 'PUT') {
      const body = await readJSONBody(req);
      let current = {};
      try {
        current = JSON.parse(fs.readFileSync(P.switches, 'utf8'));
      } catch {
        current = {};
      }
      const next = req.method === 'PUT' ? body : { ...current, ...body };
      for (const key of Object.keys(next)) if (next[key] === undefined) delete next[key];
      common.writeSwitches(dir, next);
      return sendJSON(res, 200, sw());
    }
    throw new HttpError(405, 'method_not_allowed', 'use GET, POST, PUT or DELETE');
  }
  if (pathname === `${TEST_PREFIX}requests` && req.method === 'GET') return sendJSON(res, 200, recentRequests);
  if (pathname === `${TEST_PREFIX}requests` && req.method === 'DELETE') {
    recentRequests.length = 0;
    return sendJSON(res, 200, []);
  }
  throw new HttpError(404, 'not_found', 'no such endpoint');
}

// ---- routing -----------------------------------------------------------------------

const ID = '([A-Za-z0-9_-]{1,64})';
const routes = [
  ['GET', /^\/$/, (req, res) => page(req, res, false)],
  ['GET', /^\/compact-chat\/?$/, (req, res) => page(req, res, true)],
  ['GET', /^\/api\/pellora\/system\/liveness$/, liveness],
  ['GET', /^\/api\/pellora\/system\/inflight$/, inflight],
  ['GET', /^\/api\/pellora\/system\/info$/, info],
  ['GET', /^\/api\/pellora\/desktop\/handshake$/, handshake],
  ['GET', /^\/api\/pellora\/files$/, (req, res) => sendJSON(res, 200, store.listFiles())],
  ['GET', /^\/api\/pellora\/files\/download$/, (req, res, url) => fileDownload(req, res, url)],
  ['POST', /^\/api\/pellora\/files\/upload$/, (req, res, url) => fileUpload(req, res, url)],
  ['GET', /^\/api\/pellora\/works$/, (req, res) => sendJSON(res, 200, store.listWorks())],
  ['POST', /^\/api\/pellora\/works$/, createWork],
  ['GET', new RegExp(`^/api/pellora/works/${ID}$`), (req, res, url, m) => {
    const work = store.getWork(m[1]);
    if (!work) throw new HttpError(404, 'unknown_work', 'no such work');
    sendJSON(res, 200, work);
  }],
  ['GET', new RegExp(`^/api/pellora/works/${ID}/download$`), (req, res, url, m) => workDownload(req, res, m[1])],
  ['POST', new RegExp(`^/api/pellora/works/${ID}/cancel$`), (req, res, url, m) => cancelWork(req, res, m[1])],
  ['GET', /^\/api\/pellora\/sessions$/, (req, res) => sendJSON(res, 200, store.listSessions())],
  ['POST', /^\/api\/pellora\/sessions$/, async (req, res) => {
    const body = await readJSONBody(req);
    const title = typeof body.title === 'string' && body.title.trim() !== '' ? body.title.trim().slice(0, 200) : 'New session';
    sendJSON(res, 201, store.createSession(title));
  }],
  ['GET', new RegExp(`^/api/pellora/sessions/${ID}$`), (req, res, url, m) => {
    const session = store.getSession(m[1]);
    if (!session) throw new HttpError(404, 'unknown_session', 'no such session');
    sendJSON(res, 200, session);
  }],
  ['POST', new RegExp(`^/api/pellora/sessions/${ID}/messages$`), (req, res, url, m) => postMessage(req, res, m[1])],
  ['POST', new RegExp(`^/api/pellora/sessions/${ID}/end$`), (req, res, url, m) => {
    const session = store.getSession(m[1]);
    if (!session) throw new HttpError(404, 'unknown_session', 'no such session');
    if (session.status === 'active') {
      session.status = 'ended';
      session.ended_at = new Date().toISOString();
      store.saveSession(session);
    }
    sendJSON(res, 200, session);
  }],
  ['POST', /^\/api\/pellora\/folders\/fingerprint$/, folderFingerprint],
  ['POST', /^\/api\/pellora\/desktop\/worker\/verify$/, verifyWorker],
];

async function handle(req, res) {
  let url;
  try {
    url = new URL(req.url, 'http://localhost');
  } catch {
    throw new HttpError(400, 'bad_request', 'malformed request target');
  }
  let pathname;
  try {
    pathname = decodeURIComponent(url.pathname);
  } catch {
    throw new HttpError(400, 'bad_request', 'malformed percent-encoding in path');
  }
  if (url.searchParams.toString() && [...url.searchParams.values()].some((v) => v.includes('\0'))) {
    throw new HttpError(400, 'bad_request', 'NUL in query');
  }

  recentRequests.push({
    at: new Date().toISOString(),
    method: req.method,
    path: url.pathname,
    desktop_navigation: req.headers['x-pellora-desktop-navigation'] || null,
  });
  if (recentRequests.length > 200) recentRequests.shift();

  if (pathname.startsWith(TEST_PREFIX)) return testAdminRoute(req, res, pathname);
  if (ASSETS[pathname]) {
    if (req.method !== 'GET' && req.method !== 'HEAD') throw new HttpError(405, 'method_not_allowed', 'use GET');
    return asset(req, res, pathname);
  }
  let pathMatched = false;
  for (const [method, pattern, fn] of routes) {
    const m = pattern.exec(pathname);
    if (!m) continue;
    pathMatched = true;
    if (method === req.method || (method === 'GET' && req.method === 'HEAD')) return fn(req, res, url, m);
  }
  if (pathMatched) throw new HttpError(405, 'method_not_allowed', `${req.method} is not allowed here`);
  if (pathname.startsWith('/api/')) throw new HttpError(404, 'not_found', 'no such endpoint');
  send(res, 404, renderPage({ notFound: true, version, clientMarker: false, recoveryMarker: false }), {
    'Content-Type': 'text/html; charset=utf-8',
  });
}

// ---- lifecycle ---------------------------------------------------------------------

const servers = [];
const sockets = new Set();

function makeServer() {
  const server = http.createServer((req, res) => {
    Promise.resolve()
      .then(() => handle(req, res))
      .catch((err) => {
        if (!(err instanceof HttpError)) log(`error on ${req.method} ${req.url}: ${err.stack || err}`);
        sendError(res, err instanceof HttpError ? err : new HttpError(500, 'internal_error', 'internal error'));
      });
  });
  server.on('connection', (socket) => {
    sockets.add(socket);
    socket.on('close', () => sockets.delete(socket));
  });
  server.on('clientError', (err, socket) => {
    if (socket.writable) socket.end('HTTP/1.1 400 Bad Request\r\nConnection: close\r\nContent-Length: 0\r\n\r\n');
    else socket.destroy();
  });
  return server;
}

function listen(server, address) {
  return new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen({ port, host: address }, () => {
      server.off('error', reject);
      resolve();
    });
  });
}

let shuttingDown = false;

function shutdown(reason) {
  if (shuttingDown) return;
  shuttingDown = true;
  log(`stopping (${reason})`);
  removeWorkerKey();
  try {
    if (Number(fs.readFileSync(path.join(P.run, 'server.pid'), 'utf8')) === process.pid) {
      fs.unlinkSync(path.join(P.run, 'server.pid'));
    }
  } catch {
    // No pid file: nothing to clean.
  }
  for (const s of servers) s.close();
  for (const socket of sockets) socket.destroy();
  setTimeout(() => process.exit(0), 50).unref();
}

process.on('SIGTERM', () => {
  if (sw().ignore_sigterm === true) {
    log('SIGTERM ignored (test switch)');
    return;
  }
  shutdown('SIGTERM');
});
process.on('SIGINT', () => shutdown('SIGINT'));

async function main() {
  store.ensure();
  fs.mkdirSync(P.run, { recursive: true });
  const primary = makeServer();
  try {
    await listen(primary, host);
  } catch (err) {
    log(`cannot listen on ${host}:${port}: ${err.message}`);
    process.stderr.write(`pellora server: cannot listen on ${host}:${port}: ${err.message}\n`);
    process.exit(1);
  }
  servers.push(primary);
  // "localhost" may resolve to the IPv6 loopback first; answer there too when we can.
  if (host === '127.0.0.1') {
    const v6 = makeServer();
    try {
      await listen(v6, '::1');
      servers.push(v6);
    } catch {
      v6.close();
    }
  }
  if (isLoopback(host)) {
    try {
      writeWorkerKey();
    } catch (err) {
      log(`worker key not written: ${err.message}`);
    }
  }
  common.writeFileAtomic(path.join(P.run, 'server.pid'), String(process.pid));
  log(`Pellora Engine ${version} listening on http://${host}:${port} (pid ${process.pid})`);
}

main();
