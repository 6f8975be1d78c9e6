// The Engine's web interface. One script, no dependencies.
//
// The page is a set of panels. Each panel is registered with PelloraApp.registerPanel({
// id, order, title, wide, when(ctx), render(body, ctx) }) and is shown, sorted by order,
// when `when` allows it.
// ctx carries the desktop shell object (window.__PELLORA_SHELL__, absent in a plain
// browser), the native browser bridge (window.__PELLORA_BROWSER__, when the desktop hosts
// one), the Engine facts and helpers. Adding the native browser panel later means
// registering one more panel that uses ctx.browser.
(function () {
  'use strict';

  var LANGUAGES = [
    ['en', 'English'], ['de', 'Deutsch'], ['fr', 'Français'], ['es', 'Español'], ['pt', 'Português'],
    ['ja', '日本語'], ['ko', '한국어'], ['zh', '简体中文'], ['zh-HK', '繁體中文'],
  ];

  var TEXTS = {
    en: {
      desktop: 'Desktop', sessions: 'Sessions', works: 'Works', files: 'Files', local: 'Local access',
      links: 'Links', browser: 'Browser', language: 'Language', interrupted: 'The connection to the Engine was interrupted.',
      secure: 'A secure connection to the Engine could not be established.', reload: 'Reload', newSession: 'New session',
      endSession: 'End session', send: 'Send', ask: 'Ask the offline library…', create: 'Start work',
      download: 'Download', cancel: 'Cancel', upload: 'Upload files', nothing: 'Nothing here yet.',
      grant: 'Grant desktop access', folder: 'Authorize a folder', reset: 'Request reset token',
      inBrowser: 'Running in a web browser, outside the desktop application.',
    },
    de: {
      desktop: 'Desktop', sessions: 'Sitzungen', works: 'Arbeiten', files: 'Dateien', local: 'Lokaler Zugriff',
      links: 'Links', browser: 'Browser', language: 'Sprache', interrupted: 'Die Verbindung zur Engine wurde unterbrochen.',
      secure: 'Es konnte keine sichere Verbindung zur Engine hergestellt werden.', reload: 'Neu laden',
      newSession: 'Neue Sitzung', endSession: 'Sitzung beenden', send: 'Senden', ask: 'Die Offline-Bibliothek fragen…',
      create: 'Arbeit starten', download: 'Herunterladen', cancel: 'Abbrechen', upload: 'Dateien hochladen',
      nothing: 'Noch nichts hier.', grant: 'Desktop-Zugriff gewähren', folder: 'Ordner freigeben',
      reset: 'Reset-Token anfordern', inBrowser: 'Läuft in einem Webbrowser, außerhalb der Desktop-App.',
    },
    fr: {
      desktop: 'Bureau', sessions: 'Sessions', works: 'Travaux', files: 'Fichiers', local: 'Accès local',
      links: 'Liens', browser: 'Navigateur', language: 'Langue', interrupted: 'La connexion au moteur a été interrompue.',
      secure: 'Aucune connexion sécurisée au moteur n’a pu être établie.', reload: 'Recharger',
      newSession: 'Nouvelle session', endSession: 'Terminer la session', send: 'Envoyer',
      ask: 'Interroger la bibliothèque hors ligne…', create: 'Lancer un travail', download: 'Télécharger',
      cancel: 'Annuler', upload: 'Téléverser des fichiers', nothing: 'Rien pour l’instant.',
      grant: 'Autoriser le bureau', folder: 'Autoriser un dossier', reset: 'Demander un jeton de réinitialisation',
      inBrowser: 'Affiché dans un navigateur, hors de l’application de bureau.',
    },
    es: {
      desktop: 'Escritorio', sessions: 'Sesiones', works: 'Trabajos', files: 'Archivos', local: 'Acceso local',
      links: 'Enlaces', browser: 'Navegador', language: 'Idioma', interrupted: 'Se interrumpió la conexión con el motor.',
      secure: 'No se pudo establecer una conexión segura con el motor.', reload: 'Recargar', newSession: 'Nueva sesión',
      endSession: 'Terminar sesión', send: 'Enviar', ask: 'Preguntar a la biblioteca sin conexión…',
      create: 'Iniciar trabajo', download: 'Descargar', cancel: 'Cancelar', upload: 'Subir archivos',
      nothing: 'Nada por aquí todavía.', grant: 'Conceder acceso de escritorio', folder: 'Autorizar una carpeta',
      reset: 'Solicitar token de restablecimiento', inBrowser: 'Se ejecuta en un navegador, fuera de la aplicación de escritorio.',
    },
  };

  var LINKS = [
    ['Pellora on the web', 'https://example.org/pellora'],
    ['Release notes', 'https://example.org/pellora/releases'],
    ['Help and support', 'https://example.org/pellora/help'],
  ];

  var panels = [];
  var ctx = {
    shell: window.__PELLORA_SHELL__ || null,
    browser: window.__PELLORA_BROWSER__ || null,
    compact: document.documentElement.getAttribute('data-pellora-view') === 'compact',
    engine: null,
    lang: 'en',
  };

  // ---- helpers -------------------------------------------------------------------

  function t(key) {
    var table = TEXTS[ctx.lang] || TEXTS[ctx.lang.slice(0, 2)] || TEXTS.en;
    return table[key] || TEXTS.en[key] || key;
  }

  function el(tag, attrs) {
    var node = document.createElement(tag);
    var children = Array.prototype.slice.call(arguments, 2);
    Object.keys(attrs || {}).forEach(function (k) {
      var v = attrs[k];
      if (v === undefined || v === null || v === false) return;
      if (k === 'class') node.className = v;
      else if (k === 'text') node.textContent = v;
      else if (k.slice(0, 2) === 'on') node.addEventListener(k.slice(2), v);
      else node.setAttribute(k, v === true ? '' : v);
    });
    children.forEach(function (c) {
      if (c === null || c === undefined || c === false) return;
      node.appendChild(typeof c === 'string' ? document.createTextNode(c) : c);
    });
    return node;
  }

  function api(method, path, body) {
    var init = { method: method, headers: {} };
    if (body !== undefined) {
      init.headers['Content-Type'] = 'application/json';
      init.body = JSON.stringify(body);
    }
    return fetch(path, init).then(function (res) {
      return res.text().then(function (text) {
        var value = null;
        try { value = text ? JSON.parse(text) : null; } catch (e) { value = text; }
        if (!res.ok) {
          var err = new Error((value && value.message) || ('HTTP ' + res.status));
          err.status = res.status;
          throw err;
        }
        return value;
      });
    });
  }

  function showResult(pre, value, isError) {
    pre.hidden = false;
    pre.className = 'result' + (isError ? ' error' : '');
    pre.textContent = typeof value === 'string' ? value : JSON.stringify(value, null, 2);
  }

  function openExternal(url) {
    if (ctx.shell && typeof ctx.shell.openExternal === 'function') {
      return ctx.shell.openExternal(url);
    }
    window.open(url, '_blank', 'noopener');
    return Promise.resolve({ ok: true });
  }

  // ---- language ------------------------------------------------------------------

  function initialLanguage() {
    var saved = null;
    try { saved = window.localStorage.getItem('pellora.lang'); } catch (e) { saved = null; }
    var codes = LANGUAGES.map(function (l) { return l[0]; });
    if (saved && codes.indexOf(saved) >= 0) return saved;
    var nav = (navigator.language || 'en');
    if (/^zh/i.test(nav)) return /(Hant|HK|TW)/i.test(nav) ? 'zh-HK' : 'zh';
    var two = nav.slice(0, 2).toLowerCase();
    return codes.indexOf(two) >= 0 ? two : 'en';
  }

  // The desktop application follows the root element's lang attribute, so changing the
  // language is nothing more than setting it.
  function setLanguage(code) {
    ctx.lang = code;
    document.documentElement.lang = code;
    try { window.localStorage.setItem('pellora.lang', code); } catch (e) { /* private mode */ }
    render();
  }

  // ---- interruption --------------------------------------------------------------

  var banner = el('div', { class: 'banner', role: 'status' });
  var livenessTimer = null;

  function onInterrupted(event) {
    var reason = event && event.detail ? event.detail.reason : null;
    banner.textContent = '';
    banner.appendChild(el('span', { class: 'grow', text: reason === 'secureConnection' ? t('secure') : t('interrupted') }));
    banner.appendChild(el('button', { onclick: function () { window.location.reload(); }, text: t('reload') }));
    banner.classList.add('visible');
    if (livenessTimer) return;
    livenessTimer = setInterval(function () {
      fetch('/api/pellora/system/liveness', { cache: 'no-store' }).then(function (res) {
        if (res.status < 500) {
          clearInterval(livenessTimer);
          livenessTimer = null;
          banner.classList.remove('visible');
          refreshAll();
        }
      }).catch(function () { /* still down */ });
    }, 2000);
  }

  window.addEventListener('pellora:engine-interrupted', onInterrupted);

  // ---- panels --------------------------------------------------------------------

  function registerPanel(def) {
    panels = panels.filter(function (p) { return p.id !== def.id; });
    panels.push(def);
    panels.sort(function (a, b) { return (a.order || 100) - (b.order || 100); });
    if (document.readyState !== 'loading' && root) render();
  }

  var refreshers = [];
  function refreshAll() { refreshers.forEach(function (fn) { fn(); }); }

  registerPanel({
    id: 'desktop',
    order: 50,
    title: function () { return t('desktop'); },
    when: function (c) { return !c.compact; },
    render: function (body, c) {
      var s = c.shell;
      if (!s) {
        body.appendChild(el('p', { class: 'hint', text: t('inBrowser') }));
      } else {
        body.appendChild(el('dl', { class: 'facts' },
          el('dt', { text: 'Platform' }), el('dd', { text: String(s.platform) }),
          el('dt', { text: 'App version' }), el('dd', { text: String(s.version) }),
          el('dt', { text: 'Connection' }), el('dd', { text: String(s.connectionMode) }),
          el('dt', { text: 'Window' }), el('dd', { text: String(s.windowMode) }),
          el('dt', { text: 'Capabilities' }), el('dd', { text: (s.capabilities || []).join(', ') })));
      }
      var e = c.engine;
      if (e) {
        body.appendChild(el('dl', { class: 'facts' },
          el('dt', { text: 'Engine' }), el('dd', { text: e.version + ' · port ' + e.port }),
          el('dt', { text: 'Protocol' }), el('dd', { text: String(e.desktop_protocol) + ' (' + e.capabilities.join(', ') + ')' }),
          el('dt', { text: 'Grants issued' }), el('dd', { text: e.grants.desktop + ' desktop · ' + e.grants.folders + ' folders · ' + e.grants.reset_tokens + ' reset tokens' })));
      }
    },
  });

  registerPanel({
    id: 'sessions',
    order: 10,
    wide: true,
    title: function () { return t('sessions'); },
    when: function () { return true; },
    render: function (body) {
      var current = null;
      var list = el('div', { class: 'messages' });
      var input = el('input', { type: 'text', placeholder: t('ask'), 'aria-label': t('ask') });
      var sendButton = el('button', { class: 'primary', type: 'submit', text: t('send') });
      var endButton = el('button', { type: 'button', text: t('endSession') });
      var newButton = el('button', { type: 'button', text: t('newSession') });
      var select = el('select', { 'aria-label': t('sessions') });

      function draw() {
        list.textContent = '';
        var active = current && current.status === 'active';
        input.disabled = sendButton.disabled = endButton.disabled = !active;
        if (!current || current.messages.length === 0) {
          list.appendChild(el('p', { class: 'empty', text: t('nothing') }));
          return;
        }
        current.messages.forEach(function (m) {
          var bubble = el('div', { class: 'msg ' + m.role }, el('div', { text: m.text }));
          if (m.results && m.results.length) {
            var ul = el('ol', { class: 'results' });
            m.results.forEach(function (r) {
              ul.appendChild(el('li', {},
                el('a', { href: r.url, onclick: function (ev) { ev.preventDefault(); openExternal(r.url); }, text: r.title }),
                el('small', { text: r.snippet })));
            });
            bubble.appendChild(ul);
          }
          list.appendChild(bubble);
        });
        list.scrollTop = list.scrollHeight;
      }

      function load(selectId) {
        return api('GET', '/api/pellora/sessions').then(function (sessions) {
          select.textContent = '';
          sessions.forEach(function (s) {
            select.appendChild(el('option', { value: s.id, text: s.title + (s.status === 'active' ? '' : ' (ended)') }));
          });
          select.hidden = sessions.length === 0;
          var pick = selectId || (current && current.id) || (sessions[0] && sessions[0].id);
          current = sessions.filter(function (s) { return s.id === pick; })[0] || null;
          if (current) select.value = current.id;
          draw();
        }).catch(function () { /* the interruption banner explains it */ });
      }

      select.addEventListener('change', function () { load(select.value); });
      newButton.addEventListener('click', function () {
        api('POST', '/api/pellora/sessions', { title: 'Session ' + new Date().toLocaleString(ctx.lang) })
          .then(function (s) { return load(s.id); }).then(function () { input.focus(); });
      });
      endButton.addEventListener('click', function () {
        if (!current) return;
        api('POST', '/api/pellora/sessions/' + current.id + '/end').then(function () { load(current.id); });
      });
      var form = el('form', { class: 'row' }, input, sendButton);
      form.addEventListener('submit', function (ev) {
        ev.preventDefault();
        var text = input.value.trim();
        if (!text || !current) return;
        input.value = '';
        api('POST', '/api/pellora/sessions/' + current.id + '/messages', { text: text })
          .then(function (s) { current = s; draw(); })
          .catch(function (err) { list.appendChild(el('p', { class: 'empty', text: err.message })); });
      });
      body.appendChild(el('div', { class: 'row' }, select, newButton, endButton));
      body.appendChild(el('div', { class: 'chat' }, list, form));
      refreshers.push(function () { load(); });
      load();
    },
  });

  registerPanel({
    id: 'works',
    order: 20,
    title: function () { return t('works'); },
    when: function (c) { return !c.compact; },
    render: function (body) {
      var list = el('ul', { class: 'list' });
      var title = el('input', { type: 'text', placeholder: 'Summarise this week', 'aria-label': 'Work title' });
      var seconds = el('input', { type: 'number', min: '0', max: '3600', value: '5', style: 'max-width:80px', 'aria-label': 'Seconds' });
      var timer = null;

      function load() {
        api('GET', '/api/pellora/works').then(function (works) {
          list.textContent = '';
          if (works.length === 0) list.appendChild(el('li', { class: 'empty', text: t('nothing') }));
          var busy = false;
          works.forEach(function (w) {
            busy = busy || w.status === 'queued' || w.status === 'running';
            var actions = null;
            if (w.status === 'done') {
              actions = el('a', { href: '/api/pellora/works/' + encodeURIComponent(w.id) + '/download', text: t('download') });
            } else if (w.status === 'queued' || w.status === 'running') {
              actions = el('button', { onclick: function () { api('POST', '/api/pellora/works/' + w.id + '/cancel').then(load); }, text: t('cancel') });
            }
            list.appendChild(el('li', {},
              el('span', { class: 'grow', text: w.title }),
              w.status === 'running' ? el('progress', { max: '100', value: String(w.progress || 0) }) : null,
              el('span', { class: 'status-' + w.status, text: w.status }),
              actions));
          });
          clearTimeout(timer);
          if (busy) timer = setTimeout(load, 1000);
        }).catch(function () { /* shown by the banner */ });
      }

      var form = el('form', { class: 'row' }, title, seconds, el('button', { class: 'primary', type: 'submit', text: t('create') }));
      form.addEventListener('submit', function (ev) {
        ev.preventDefault();
        var name = title.value.trim();
        if (!name) { title.focus(); return; }
        api('POST', '/api/pellora/works', { title: name, duration_ms: Math.max(0, Math.round(Number(seconds.value) * 1000)) || 0 })
          .then(function () { title.value = ''; load(); });
      });
      body.appendChild(el('p', { class: 'hint', text: 'Works run in the background scheduler and produce a report you can download.' }));
      body.appendChild(form);
      body.appendChild(list);
      refreshers.push(load);
      load();
    },
  });

  registerPanel({
    id: 'files',
    order: 30,
    title: function () { return t('files'); },
    when: function (c) { return !c.compact; },
    render: function (body) {
      var list = el('ul', { class: 'list' });
      var picker = el('input', { type: 'file', multiple: true, 'aria-label': t('upload') });

      function load() {
        api('GET', '/api/pellora/files').then(function (files) {
          list.textContent = '';
          if (files.length === 0) list.appendChild(el('li', { class: 'empty', text: t('nothing') }));
          files.forEach(function (f) {
            list.appendChild(el('li', {},
              el('span', { class: 'grow', text: f.path }),
              el('small', { text: Math.max(1, Math.round(f.size / 1024)) + ' KB' }),
              el('a', { href: '/api/pellora/files/download?path=' + encodeURIComponent(f.path), text: t('download') })));
          });
        }).catch(function () { /* shown by the banner */ });
      }

      picker.addEventListener('change', function () {
        var uploads = Array.prototype.map.call(picker.files, function (file) {
          return fetch('/api/pellora/files/upload?name=' + encodeURIComponent(file.name), { method: 'POST', body: file });
        });
        Promise.all(uploads).then(function () { picker.value = ''; load(); });
      });
      body.appendChild(el('div', { class: 'row' }, el('label', { text: t('upload') + ': ' }), picker));
      body.appendChild(list);
      refreshers.push(load);
      load();
    },
  });

  registerPanel({
    id: 'local',
    order: 40,
    title: function () { return t('local'); },
    when: function (c) { return !c.compact && !!c.shell && c.shell.connectionMode === 'local'; },
    render: function (body, c) {
      var s = c.shell;
      var out = el('pre', { class: 'result', hidden: true });
      function run(promise) {
        promise.then(function (value) { showResult(out, value, value && value.ok === false); refreshEngine(); })
          .catch(function (err) { showResult(out, String(err && err.message ? err.message : err), true); });
      }
      var has = function (name) { return (s.capabilities || []).indexOf(name) >= 0 && typeof s[name] === 'function'; };

      if (has('localDesktopGrant')) {
        var name = el('input', { type: 'text', maxlength: '100', placeholder: 'This Mac', 'aria-label': 'Grant name' });
        var grantForm = el('form', { class: 'row' }, name, el('button', { type: 'submit', text: t('grant') }));
        grantForm.addEventListener('submit', function (ev) {
          ev.preventDefault();
          run(name.value.trim() ? s.localDesktopGrant(name.value.trim()) : s.localDesktopGrant());
        });
        body.appendChild(grantForm);
      }
      if (has('authorizeLocalFolders')) {
        var folder = el('input', { type: 'file', webkitdirectory: true, 'aria-label': t('folder') });
        folder.addEventListener('change', function () {
          // The desktop application describes the picked folder in a global; a plain
          // browser gives the same facts through the file list.
          var pick = window.__PELLORA_LAST_FOLDER_PICK__;
          var doc = pick && pick.rootName ? pick : {
            rootName: (folder.files[0] && (folder.files[0].webkitRelativePath || '').split('/')[0]) || 'folder',
            entries: Array.prototype.map.call(folder.files, function (f) {
              return { relativePath: f.webkitRelativePath || f.name, size: f.size };
            }),
          };
          api('POST', '/api/pellora/folders/fingerprint', { rootName: doc.rootName, entries: doc.entries })
            .then(function (r) { run(s.authorizeLocalFolders(r.fingerprint)); })
            .catch(function (err) { showResult(out, err.message, true); });
        });
        body.appendChild(el('div', { class: 'row' }, el('label', { text: t('folder') + ': ' }), folder));
      }
      if (has('requestResetToken')) {
        var email = el('input', { type: 'email', placeholder: 'you@example.com', 'aria-label': 'Email' });
        var resetForm = el('form', { class: 'row' }, email, el('button', { type: 'submit', text: t('reset') }));
        resetForm.addEventListener('submit', function (ev) {
          ev.preventDefault();
          run(s.requestResetToken(email.value.trim()));
        });
        body.appendChild(resetForm);
      }
      body.appendChild(out);
    },
  });

  registerPanel({
    id: 'links',
    order: 60,
    title: function () { return t('links'); },
    when: function (c) { return !c.compact; },
    render: function (body) {
      var out = el('pre', { class: 'result', hidden: true });
      var ul = el('ul', { class: 'list' });
      LINKS.forEach(function (link) {
        ul.appendChild(el('li', {}, el('a', {
          class: 'grow',
          href: link[1],
          target: '_blank',
          rel: 'noopener',
          onclick: function (ev) {
            ev.preventDefault();
            Promise.resolve(openExternal(link[1])).then(function (r) {
              if (r && r.ok === false) showResult(out, r, true);
            }).catch(function (err) { showResult(out, String(err), true); });
          },
          text: link[0],
        })));
      });
      body.appendChild(ul);
      body.appendChild(out);
    },
  });

  // The native browser lives in the desktop application; this panel shows what the bridge
  // offers and is where tabs, surfaces and agent control plug in.
  registerPanel({
    id: 'browser',
    order: 70,
    title: function () { return t('browser'); },
    when: function (c) { return !c.compact && !!c.browser; },
    render: function (body, c) {
      var out = el('pre', { class: 'result', hidden: true });
      var counter = 0;
      function request(command, extra) {
        counter += 1;
        var req = Object.assign({ protocolVersion: 1, windowId: c.browser.windowId, requestId: 'r' + Date.now() + '_' + counter, command: command }, extra || {});
        return c.browser.request(req).then(function (r) { showResult(out, r, !r || r.ok === false); return r; });
      }
      body.appendChild(el('dl', { class: 'facts' },
        el('dt', { text: 'Window' }), el('dd', { text: String(c.browser.windowId) }),
        el('dt', { text: 'Kind' }), el('dd', { text: String(c.browser.kind) })));
      body.appendChild(el('div', { class: 'row' },
        el('button', { onclick: function () { request('browser.getCapabilities'); }, text: 'Capabilities' }),
        el('button', {
          onclick: function () {
            var message = 'hello from the Engine page';
            var timestamp = Date.now();
            request('browser.agentSign', { args: { timestamp: timestamp, message: message } }).then(function (r) {
              if (!r || !r.ok) return;
              return api('POST', '/api/pellora/desktop/worker/verify', { timestamp: timestamp, message: message, signature: r.data.signature })
                .then(function (v) { showResult(out, v, false); });
            }).catch(function (err) { showResult(out, err.message, true); });
          },
          text: 'Check worker signing',
        })));
      body.appendChild(out);
      window.addEventListener('pellora:browser-event', function (ev) { showResult(out, ev.detail, false); });
    },
  });

  // ---- layout --------------------------------------------------------------------

  var root = null;

  function topbar() {
    var select = el('select', { 'aria-label': t('language') });
    LANGUAGES.forEach(function (l) { select.appendChild(el('option', { value: l[0], text: l[1] })); });
    select.value = ctx.lang;
    select.addEventListener('change', function () { setLanguage(select.value); });
    var mode = ctx.shell ? ctx.shell.connectionMode : 'web';
    return el('header', { class: 'topbar' },
      el('div', { class: 'brand' }, el('img', { src: '/assets/icon.svg', alt: '' }), 'Pellora'),
      el('span', { class: 'badge' + (ctx.shell ? '' : ' muted'), text: mode }),
      ctx.engine ? el('span', { class: 'badge muted', text: 'Engine ' + ctx.engine.version }) : null,
      el('span', { class: 'spacer' }),
      select);
  }

  function render() {
    if (!root) return;
    refreshers = [];
    root.textContent = '';
    root.appendChild(topbar());
    root.appendChild(banner);
    var grid = el('main', { class: 'grid' });
    panels.forEach(function (p) {
      if (!p.when(ctx)) return;
      var body = el('section', { class: 'panel' + (p.wide ? ' wide' : ''), 'data-panel': p.id }, el('h2', { text: p.title(ctx) }));
      try {
        p.render(body, ctx);
      } catch (err) {
        body.appendChild(el('pre', { class: 'result error', text: String(err && err.stack || err) }));
      }
      grid.appendChild(body);
    });
    root.appendChild(grid);
  }

  function refreshEngine() {
    return api('GET', '/api/pellora/system/info').then(function (info) {
      var first = !ctx.engine;
      ctx.engine = info;
      if (first) render();
    }).catch(function () { /* the page still works without the facts */ });
  }

  window.PelloraApp = Object.freeze({
    registerPanel: registerPanel,
    context: ctx,
    api: api,
    el: el,
    t: t,
    openExternal: openExternal,
    setLanguage: setLanguage,
    render: render,
  });

  function start() {
    root = document.getElementById('app');
    ctx.lang = initialLanguage();
    document.documentElement.lang = ctx.lang;
    render();
    refreshEngine();
  }

  if (document.readyState === 'loading') document.addEventListener('DOMContentLoaded', start);
  else start();
})();
