'use strict';

const assert = require('node:assert/strict');
const crypto = require('crypto');
const fs = require('fs');
const net = require('net');
const path = require('path');
const { test, before, after } = require('node:test');

const { installEngine, request, waitFor } = require('../test-support/helpers');

// One Engine for the whole file; each test sets the switches it needs and clears them.
let engine;
const ctx = { after: (fn) => cleanups.push(fn) };
const cleanups = [];

before(async () => {
  engine = await installEngine(ctx);
  await engine.start();
});

after(async () => {
  for (const fn of cleanups.reverse()) await fn();
});

async function switches(value) {
  const res = await request(engine.url('/__pellora_test/switches'), { method: 'PUT', body: value });
  assert.equal(res.status, 200, res.text);
}

function get(pathname, opts) {
  return request(engine.url(pathname), opts);
}

test('system endpoints answer what the desktop application expects', async () => {
  await switches({});
  const live = await get('/api/pellora/system/liveness');
  assert.equal(live.status, 200);

  const hs = await get('/api/pellora/desktop/handshake');
  assert.equal(hs.status, 200);
  assert.deepEqual(hs.json, {
    product: 'pellora',
    version: '1.0.0',
    desktop_protocol: 1,
    capabilities: ['browser.v1', 'client.recovery.v1'],
  });

  const inflight = await get('/api/pellora/system/inflight');
  assert.deepEqual(inflight.json, { sessions_active: 0, works_in_progress: 0 });
});

test('in-flight counts follow real sessions and works', async () => {
  await switches({});
  const session = await get('/api/pellora/sessions', { method: 'POST', body: { title: 'Tides' } });
  assert.equal(session.status, 201);
  const reply = await get(`/api/pellora/sessions/${session.json.id}/messages`, { method: 'POST', body: { text: 'why are there tides' } });
  assert.equal(reply.status, 200);
  assert.equal(reply.json.messages[1].results[0].title, 'How tides work');

  const work = await get('/api/pellora/works', { method: 'POST', body: { title: 'Long report', duration_ms: 60000 } });
  assert.equal(work.status, 201);
  assert.deepEqual((await get('/api/pellora/system/inflight')).json, { sessions_active: 1, works_in_progress: 1 });

  await get(`/api/pellora/sessions/${session.json.id}/end`, { method: 'POST' });
  await get(`/api/pellora/works/${work.json.id}/cancel`, { method: 'POST' });
  assert.deepEqual((await get('/api/pellora/system/inflight')).json, { sessions_active: 0, works_in_progress: 0 });

  await switches({ inflight: { sessions_active: 2, works_in_progress: 3 } });
  assert.deepEqual((await get('/api/pellora/system/inflight')).json, { sessions_active: 2, works_in_progress: 3 });
  await switches({});
});

