// SPDX-License-Identifier: MIT
// The page around the game: says in words why it cannot start, keeps standard output,
// takes a field from the address, turns touch buttons, a gamepad and a hidden tab into what
// the keyboard does, wakes the game's resting main loop whenever one of them may change
// what it shows, and turns its sound on and off.
'use strict';

const message = document.getElementById('message');
function say(text) {
  message.append((message.textContent ? '\n' : '') + text);
}

function wake() {
  if (window.Module && Module._gemletsWake) Module._gemletsWake();
}

// Key presses as the keyboard makes them; emscripten's SDL reads keyCode, which the game
// tells the page for every key it acts on (Module.gemletsKeys, by KeyboardEvent.code).
function press(code) {
  const event = new KeyboardEvent('keydown', { code, bubbles: true, cancelable: true });
  Object.defineProperty(event, 'keyCode', { value: Module.gemletsKeys[code] });
  document.dispatchEvent(event);
}

for (const button of document.querySelectorAll('#touch button')) {
  button.tabIndex = -1;
  button.addEventListener('pointerdown', (event) => {
    event.preventDefault();
    if (window.Module && Module.gemletsKeys) press(button.dataset.key);
  });
}

// A gamepad in the browser's standard mapping presses the keys the game's own table binds
// to its buttons (Module.gemletsPad). Polled at each animation frame only while a pad is
// connected.
const padsHeld = new Map();
let polling = false;
function pollPads() {
  const pads = Array.from(navigator.getGamepads ? navigator.getGamepads() : [])
    .filter((pad) => pad && pad.mapping === 'standard');
  for (const pad of pads) {
    const held = padsHeld.get(pad.index) || [];
    pad.buttons.forEach((button, i) => {
      const code = window.Module && Module.gemletsPad && Module.gemletsPad[i];
      if (button.pressed && !held[i] && code) press(code);
      held[i] = button.pressed;
    });
    padsHeld.set(pad.index, held);
  }
  polling = pads.length > 0;
  if (polling) requestAnimationFrame(pollPads);
}
function startPolling() {
  if (!polling) pollPads();
}

// The wasm travels gzipped, a third of its size, without asking the host for a header: it is
// unpacked and compiled as it arrives, from the moment the page runs, while gemlets.js and the
// data still load. A host that sends it with Content-Encoding has had the browser unpack it.
async function compileWasm() {
  const response = await fetch('gemlets.wasm.gz');
  if (!response.ok) throw new Error(`HTTP ${response.status}`);
  const body = response.headers.has('Content-Encoding') ? response.body
    : response.body.pipeThrough(new DecompressionStream('gzip'));
  return WebAssembly.compileStreaming(
    new Response(body, { headers: { 'Content-Type': 'application/wasm' } }));
}

