'use strict';
// The Engine's scheduler: runs queued works one after another and writes their reports.
// Started by `bin/pellora start` as `<dir>/runtime/node <dir>/scheduler.js`.

const fs = require('fs');
const path = require('path');

const common = require('./lib/common');
const { Store } = require('./lib/store');

const TICK_MS = 250;

const dir = common.installDirFromEnv();
const P = common.paths(dir);
const store = new Store(dir);
let running = null;
let stopping = false;

function log(message) {
  process.stdout.write(`${new Date().toISOString()} [scheduler] ${message}\n`);
}

function report(work) {
  const finished = new Date().toISOString();
  return [
    `# ${work.title}`,
    '',
    `- Work: ${work.id}`,
    `- Queued: ${work.created_at}`,
    `- Started: ${work.started_at}`,
    `- Finished: ${finished}`,
    '',
    'This report was produced by the local Pellora Engine scheduler.',
    '',
  ].join('\n');
}

// One step of the loop: resume or advance the running work, or pick the oldest queued one.
// A work found "running" at startup was interrupted by a stop; it continues where its
// elapsed time says it was.
function tick() {
  if (stopping) return;
  const works = store.listWorks();
  let work = running ? store.getWork(running) : works.filter((w) => w.status === 'running').pop();
  if (!work || work.status !== 'running') {
    running = null;
    work = works.filter((w) => w.status === 'queued').pop();
    if (!work) return;
    work.status = 'running';
    work.started_at = new Date().toISOString();
    work.progress = 0;
    store.saveWork(work);
    log(`work ${work.id} started`);
  }
  running = work.id;
  const elapsed = Date.now() - Date.parse(work.started_at);
  const duration = Math.max(0, Number(work.duration_ms) || 0);
  if (elapsed >= duration) {
    fs.writeFileSync(store.workResultFile(work.id), report(work));
    // Re-read so a cancel that arrived meanwhile wins.
    const latest = store.getWork(work.id);
    if (latest && latest.status === 'running') {
      latest.status = 'done';
      latest.progress = 100;
      latest.finished_at = new Date().toISOString();
      store.saveWork(latest);
      log(`work ${work.id} done`);
    }
    running = null;
    return;
  }
  const progress = Math.min(99, Math.floor((elapsed / Math.max(duration, 1)) * 100));
  if (progress !== work.progress) {
    const latest = store.getWork(work.id);
    if (latest && latest.status === 'running') {
      latest.progress = progress;
      store.saveWork(latest);
    }
  }
}

function stop(reason) {
  if (stopping) return;
  stopping = true;
  log(`stopping (${reason})`);
  try {
    if (Number(fs.readFileSync(path.join(P.run, 'scheduler.pid'), 'utf8')) === process.pid) {
      fs.unlinkSync(path.join(P.run, 'scheduler.pid'));
    }
  } catch {
    // No pid file: nothing to clean.
  }
  process.exit(0);
}

process.on('SIGTERM', () => {
  if (common.switches(dir).ignore_sigterm === true) {
    log('SIGTERM ignored (test switch)');
    return;
  }
  stop('SIGTERM');
});
process.on('SIGINT', () => stop('SIGINT'));

store.ensure();
fs.mkdirSync(P.run, { recursive: true });
common.writeFileAtomic(path.join(P.run, 'scheduler.pid'), String(process.pid));
log(`scheduler started (pid ${process.pid})`);
setInterval(() => {
  try {
    tick();
  } catch (err) {
    log(`tick failed: ${err.stack || err}`);
  }
}, TICK_MS);
