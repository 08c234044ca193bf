// The page's service worker: the page's own files, and every file of the
// site fetched after (the page keeps the faces it fetched before), are kept,
// so the page loads again without a network once it has loaded. The network
// comes first, so a changed site is never hidden behind a kept copy.
'use strict';

const Kept = 'lumivane-site';
const PageFiles = ['./', 'page.js', 'faces.js', 'offline.js', 'lumivane-core.js', 'lumivane-core.wasm'];

self.addEventListener('install', (event) => {
    event.waitUntil(caches.open(Kept).then((kept) => kept.addAll(PageFiles)).then(() => self.skipWaiting()));
});
self.addEventListener('activate', (event) => event.waitUntil(self.clients.claim()));

self.addEventListener('fetch', (event) => {
    const request = event.request;
    if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin)
        return;
    event.respondWith((async () => {
        const kept = await caches.open(Kept);
        try {
            const answer = await fetch(request);
            if (answer.ok)
                await kept.put(request, answer.clone());
            return answer;
        } catch (error) {
            const copy = await kept.match(request, { ignoreSearch: request.mode === 'navigate' });
            if (copy)
                return copy;
            throw error;
        }
    })());
});