test('a finished work and a workspace file download as attachments; bad paths are refused', async () => {
  await switches({});
  const work = await get('/api/pellora/works', { method: 'POST', body: { title: 'Quick report', duration_ms: 0 } });
  const pending = await get(`/api/pellora/works/${work.json.id}/download`);
  // Either the scheduler was faster than us, or the work is not done yet.
  if (pending.status !== 200) assert.equal(pending.status, 409);
  await waitFor(async () => (await get(`/api/pellora/works/${work.json.id}`)).json.status === 'done');

  const dl = await get(`/api/pellora/works/${work.json.id}/download`);
  assert.equal(dl.status, 200);
  assert.match(dl.headers['content-disposition'], /^attachment; filename="Quick report\.md"/);
  assert.match(dl.text, /^# Quick report/);

  const file = await get('/api/pellora/files/download?path=Welcome.md');
  assert.equal(file.status, 200);
  assert.match(file.headers['content-disposition'], /^attachment/);

  const upload = await get('/api/pellora/files/upload?name=notes/today.txt', { method: 'POST', body: 'hello' });
  assert.equal(upload.status, 201);
  assert.equal((await get('/api/pellora/files/download?path=notes%2Ftoday.txt')).text, 'hello');

  for (const [pathname, status] of [
    ['/api/pellora/works/w_missing/download', 404],
    ['/api/pellora/works/bad$id/download', 404],
    ['/api/pellora/files/download', 400],
    ['/api/pellora/files/download?path=..%2F.env', 400],
    ['/api/pellora/files/download?path=%2Fetc%2Fpasswd', 400],
    ['/api/pellora/files/download?path=missing.txt', 404],
  ]) {
    assert.equal((await get(pathname)).status, status, pathname);
  }

  await switches({ download_status: 404 });
  assert.equal((await get(`/api/pellora/works/${work.json.id}/download`)).status, 404);
  await switches({});
});

test('pages carry the client marker; switches add recovery markers, headers and failures', async () => {
  await switches({});
  for (const pathname of ['/', '/compact-chat']) {
    const page = await get(pathname, { headers: { 'X-Pellora-Desktop-Navigation': '1' } });
    assert.equal(page.status, 200);
    assert.match(page.text, /<html [^>]*data-pellora-client="1"/);
    assert.doesNotMatch(page.text, /data-pellora-recovery/);
    assert.equal(page.headers['x-pellora-recovery'], undefined);
  }
  assert.match((await get('/compact-chat')).text, /data-pellora-view="compact"/);
  const seen = (await get('/__pellora_test/requests')).json;
  assert.ok(seen.some((r) => r.path === '/' && r.desktop_navigation === '1'));

  await switches({ page_recovery_marker: true, page_recovery_header: true });
  const recovering = await get('/');
  assert.equal(recovering.headers['x-pellora-recovery'], '1');
  assert.match(recovering.text, /data-pellora-recovery/);

  await switches({ page_client_marker: false });
  assert.doesNotMatch((await get('/')).text, /data-pellora-client/);

  await switches({ page_status: 503, liveness_status: 503 });
  assert.equal((await get('/')).status, 503);
  assert.equal((await get('/api/pellora/system/liveness')).status, 503);

  await switches({ page_delay_ms: 400 });
  const started = Date.now();
  assert.equal((await get('/')).status, 200);
  assert.ok(Date.now() - started >= 380);

  await switches({ page_hang: true, inflight_hang: true });
  await assert.rejects(get('/', { timeoutMs: 300 }), { code: 'TIMEOUT' });
  await assert.rejects(get('/api/pellora/system/inflight', { timeoutMs: 300 }), { code: 'TIMEOUT' });
  await switches({});
  assert.equal((await get('/')).status, 200);
});

test('handshake switches produce each kind of wrong answer', async () => {
  const cases = [
    [{ handshake_product: 'other' }, (r) => assert.equal(r.json.product, 'other')],
    [{ handshake_protocol: 2 }, (r) => assert.equal(r.json.desktop_protocol, 2)],
    [{ handshake_protocol: '1' }, (r) => assert.equal(r.json.desktop_protocol, '1')],
    [{ handshake_capabilities: null }, (r) => assert.ok(!('capabilities' in r.json))],
    [{ handshake_capabilities: ['browser.v1'] }, (r) => assert.deepEqual(r.json.capabilities, ['browser.v1'])],
    [{ handshake_version: '' }, (r) => assert.equal(r.json.version, '')],
    [{ handshake_status: 500 }, (r) => assert.equal(r.status, 500)],
    [{ handshake_body: 'not json' }, (r) => assert.equal(r.text, 'not json')],
    [{ handshake_redirect: true }, (r) => {
      assert.equal(r.status, 302);
      assert.equal(r.headers.location, `https://localhost:${engine.port}/api/pellora/desktop/handshake`);
    }],
    [{ handshake_oversize: 16384 }, (r) => {
      assert.equal(Buffer.byteLength(r.text), 16384);
      assert.equal(r.json.product, 'pellora');
    }],
    [{ handshake_oversize: 16385 }, (r) => assert.equal(Buffer.byteLength(r.text), 16385)],
  ];
  for (const [value, check] of cases) {
    await switches(value);
    check(await get('/api/pellora/desktop/handshake'));
  }
  await switches({});
});

test('malformed requests get 4xx answers', async () => {
  await switches({});
  const cases = [
    [{ pathname: '/api/pellora/works', method: 'POST', body: '{not json' }, 400],
    [{ pathname: '/api/pellora/works', method: 'POST', body: '[]' }, 400],
    [{ pathname: '/api/pellora/works', method: 'POST', body: { title: '' } }, 400],
    [{ pathname: '/api/pellora/works', method: 'POST', body: { title: 'x', duration_ms: -1 } }, 400],
    [{ pathname: '/api/pellora/system/liveness', method: 'POST' }, 405],
    [{ pathname: '/api/pellora/nothing' }, 404],
    [{ pathname: '/%E0%A4%A' }, 400],
    [{ pathname: '/no/such/page' }, 404],
    [{ pathname: '/api/pellora/sessions/s_missing/messages', method: 'POST', body: { text: 'hi' } }, 404],
  ];
  for (const [{ pathname, ...opts }, status] of cases) {
    assert.equal((await get(pathname, opts)).status, status, `${opts.method || 'GET'} ${pathname}`);
  }

  // A request line that is not HTTP at all.
  const raw = await new Promise((resolve, reject) => {
    const socket = net.connect(engine.port, '127.0.0.1', () => socket.write('HELLO\r\n\r\n'));
    let data = '';
    socket.on('data', (d) => { data += d; });
    socket.on('end', () => resolve(data));
    socket.on('error', reject);
  });
  assert.match(raw, /^HTTP\/1\.1 400/);
});

test('the worker key file is private and verifies signed requests', async () => {
  await switches({});
  const file = path.join(engine.home, 'Library/Application Support/Pellora/desktop-browser-bridge', `${engine.port}.key`);
  const st = fs.statSync(file);
  assert.ok(st.isFile());
  assert.equal(st.mode & 0o777, 0o600);
  const hex = fs.readFileSync(file, 'utf8').trim();
  assert.match(hex, /^[0-9a-f]{64}$/);

  const key = Buffer.from(hex, 'hex');
  const sign = (timestamp, message) => crypto.createHmac('sha256', key).update(`${timestamp}|${message}`).digest('hex');
  const verify = (body) => get('/api/pellora/desktop/worker/verify', { method: 'POST', body });

  const now = Date.now();
  const good = await verify({ timestamp: now, message: 'héllo', signature: sign(now, 'héllo') });
  assert.equal(good.status, 200, good.text);
  assert.equal((await verify({ timestamp: now, message: 'héllo', signature: sign(now, 'héllo') })).json.error, 'replayed');
  assert.equal((await verify({ timestamp: now, message: 'other', signature: sign(now, 'héllo') })).json.error, 'bad_signature');
  const old = now - 10 * 60 * 1000;
  assert.equal((await verify({ timestamp: old, message: 'x', signature: sign(old, 'x') })).json.error, 'stale_timestamp');
  assert.equal((await verify({ timestamp: String(now), message: 'x', signature: 'y' })).status, 400);
});

test('the test admin endpoint is closed unless enabled', async (t) => {
  const plain = await installEngine(t, { env: { PELLORA_TEST_ADMIN: '0' } });
  await plain.start();
  assert.equal((await request(plain.url('/__pellora_test/switches'))).status, 404);
  // The switches file still works, for tests that cannot reach the endpoint.
  plain.setSwitches({ liveness_status: 500 });
  assert.equal((await request(plain.url('/api/pellora/system/liveness'))).status, 500);
});
