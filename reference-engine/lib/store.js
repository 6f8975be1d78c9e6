'use strict';
// The Engine's user data: works (background jobs run by the scheduler), agent sessions,
// workspace files and the grants issued by the admin commands. Everything lives under
// <installation>/data as small JSON files, so the server, the scheduler and the tool can
// share it without a database, and upgrades keep it by leaving the folder alone.

const crypto = require('crypto');
const fs = require('fs');
const path = require('path');
const common = require('./common');

const WORK_ID = /^[A-Za-z0-9_-]{1,64}$/;

class Store {
  constructor(dir) {
    this.p = common.paths(dir);
  }

  ensure() {
    for (const d of [this.p.data, this.p.works, this.p.files, this.p.sessions]) {
      fs.mkdirSync(d, { recursive: true });
    }
  }

  // ---- works -----------------------------------------------------------------------

  static isWorkId(id) {
    return typeof id === 'string' && WORK_ID.test(id);
  }

  workFile(id) {
    return path.join(this.p.works, `${id}.json`);
  }

  workResultFile(id) {
    return path.join(this.p.works, `${id}.result.md`);
  }

  listWorks() {
    let names = [];
    try {
      names = fs.readdirSync(this.p.works);
    } catch {
      return [];
    }
    return names
      .filter((n) => n.endsWith('.json'))
      .map((n) => common.readJSON(path.join(this.p.works, n), null))
      .filter((w) => w && Store.isWorkId(w.id))
      .sort((a, b) => (a.created_at < b.created_at ? 1 : -1));
  }

  getWork(id) {
    if (!Store.isWorkId(id)) return null;
    return common.readJSON(this.workFile(id), null);
  }

  saveWork(work) {
    this.ensure();
    common.writeFileAtomic(this.workFile(work.id), JSON.stringify(work, null, 2));
    return work;
  }

  createWork({ title, durationMs }) {
    const work = {
      id: `w_${crypto.randomBytes(6).toString('hex')}`,
      title,
      status: 'queued',
      progress: 0,
      duration_ms: durationMs,
      created_at: new Date().toISOString(),
      started_at: null,
      finished_at: null,
    };
    return this.saveWork(work);
  }

  worksInProgress() {
    return this.listWorks().filter((w) => w.status === 'queued' || w.status === 'running').length;
  }

  // ---- sessions --------------------------------------------------------------------

  sessionFile(id) {
    return path.join(this.p.sessions, `${id}.json`);
  }

  listSessions() {
    let names = [];
    try {
      names = fs.readdirSync(this.p.sessions);
    } catch {
      return [];
    }
    return names
      .filter((n) => n.endsWith('.json'))
      .map((n) => common.readJSON(path.join(this.p.sessions, n), null))
      .filter((s) => s && Store.isWorkId(s.id))
      .sort((a, b) => (a.created_at < b.created_at ? 1 : -1));
  }

  getSession(id) {
    if (!Store.isWorkId(id)) return null;
    return common.readJSON(this.sessionFile(id), null);
  }

  saveSession(session) {
    this.ensure();
    common.writeFileAtomic(this.sessionFile(session.id), JSON.stringify(session, null, 2));
    return session;
  }

  createSession(title) {
    return this.saveSession({
      id: `s_${crypto.randomBytes(6).toString('hex')}`,
      title,
      status: 'active',
      created_at: new Date().toISOString(),
      ended_at: null,
      messages: [],
    });
  }

  sessionsActive() {
    return this.listSessions().filter((s) => s.status === 'active').length;
  }

  // ---- files -----------------------------------------------------------------------

  // Resolves a workspace-relative path, refusing anything that leaves the files folder.
  resolveFile(relative) {
    if (typeof relative !== 'string' || relative === '' || relative.includes('\0')) return null;
    const root = this.p.files;
    const full = path.resolve(root, relative);
    if (!full.startsWith(root + path.sep)) return null;
    return full;
  }

  listFiles() {
    const out = [];
    const walk = (dir, prefix) => {
      let entries = [];
      try {
        entries = fs.readdirSync(dir, { withFileTypes: true });
      } catch {
        return;
      }
      for (const e of entries.sort((a, b) => a.name.localeCompare(b.name))) {
        if (e.name.startsWith('.')) continue;
        const rel = prefix ? `${prefix}/${e.name}` : e.name;
        const full = path.join(dir, e.name);
        if (e.isDirectory()) walk(full, rel);
        else if (e.isFile()) {
          const st = fs.statSync(full);
          out.push({ path: rel, size: st.size, modified_at: st.mtime.toISOString() });
        }
      }
    };
    walk(this.p.files, '');
    return out;
  }

  // ---- grants ----------------------------------------------------------------------

  readGrants() {
    const g = common.readJSON(this.p.grants, {});
    return {
      desktop: Array.isArray(g.desktop) ? g.desktop : [],
      folders: Array.isArray(g.folders) ? g.folders : [],
      reset_tokens: Array.isArray(g.reset_tokens) ? g.reset_tokens : [],
    };
  }

  writeGrants(grants) {
    this.ensure();
    common.writeFileAtomic(this.p.grants, JSON.stringify(grants, null, 2), 0o600);
  }
}

function sha256(text) {
  return crypto.createHash('sha256').update(text).digest('hex');
}

module.exports = { Store, sha256 };
