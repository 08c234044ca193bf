// Debian's Chromium, driven by playwright-core (installed by tools/setup
// without its install scripts: never a downloaded browser), over a folder
// served on 127.0.0.1. The browser tests, the benchmark and tools/run share it.
import { createRequire } from 'node:module';
import { join, resolve } from 'node:path';
import { serveSite } from './serve.mjs';

const Chromium = '/usr/bin/chromium';

// The browser and the address of site; close() ends both.
export async function openBrowser(site, nodeModules, flags = []) {
    const require = createRequire(join(resolve(nodeModules), '/'));
    const { chromium } = require('playwright-core');
    const { server, address } = await serveSite(site);
    // As root, Chromium's sandbox cannot start; a container's /dev/shm may
    // be too small for its shared memory.
    const browser = await chromium.launch({ executablePath: Chromium,
                                            args: ['--no-sandbox', '--disable-dev-shm-usage', ...flags] });
    return {
        address, browser,
        async close() {
            await browser.close();
            server.close();
        },
    };
}
