'use strict';

const assert = require('node:assert/strict');
const fs = require('fs');
const path = require('path');
const { test } = require('node:test');

const common = require('../lib/common');
const { ENGINE_SRC, tempDir, run } = require('../test-support/helpers');

const CLI = path.join(ENGINE_SRC, 'bin/desktop-search-cli.js');

function search(request, env = {}) {
  return run(process.execPath, [CLI], {
    input: typeof request === 'string' ? request : JSON.stringify(request),
    env: { PELLORA_DIR: ENGINE_SRC, PELLORA_DESKTOP_SEARCH_PROFILE_ROOT: '', ...env },
  });
}

test('a search answers {"outcome"} from the shipped corpus and keeps history in the profile root', async (t) => {
  const profile = path.join(tempDir(t), 'AgentSearch', 'a'.repeat(64));
  const res = await search({ query: 'sourdough starter', maxResults: 2, preferredEngine: 'bing' }, {
    PELLORA_DESKTOP_SEARCH_PROFILE_ROOT: profile,
  });
  assert.equal(res.status, 0, res.stderr);
  const { outcome } = JSON.parse(res.stdout);
  assert.equal(outcome.engine, 'bing');
  assert.equal(outcome.results.length, 2);
  assert.equal(outcome.results[0].title, 'Sourdough starter basics');
  assert.match(outcome.results[0].url, /^https:\/\//);
  const history = fs.readFileSync(path.join(profile, 'history.jsonl'), 'utf8').trim().split('\n');
  assert.equal(JSON.parse(history[0]).query, 'sourdough starter');

  const none = JSON.parse((await search({ query: 'zyxwvut', maxResults: 5 })).stdout);
  assert.deepEqual(none.outcome.results, []);
});

test('the search reads the corpus of the installation named by PELLORA_DIR', async (t) => {
  const dir = tempDir(t);
  fs.mkdirSync(path.join(dir, 'corpus'));
  fs.writeFileSync(path.join(dir, 'corpus/search-corpus.json'), JSON.stringify({
    documents: [{ title: 'Only here', url: 'https://example.org/only', body: 'a unique marmalade recipe' }],
  }));
  const res = await search({ query: 'marmalade', maxResults: 3 }, { PELLORA_DIR: dir });
  assert.deepEqual(JSON.parse(res.stdout).outcome.results.map((r) => r.title), ['Only here']);

  const missing = await search({ query: 'marmalade', maxResults: 3 }, { PELLORA_DIR: path.join(dir, 'nowhere') });
  assert.equal(missing.status, 1);
  assert.match(missing.stderr, /corpus/);
});

test('invalid requests fail without output', async () => {
  const cases = [
    ['not json', 1],
    ['[]', 2],
    [{ maxResults: 3 }, 2],
    [{ query: '   ', maxResults: 3 }, 2],
    [{ query: 'x'.repeat(1001), maxResults: 3 }, 2],
    [{ query: 'tides', maxResults: 0 }, 2],
    [{ query: 'tides', maxResults: 21 }, 2],
    [{ query: 'tides', maxResults: 2.5 }, 2],
    [{ query: 'tides', maxResults: 3, preferredEngine: 'altavista' }, 2],
  ];
  for (const [request, status] of cases) {
    const res = await search(request);
    assert.equal(res.status, status, JSON.stringify(request));
    assert.equal(res.stdout, '');
  }
});

test('search switches make the program fail, flood its output or hang', async (t) => {
  const dir = tempDir(t);
  fs.cpSync(path.join(ENGINE_SRC, 'corpus'), path.join(dir, 'corpus'), { recursive: true });
  const request = { query: 'tides', maxResults: 3 };

  common.writeSwitches(dir, { search_mode: 'fail' });
  assert.equal((await search(request, { PELLORA_DIR: dir })).status, 1);

  common.writeSwitches(dir, { search_mode: 'huge' });
  const huge = await search(request, { PELLORA_DIR: dir });
  assert.equal(huge.status, 0);
  assert.ok(Buffer.byteLength(huge.stdout) > 100000);

  common.writeSwitches(dir, { search_mode: 'hang' });
  assert.equal((await run(process.execPath, [CLI], { input: JSON.stringify(request), env: { PELLORA_DIR: dir }, timeoutMs: 800 })).timedOut, true);
});

test('the port is the first PORT= line with a value in range', () => {
  const cases = [
    ['PORT=9811\n', 9811],
    ['PORT=0\nPORT=70000\n', 9700],
    ['PORT =9811\nPORT=  9812  \n', 9812],
    ['# PORT=1\nHOST=x\nPORT=+8080\n', 8080],
    ['PORT=12ab\nPORT=4000', 4000],
    ['', 9700],
  ];
  for (const [text, port] of cases) assert.equal(common.portFromEnvText(text), port, JSON.stringify(text));
});
