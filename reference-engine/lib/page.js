'use strict';
// Renders the HTML document of the web interface. The markers sit in the served HTML
// itself (not added later by script) so that a check made when loading finishes sees them.

function escapeHTML(text) {
  return String(text).replace(/[&<>"']/g, (c) => ({ '&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;', "'": '&#39;' }[c]));
}

function renderPage({ compact = false, version = '0.0.0', clientMarker = true, recoveryMarker = false, notFound = false }) {
  const rootAttrs = [
    'lang="en"',
    clientMarker ? 'data-pellora-client="1"' : '',
    `data-pellora-view="${compact ? 'compact' : 'standard'}"`,
  ].filter(Boolean).join(' ');
  const recovery = recoveryMarker
    ? '<div class="recovery-notice" data-pellora-recovery="1" role="alert"><strong>Pellora is recovering.</strong> ' +
      'The Engine is getting ready again. This page reloads by itself.</div>'
    : '';
  const body = notFound
    ? '<main class="not-found"><h1>Not found</h1><p>There is nothing at this address.</p><p><a href="/">Open Pellora</a></p></main>'
    : `${recovery}<div id="app" class="app${compact ? ' app-compact' : ''}"><div class="boot">Loading Pellora…</div></div>
<noscript><p class="noscript">Pellora needs JavaScript.</p></noscript>
<script src="/assets/app.js" defer></script>`;
  return `<!doctype html>
<html ${rootAttrs}>
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<meta name="pellora-engine-version" content="${escapeHTML(version)}">
<title>${notFound ? 'Not found · Pellora' : compact ? 'Pellora chat' : 'Pellora'}</title>
<link rel="icon" href="/assets/icon.svg" type="image/svg+xml">
<link rel="stylesheet" href="/assets/app.css">
</head>
<body>
${body}
</body>
</html>
`;
}

module.exports = { renderPage, escapeHTML };
