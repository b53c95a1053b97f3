// SPDX-License-Identifier: MIT
// The page around the game: says in words why it cannot start, keeps standard output,
// takes a field from the address, and turns touch buttons, a gamepad and a hidden tab into
// what the keyboard does.
'use strict';

const message = document.getElementById('message');
function say(text) {
  message.append((message.textContent ? '\n' : '') + text);
}

// Key presses as the keyboard makes them; emscripten's SDL reads keyCode.
const keyCodes = { ArrowLeft: 37, ArrowUp: 38, ArrowRight: 39, ArrowDown: 40, Space: 32, KeyP: 80,
  Escape: 27 };
function press(code) {
  const event = new KeyboardEvent('keydown', { code, bubbles: true, cancelable: true });
  Object.defineProperty(event, 'keyCode', { value: keyCodes[code] });
  document.dispatchEvent(event);
}

for (const button of document.querySelectorAll('#touch button')) {
  button.tabIndex = -1;
  button.addEventListener('pointerdown', (event) => {
    event.preventDefault();
    press(button.dataset.key);
  });
}

// The browser's standard gamepad mapping: d-pad moves and drops, face buttons rotate and
// drop, Start pauses, Back ends the game.
const padKeys = { 14: 'ArrowLeft', 15: 'ArrowRight', 13: 'ArrowDown', 12: 'Space', 0: 'ArrowUp',
  2: 'ArrowUp', 1: 'Space', 3: 'Space', 9: 'KeyP', 8: 'Escape' };
const padsHeld = new Map();
function pollPads() {
  for (const pad of navigator.getGamepads ? navigator.getGamepads() : []) {
    if (!pad || pad.mapping !== 'standard') continue;
    const held = padsHeld.get(pad.index) || [];
    pad.buttons.forEach((button, i) => {
      if (button.pressed && !held[i] && padKeys[i]) press(padKeys[i]);
      held[i] = button.pressed;
    });
    padsHeld.set(pad.index, held);
  }
  requestAnimationFrame(pollPads);
}

// The wasm travels gzipped, a third of its size, without asking the host for a header: it is
// unpacked and compiled as it arrives. A host that sends it with Content-Encoding has had the
// browser unpack it already.
async function compressedWasm(imports) {
  const response = await fetch('gemlets.wasm.gz');
  if (!response.ok) throw new Error(`HTTP ${response.status}`);
  const body = response.headers.has('Content-Encoding') ? response.body
    : response.body.pipeThrough(new DecompressionStream('gzip'));
  return WebAssembly.instantiateStreaming(
    new Response(body, { headers: { 'Content-Type': 'application/wasm' } }), imports);
}

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

function start() {
  window.gemletsStdout = '';
  const consoleOut = lineWriter((line) => console.log(line));
  const consoleErr = lineWriter((line) => { console.error(line); say(line); });
  const field = new URLSearchParams(location.search).get('field');
  window.Module = {
    canvas: document.getElementById('canvas'),
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
      // The canvas draws the score in the font registered under the name the game opens.
      Module.addRunDependency('font');
      new FontFace('font.ttf', 'url(font.ttf)').load().then((face) => {
        document.fonts.add(face);
        Module.removeRunDependency('font');
      }, () => say('The font (font.ttf) did not load: the game cannot start.'));
    }],
    instantiateWasm: (imports, receive) => {
      compressedWasm(imports).then((loaded) => receive(loaded.instance, loaded.module),
        (error) => say(`gemlets.wasm.gz did not load (${error.message}): the game cannot start.`));
      return {};
    },
    // Everything loaded: offline.js keeps it from now on.
    onRuntimeInitialized: () => window.dispatchEvent(new Event('gemlets-loaded')),
    onAbort: (what) => say('The game stopped: ' + what),
    onGameEnded: () => {
      say('The game has ended (Escape).');
      const again = document.createElement('button');
      again.textContent = 'New game';
      again.addEventListener('click', () => location.reload());
      message.append(' ', again);
    },
  };
  document.addEventListener('visibilitychange', () => {
    if (document.hidden && Module._gemletsPause) Module._gemletsPause();
  });
  window.addEventListener('error', (event) => say('The game stopped: ' + event.message));
  window.addEventListener('unhandledrejection',
    (event) => say('The game stopped: ' + event.reason));
  const script = document.createElement('script');
  script.src = 'gemlets.js';
  script.onerror = () => say('gemlets.js did not load: the game cannot start.');
  document.body.append(script);
  requestAnimationFrame(pollPads);
}

if (window.crossOriginIsolated) {
  start();
} else {
  say('The game needs its threads, which the browser allows only to a page served with the ' +
      'headers "Cross-Origin-Opener-Policy: same-origin" and "Cross-Origin-Embedder-Policy: ' +
      'require-corp". This server did not send them, so the game cannot start here.');
}
