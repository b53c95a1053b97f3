// SPDX-License-Identifier: MIT
// The service worker: keeps every file of one build in a cache of its own and serves the site
// from it, with or without the network. The build puts `site` above this line: the cache's
// name (from the build's files) and each file's SHA-256. A new build changes those, so the
// browser installs the new worker, which fetches every file again, refuses a file that is not
// this build's (a host part-way through an upload), and takes over only when a page tells it
// (offline.js), deleting the older builds' caches.
'use strict';

const cacheName = `gemlets ${self.registration.scope} ${site.build}`;

async function sha256(bytes) {
  const digest = new Uint8Array(await crypto.subtle.digest('SHA-256', bytes));
  return Array.from(digest, (byte) => byte.toString(16).padStart(2, '0')).join('');
}

self.addEventListener('install', (event) => {
  event.waitUntil((async () => {
    const fetched = await Promise.all(Object.entries(site.files).map(async ([name, hash]) => {
      const response = await fetch(name, { cache: 'no-cache' });
      if (!response.ok || await sha256(await response.clone().arrayBuffer()) !== hash) {
        throw new Error(`${name}: not this build's file (HTTP ${response.status})`);
      }
      return [name, response];
    }));
    const cache = await caches.open(cacheName);
    await Promise.all(fetched.map(([name, response]) => cache.put(name, response)));
  })());
});

self.addEventListener('message', (event) => {
  if (event.data === 'take over') self.skipWaiting();
});

// Only this site's caches: another site on the same host keeps its own.
self.addEventListener('activate', (event) => {
  event.waitUntil((async () => {
    const ours = `gemlets ${self.registration.scope} `;
    for (const name of await caches.keys()) {
      if (name.startsWith(ours) && name !== cacheName) await caches.delete(name);
    }
  })());
});

// Any address of the page (a folder, ?field=...) is index.html; what the cache lacks comes
// from the network.
self.addEventListener('fetch', (event) => {
  const url = new URL(event.request.url);
  if (event.request.method !== 'GET' || url.origin !== location.origin) return;
  if (url.pathname.endsWith('/')) url.pathname += 'index.html';
  url.search = '';
  event.respondWith(caches.match(url.href, { cacheName })
    .then((kept) => kept || fetch(event.request)));
});
