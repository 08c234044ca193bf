// What the browser tests share: the site of the tree in Debian's Chromium
// (web/browser.mjs), pages that record every console error, the canvas's
// pixels, and lumivane-render's picture of the same settings as plain RGB.
import { execFileSync } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import * as browser from '../../web/browser.mjs';

const ReadyTimeout = 60000;

// flags: Chromium's command-line switches beyond the usual ones.
export function openBrowser(flags = []) {
    return browser.openBrowser(process.env.LUMIVANE_SITE, process.env.LUMIVANE_NODE_MODULES, flags);
}

// A page of its own context, with the errors it reports in page.errors.
export async function openPage(site, query, options = {}) {
    const context = await site.browser.newContext({ viewport: { width: 800, height: 600 }, ...options });
    const page = await context.newPage();
    page.errors = [];
    page.on('console', (message) => message.type() === 'error' && page.errors.push(message.text()));
    page.on('pageerror', (error) => page.errors.push(error.message));
    await page.goto(site.address + (query ? '?' + query : ''));
    await page.waitForSelector('body[data-ready=yes]', { timeout: ReadyTimeout });
    return page;
}

export async function stillDone(page) {
    await page.waitForSelector('canvas[data-still=done]', { timeout: ReadyTimeout });
}

// The canvas's pixels as RGB bytes, row after row.
export async function canvasRgb(page) {
    const encoded = await page.evaluate(() => {
        const canvas = document.getElementById('lumivane');
        const rgba = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
        let text = '';
        const chunk = 3 * 8192;
        const rgb = new Uint8Array(rgba.length / 4 * 3);
        for (let i = 0, j = 0; i < rgba.length; i += 4, j += 3)
            rgb.set(rgba.subarray(i, i + 3), j);
        for (let i = 0; i < rgb.length; i += chunk)
            text += String.fromCharCode(...rgb.subarray(i, i + chunk));
        return btoa(text);
    });
    return Buffer.from(encoded, 'base64');
}

// lumivane-render's last frame for the arguments, as RGB bytes.
export function renderRgb(args) {
    const folder = mkdtempSync(join(tmpdir(), 'lumivane-web-'));
    try {
        const png = join(folder, 'frame.png');
        execFileSync(process.env.LUMIVANE_RENDER, [...args, png], { env: { ...process.env, XDG_CONFIG_HOME: folder } });
        return execFileSync('/usr/bin/convert', [png, '-depth', '8', 'rgb:-'], { maxBuffer: 1 << 30 });
    } finally {
        rmSync(folder, { recursive: true, force: true });
    }
}

// How many pixels differ, and how many are lit in the expected picture.
export function comparePixels(actual, expected) {
    let differing = 0, lit = 0;
    for (let i = 0; i < expected.length; i += 3) {
        if (actual[i] !== expected[i] || actual[i + 1] !== expected[i + 1] || actual[i + 2] !== expected[i + 2])
            ++differing;
        if (expected[i] | expected[i + 1] | expected[i + 2])
            ++lit;
    }
    return { differing, lit, sameSize: actual.length === expected.length };
}