// A replay in the address: deflated, then base64url, so that a short game makes a link.
async function packed(text) {
  const stream = new Blob([text]).stream().pipeThrough(new CompressionStream('deflate'));
  const bytes = new Uint8Array(await new Response(stream).arrayBuffer());
  return btoa(String.fromCharCode(...bytes)).replace(/\+/g, '-').replace(/\//g, '_')
    .replace(/=+$/, '');
}
// Inflated no further than a link's replay can be: the page's links are at most shortLink
// characters, a few KB of deflate, which a bigger text did not come from.
const longestLinked = 1 << 20;
async function unpacked(code) {
  const bytes = Uint8Array.from(atob(code.replace(/-/g, '+').replace(/_/g, '/')),
    (c) => c.charCodeAt(0));
  const reader = new Blob([bytes]).stream().pipeThrough(new DecompressionStream('deflate'))
    .getReader();
  const chunks = [];
  for (let size = 0, read; !(read = await reader.read()).done;) {
    if ((size += read.value.length) > longestLinked) {
      reader.cancel();
      throw new RangeError('too large');
    }
    chunks.push(read.value);
  }
  return new Blob(chunks).text();
}
const shortLink = 2000; // characters of ?replay= that still make a link to share

// The replay of the game under way, or of the one that has ended, as a file to save.
function replayText() {
  return window.Module && Module._gemletsReplay ? Module.UTF8ToString(Module._gemletsReplay()) : '';
}
function saveReplay(link) {
  const text = replayText();
  if (!text) return false;
  link.href = URL.createObjectURL(new Blob([text], { type: 'text/plain' }));
  link.download = `gemlets-${new Date().toISOString().slice(0, 19).replace(/:/g, '-')}.replay`;
  return true;
}
// Sound, on unless the player turned it off during this visit (the tab's session keeps that;
// the game keeps nothing). Browsers let a page make sound only from a key or a press: the
// game opens its sound at the first, and the control's own click is one.
const soundControl = document.getElementById('sound');
soundControl.tabIndex = -1;
let soundOn = sessionStorage.getItem('gemlets-sound') !== 'off';
function showSound() {
  soundControl.textContent = soundOn ? 'Sound on' : 'Sound off';
  soundControl.setAttribute('aria-pressed', String(soundOn));
}
function hear() {
  if (soundOn && window.Module && Module._gemletsHear) Module._gemletsHear();
}
soundControl.addEventListener('click', () => {
  soundOn = !soundOn;
  sessionStorage.setItem('gemlets-sound', soundOn ? 'on' : 'off');
  showSound();
  if (window.Module && Module._gemletsSound) Module._gemletsSound(soundOn ? 1 : 0);
  hear();
});
showSound();
document.addEventListener('keydown', hear, true);
window.addEventListener('pointerdown', hear, true);

document.getElementById('save-replay').addEventListener('click', (event) => {
  if (!saveReplay(event.currentTarget)) event.preventDefault();
});
// A replay opened from a file is watched in a fresh page, which takes it once.
document.getElementById('open-replay').addEventListener('change', async (event) => {
  const file = event.target.files[0];
  if (!file) return;
  sessionStorage.setItem('gemlets-replay', await file.text());
  location.assign(location.pathname);
});

function lineWriter(onLine) {
  let line = [];
  return (byte) => {
    if (byte === null || byte === 10) {
      onLine(String.fromCharCode(...line));
      line = [];
    } else {
      line.push(byte);
    }
  };
}

// The game has opened its window: the canvas takes its shape, and every key the page
// presses must be one the game told it.
// In another site's frame the keys reach the game only while the frame has the focus, and
// emscripten's SDL cancels the mouse press that would give it: a press anywhere on the page
// gives it back, and the game's keys act on nothing outside it (scroll the host, say). Until
// then "click to play" shows over the canvas; a page of its own never shows it.
const canvas = document.getElementById('canvas');
canvas.tabIndex = -1;
window.addEventListener('pointerdown', () => canvas.focus({ preventScroll: true }), true);
function showFocus() {
  document.body.classList.toggle('unfocused', window !== window.top && !document.hasFocus());
}
window.addEventListener('focus', showFocus);
window.addEventListener('blur', showFocus);
document.addEventListener('keydown', (event) => {
  if (window.Module && Module.gemletsKeys && event.code in Module.gemletsKeys) {
    event.preventDefault();
  }
});

function started() {
  const canvas = Module.canvas;
  canvas.style.setProperty('--aspect', canvas.width / canvas.height);
  document.body.classList.add('open');
  showFocus();
  const codes = [...document.querySelectorAll('#touch button')].map((b) => b.dataset.key)
    .concat(Object.values(Module.gemletsPad || {}));
  for (const code of new Set(codes)) {
    if (!(code in Module.gemletsKeys)) say(`page.js: the game has no key ${code}.`);
  }
}

function start() {
  const wasm = compileWasm();
  wasm.catch(() => {}); // said when the game asks for it
  window.gemletsStdout = '';
  const consoleOut = lineWriter((line) => console.log(line));
  const consoleErr = lineWriter((line) => { console.error(line); say(line); });
  const field = new URLSearchParams(location.search).get('field');
  const packedReplay = new URLSearchParams(location.search).get('replay');
  const openedReplay = sessionStorage.getItem('gemlets-replay');
  sessionStorage.removeItem('gemlets-replay');
  window.Module = {
    canvas: document.getElementById('canvas'),
    // The sounds are read by the game, which hands them to Web Audio once the player has let
    // the page make sound: not made into audio elements as they are preloaded.
    noAudioDecoding: true,
    stdout: (byte) => {
      if (byte !== null) window.gemletsStdout += String.fromCharCode(byte);
      consoleOut(byte);
    },
    stderr: consoleErr,
    preRun: [() => {
      const FS = Module.FS;
      if (field !== null) {
        // The shipped field stays at the top; the game reads the working folder's.
        FS.mkdir('/address');
        FS.writeFile('/address/test.txt', field.split('/').join('\n') + '\n');
        FS.chdir('/address');
      }
      // A replay to watch: the game plays it instead of a game of its own.
      if (openedReplay !== null || packedReplay !== null) {
        Module.addRunDependency('replay');
        (openedReplay !== null ? Promise.resolve(openedReplay) : unpacked(packedReplay))
          .then((text) => {
            FS.writeFile('/watch.replay', text);
            Module.removeRunDependency('replay');
          }, (error) => say(error instanceof RangeError
            ? `The replay in the address is larger than a link can hold (${longestLinked >> 20} MB): `
              + 'it is not played.'
            : 'The replay in the address cannot be read: the link is cut short?'));
      }
      // The canvas draws the score in the font registered under the name the game opens.
      // Emscripten's TTF_OpenFont cannot fail, so the game starts only once this has loaded.
      Module.addRunDependency('font');
      new FontFace('font.ttf', 'url(font.ttf)').load().then((face) => {
        document.fonts.add(face);
        Module.removeRunDependency('font');
      }, (error) => say(`gemlets: font.ttf: TTF_OpenFont: ${error.message || error}`));
    }],
    instantiateWasm: (imports, receive) => {
      wasm.then((module) => WebAssembly.instantiate(module, imports)
        .then((instance) => receive(instance, module)),
      (error) => say(`gemlets.wasm.gz did not load (${error.message}): the game cannot start.`));
      return {};
    },
    onGameStarted: started,
    // The game has everything it loads, the last after its first frame: offline.js keeps it
    // from now on, so that the service worker's start and downloads never hold the game back.
    onGameLoaded: () => window.dispatchEvent(new Event('gemlets-loaded')),
    onAbort: (what) => say('The game stopped: ' + what),
    onGameEnded: () => {
      const watched = packedReplay !== null || openedReplay !== null;
      say(watched ? 'The replay has ended.' : 'The game has ended (Escape).');
      const again = document.createElement('button');
      again.textContent = 'New game';
      // After a replay, a game of one's own; otherwise the same game again, field and all.
      again.addEventListener('click', () => (watched ? location.assign(location.pathname)
        : location.reload()));
      message.append(' ', again);
      if (watched) return;
      const save = document.createElement('a');
      save.textContent = 'Save the replay';
      save.addEventListener('click', () => saveReplay(save));
      message.append(' ', save);
      packed(replayText()).then((code) => {
        if (code.length > shortLink) return;
        const link = document.createElement('a');
        link.textContent = 'Link to the replay';
        link.href = `?replay=${code}`;
        message.append(' ', link);
      });
    },
  };
  document.addEventListener('keydown', wake, true);
  document.addEventListener('visibilitychange', () => {
    if (document.hidden && Module._gemletsPause) Module._gemletsPause();
    wake();
  });
  window.addEventListener('gamepadconnected', startPolling);
  window.addEventListener('error', (event) => say('The game stopped: ' + event.message));
  window.addEventListener('unhandledrejection',
    (event) => say('The game stopped: ' + event.reason));
  const script = document.createElement('script');
  script.src = 'gemlets.js';
  // A failed start has been said already (onAbort, or the wasm's own message).
  script.onload = () => createGemlets(Module).catch(() => {});
  script.onerror = () => say('gemlets.js did not load: the game cannot start.');
  document.body.append(script);
  startPolling();
}

if (location.protocol === 'file:') {
  say('The game must be served by a web server: a page opened from the disk may not fetch ' +
      'its own files. Run scripts/play-web.sh, or serve this folder with any static server ' +
      '(for example "python3 -m http.server" in it) and open the address it gives.');
} else {
  start();
}
