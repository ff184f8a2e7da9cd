// The room page: the four outputs with their inputs, one tap to route, the
// presets and the locks, kept live by the gateway's events socket. Loads
// nothing from elsewhere.
'use strict';

const clientId = localStorage.getItem('corvane-client') ||
  ('page-' + Math.random().toString(36).slice(2, 10));
localStorage.setItem('corvane-client', clientId);
let state = null;

function $(id) { return document.getElementById(id); }
function say(text) {
  $('message').textContent = text || '';
  $('message').hidden = !text;
}

async function call(method, path, body) {
  const headers = { 'Content-Type': 'application/json', 'X-Corvane-Client': clientId };
  const token = localStorage.getItem('corvane-token');
  if (token) headers.Authorization = 'Bearer ' + token;
  const res = await fetch(path, { method, headers, body: body ? JSON.stringify(body) : undefined });
  const json = await res.json().catch(() => ({}));
  if (res.status === 401) {
    const t = prompt('This gateway needs its access token:');
    if (t) { localStorage.setItem('corvane-token', t); return call(method, path, body); }
  }
  if (!res.ok) throw new Error((json.error && json.error.message) || ('HTTP ' + res.status));
  return json;
}

// True when the gateway confirmed the change.
async function act(button, method, path, body) {
  button.classList.add('busy');
  let done = false;
  try { show(await call(method, path, body)); say(''); done = true; } catch (e) { say(e.message); }
  button.classList.remove('busy');
  return done;
}

function el(tag, props, children) {
  const e = document.createElement(tag);
  Object.assign(e, props || {});
  (children || []).forEach(c => e.appendChild(c));
  return e;
}

// Who holds a lock, as the room knows them: another page's random name
// says nothing to anyone.
function holderName(holder) {
  if (holder === clientId) return 'you';
  return holder.startsWith('page-') ? 'another browser' : holder;
}

function show(s) {
  state = s;
  $('name').textContent = s.name || 'Corvane';
  const badge = $('presence');
  badge.textContent = s.present ? 'Connected' : 'Switcher absent';
  badge.title = s.present ? 'The switcher answers' : 'The switcher does not answer; the gateway keeps trying';
  badge.className = 'badge ' + (s.present ? 'present' : 'absent');
  document.body.classList.toggle('offline', !s.present);
  const outs = $('outputs');
  outs.replaceChildren();
  s.routing.forEach((input, i) => {
    const n = i + 1;
    const holder = s.locks[i];
    const mine = holder === clientId;
    const lock = el('button', {
      className: 'lock' + (holder ? ' held' : ''),
      textContent: holder ? (mine ? 'Unlock' : 'Force unlock') : 'Lock',
      title: holder ? 'Locked by ' + holderName(holder) : 'Keep others from changing this output',
    });
    lock.onclick = () => {
      if (!holder) return act(lock, 'PUT', '/api/v1/locks/' + n);
      if (mine || confirm('Locked by ' + holderName(holder) + '. Unlock it anyway?'))
        return act(lock, 'DELETE', '/api/v1/locks/' + n + (mine ? '' : '?force=true'));
    };
    const buttons = s.labels.inputs.map((label, k) => {
      const b = el('button', { className: 'route' + (k + 1 === input ? ' on' : ''), textContent: label,
                               disabled: !s.present || (holder && !mine) });
      b.setAttribute('aria-pressed', k + 1 === input);
      b.dataset.input = k + 1;
      b.onclick = () => act(b, 'PUT', '/api/v1/outputs/' + n, { input: k + 1 });
      return b;
    });
    const shows = s.labels.inputs[input - 1] || 'no input known';
    const status = holder ? 'Locked by ' + holderName(holder) + ' · shows ' + shows : 'Shows ' + shows;
    const card = el('div', { className: 'card output' + (holder ? ' locked' : '') }, [
      el('div', { className: 'out-head' }, [
        el('div', {}, [el('h2', { textContent: s.labels.outputs[i] }),
                       el('p', { className: 'shows', textContent: status })]),
        lock]),
      el('div', { className: 'inputs' }, buttons),
    ]);
    card.dataset.output = n;
    outs.appendChild(card);
  });
  const presets = $('presets');
  presets.replaceChildren();
  const names = Object.keys(s.presets);
  $('no-presets').hidden = names.length > 0;
  names.forEach(name => {
    // The preset that matches the routing now is marked, as the routed input is.
    const current = s.presets[name].every((input, i) => input === s.routing[i]);
    const b = el('button', { className: 'preset' + (current ? ' on' : ''), textContent: name,
                             disabled: !s.present, title: s.presets[name].map(k => s.labels.inputs[k - 1]).join(', ') });
    b.dataset.preset = name;
    b.onclick = () => act(b, 'POST', '/api/v1/presets/' + encodeURIComponent(name) + '/apply');
    presets.appendChild(b);
  });
}

$('save-preset').onsubmit = ev => {
  ev.preventDefault();
  const name = $('preset-name').value.trim();
  if (name) act(ev.submitter || $('save-preset'), 'PUT', '/api/v1/presets/' + encodeURIComponent(name))
    .then(done => { if (done) $('preset-name').value = ''; });
};

// An error stays until the next change succeeds or it is tapped away.
$('message').onclick = () => say('');

function listen() {
  const ws = new WebSocket((location.protocol === 'https:' ? 'wss://' : 'ws://') + location.host + '/api/v1/events');
  ws.onmessage = m => { const msg = JSON.parse(m.data); if (msg.state) show(msg.state); };
  ws.onclose = () => {
    const badge = $('presence');
    badge.textContent = 'No gateway';
    badge.title = 'The page lost its connection to the gateway; trying again';
    badge.className = 'badge absent';
    setTimeout(listen, 2000);
  };
}
listen();
