// SPDX-License-Identifier: MIT
// Keeps the site for play without the network through its service worker (sw.js); the build
// joins it before page.js, one script fewer for the page to ask for. Registered once the game
// has everything it loads and has drawn its first frame (page.js says so with
// 'gemlets-loaded'), so that the worker's downloads never slow a first visit. A new build's
// worker waits for the same moment before it takes over: the next load is then the new build
// whole, never an old page with a new game file.
'use strict';

if ('serviceWorker' in navigator) {
  window.addEventListener('gemlets-loaded', async () => {
    try {
      const registration = await navigator.serviceWorker.register('sw.js');
      const takeOver = () => registration.waiting?.postMessage('take over');
      registration.addEventListener('updatefound', () => {
        const worker = registration.installing;
        worker.addEventListener('statechange', () => worker.state === 'installed' && takeOver());
      });
      takeOver();
    } catch (error) {
      console.warn(`sw.js: ${error.message}: the game plays only with the network`);
    }
  }, { once: true });
}
