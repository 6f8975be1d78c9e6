'use strict';
// A small ranked full-text search over the corpus that ships with the Engine. It needs no
// network, so agent searches work offline and give the same answer every time.

const fs = require('fs');

const ENGINES = ['duckduckgo', 'bing', 'google', 'google_news'];

const STOP_WORDS = new Set([
  'a', 'an', 'and', 'are', 'as', 'at', 'be', 'by', 'do', 'does', 'for', 'from', 'how', 'i',
  'in', 'is', 'it', 'of', 'on', 'or', 'the', 'to', 'what', 'when', 'where', 'which', 'who',
  'why', 'with', 'my', 'can', 'you',
]);

function tokenize(text) {
  return String(text)
    .toLowerCase()
    .normalize('NFKD')
    .replace(/[\u0300-\u036f]/g, '')
    .split(/[^\p{L}\p{N}]+/u)
    .filter((t) => t !== '' && !STOP_WORDS.has(t));
}

// Light stemming so that "tides" finds "tide" and "baking" finds "bake".
function stem(token) {
  if (token.length > 5 && token.endsWith('ing')) return token.slice(0, -3);
  if (token.length > 4 && token.endsWith('es')) return token.slice(0, -2);
  if (token.length > 3 && token.endsWith('s') && !token.endsWith('ss')) return token.slice(0, -1);
  return token;
}

function loadCorpus(file) {
  const parsed = JSON.parse(fs.readFileSync(file, 'utf8'));
  if (!parsed || !Array.isArray(parsed.documents)) throw new Error(`corpus ${file} has no documents`);
  return parsed.documents;
}

function snippet(body, terms, length = 180) {
  const lower = body.toLowerCase();
  let at = -1;
  for (const t of terms) {
    const i = lower.indexOf(t);
    if (i >= 0 && (at < 0 || i < at)) at = i;
  }
  let start = at < 0 ? 0 : Math.max(0, at - 60);
  if (start > 0) {
    const space = body.indexOf(' ', start);
    if (space >= 0 && space < at) start = space + 1;
  }
  let text = body.slice(start, start + length);
  if (start + length < body.length) text = text.replace(/\s+\S*$/, '') + '…';
  return (start > 0 ? '…' : '') + text;
}

// Returns documents ranked by term matches: title hits count three times, every query
// term that matches at all adds a bonus so broad matches beat one repeated word.
function search(documents, query, maxResults) {
  const terms = [...new Set(tokenize(query).map(stem))];
  if (terms.length === 0) return [];
  const scored = [];
  documents.forEach((doc, index) => {
    const title = tokenize(doc.title).map(stem);
    const body = tokenize(doc.body).map(stem);
    let score = 0;
    let matched = 0;
    for (const term of terms) {
      const inTitle = title.filter((t) => t === term).length;
      const inBody = body.filter((t) => t === term).length;
      if (inTitle + inBody > 0) matched += 1;
      score += inTitle * 3 + inBody;
    }
    if (score > 0) scored.push({ doc, index, score: score + matched * 5 });
  });
  scored.sort((a, b) => b.score - a.score || a.index - b.index);
  return scored.slice(0, maxResults).map(({ doc, score }) => ({
    title: doc.title,
    url: doc.url,
    snippet: snippet(doc.body, terms),
    source: doc.source || null,
    score,
  }));
}

module.exports = { ENGINES, tokenize, search, loadCorpus };
