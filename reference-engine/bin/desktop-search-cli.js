'use strict';
// Agent web search for the desktop browser. Reads one JSON request on standard input,
// {"query": string, "maxResults": 1..20, "preferredEngine"?: string}, and prints one JSON
// object {"outcome": {...}} on standard output. Results come from the corpus that ships
// with the installation, so a search never needs the network.
//
// Environment: PELLORA_DIR (the installation; defaults to this script's parent directory)
// and PELLORA_DESKTOP_SEARCH_PROFILE_ROOT (a per-profile directory where the search keeps
// its history; nothing is written when it is absent).

const fs = require('fs');
const path = require('path');

const installDir = process.env.PELLORA_DIR && process.env.PELLORA_DIR.trim() !== ''
  ? path.resolve(process.env.PELLORA_DIR)
  : path.resolve(__dirname, '..');

const common = require(path.join(__dirname, '..', 'lib', 'common.js'));
const { ENGINES, search, loadCorpus } = require(path.join(__dirname, '..', 'lib', 'search.js'));

function fail(message, code = 1) {
  process.stderr.write(`desktop-search: ${message}\n`);
  process.exit(code);
}

function validate(request) {
  if (!request || typeof request !== 'object' || Array.isArray(request)) return 'request must be a JSON object';
  if (typeof request.query !== 'string' || request.query.trim() === '') return 'query must be a non-empty string';
  if (request.query.length > 1000) return 'query is longer than 1000 characters';
  if (!Number.isInteger(request.maxResults) || request.maxResults < 1 || request.maxResults > 20) {
    return 'maxResults must be an integer from 1 to 20';
  }
  if (request.preferredEngine !== undefined && !ENGINES.includes(request.preferredEngine)) {
    return `preferredEngine must be one of ${ENGINES.join(', ')}`;
  }
  return null;
}

function recordHistory(profileRoot, request, count) {
  fs.mkdirSync(profileRoot, { recursive: true, mode: 0o700 });
  const line = JSON.stringify({ at: new Date().toISOString(), query: request.query, results: count });
  fs.appendFileSync(path.join(profileRoot, 'history.jsonl'), line + '\n', { mode: 0o600 });
}

function readStdin() {
  return new Promise((resolve, reject) => {
    const chunks = [];
    let size = 0;
    process.stdin.on('data', (chunk) => {
      size += chunk.length;
      if (size > 1024 * 1024) reject(new Error('request larger than 1 MiB'));
      chunks.push(chunk);
    });
    process.stdin.on('end', () => resolve(Buffer.concat(chunks).toString('utf8')));
    process.stdin.on('error', reject);
  });
}

async function main() {
  const mode = common.switches(installDir).search_mode;
  let text;
  try {
    text = await readStdin();
  } catch (err) {
    fail(err.message);
  }
  let request;
  try {
    request = JSON.parse(text);
  } catch {
    fail('standard input is not valid JSON');
  }
  const problem = validate(request);
  if (problem) fail(problem, 2);

  if (mode === 'fail') fail('search failed (test switch)');
  if (mode === 'hang') {
    setInterval(() => {}, 1 << 30);
    return;
  }
  if (mode === 'huge') {
    process.stdout.write(JSON.stringify({ outcome: { padding: 'x'.repeat(150000) } }) + '\n');
    return;
  }
  if (mode === 'no_outcome') {
    process.stdout.write('{}\n');
    return;
  }

  let documents;
  try {
    documents = loadCorpus(common.paths(installDir).corpus);
  } catch (err) {
    fail(`cannot read the search corpus: ${err.message}`);
  }
  const started = Date.now();
  const results = search(documents, request.query, request.maxResults);
  const profileRoot = process.env.PELLORA_DESKTOP_SEARCH_PROFILE_ROOT;
  if (profileRoot && profileRoot.trim() !== '') {
    try {
      recordHistory(profileRoot, request, results.length);
    } catch (err) {
      process.stderr.write(`desktop-search: history not written: ${err.message}\n`);
    }
  }
  const outcome = {
    query: request.query,
    engine: request.preferredEngine || 'duckduckgo',
    source: 'offline-corpus',
    results,
    tookMs: Date.now() - started,
  };
  process.stdout.write(JSON.stringify({ outcome }) + '\n');
}

main();
