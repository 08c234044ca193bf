// A static file server for the site on 127.0.0.1: node serve.mjs SITE [PORT].
// Prints the address once listening (port 0, the default, takes a free one).
// The page is served cross-origin isolated, so that its clock is not
// coarsened (the benchmark and the tests time frames with it).
import { createServer } from 'node:http';
import { readFile } from 'node:fs/promises';
import { extname, join, normalize, sep } from 'node:path';

const Types = {
    '.html': 'text/html; charset=utf-8', '.js': 'text/javascript; charset=utf-8', '.mjs': 'text/javascript',
    '.wasm': 'application/wasm', '.ttf': 'font/ttf', '.ttc': 'font/collection', '.txt': 'text/plain; charset=utf-8',
    '.png': 'image/png', '.json': 'application/json',
};

export function serveSite(site, port = 0) {
    const root = normalize(site + sep);
    const server = createServer(async (request, response) => {
        const path = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
        const file = normalize(join(root, path.endsWith('/') ? path + 'index.html' : path));
        const headers = { 'Cross-Origin-Opener-Policy': 'same-origin', 'Cross-Origin-Embedder-Policy': 'require-corp',
                          'Cache-Control': 'no-cache' };
        if (!file.startsWith(root)) {
            response.writeHead(403, headers).end();
            return;
        }
        try {
            const body = await readFile(file);
            response.writeHead(200, { ...headers, 'Content-Type': Types[extname(file)] || 'application/octet-stream' });
            response.end(body);
        } catch (error) {
            response.writeHead(404, headers).end();
        }
    });
    return new Promise((resolve, reject) => {
        server.on('error', reject);
        server.listen(port, '127.0.0.1', () => resolve({ server, address: `http://127.0.0.1:${server.address().port}/` }));
    });
}

if (process.argv[1] && process.argv[1].endsWith('serve.mjs')) {
    const [site, port] = process.argv.slice(2);
    if (!site) {
        console.error('usage: node serve.mjs SITE [PORT]');
        process.exit(2);
    }
    serveSite(site, Number(port || 0)).then(({ address }) => console.log(address), (error) => {
        console.error(`serve.mjs: cannot serve ${site}: ${error.message}`);
        process.exit(1);
    });
}
