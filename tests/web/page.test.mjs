// The page's behaviour in Chromium: its address holds the settings and the
// seed and gives them back, a bad parameter is named and its default kept,
// the full-screen saver ends on input as on Windows, the motion pauses while
// the page is hidden, the canvas has device pixels, it runs offline once
// loaded, it fetches only the faces it needs (the first picture within
// 1 MB compressed), a face file of the user's draws, and nothing reaches the
// console as an error. Also the released zip's contents.
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdirSync, readFileSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { gzipSync } from 'node:zlib';
import { canvasRgb, comparePixels, openBrowser, openPage, renderRgb, stillDone } from './support.mjs';

const Pictures = join(dirname(process.env.LUMIVANE_SITE), 'pictures');
// A file of the site as a server compressing it would send it.
const compressedSize = (path) =>
    gzipSync(readFileSync(join(process.env.LUMIVANE_SITE, path === '/' ? 'index.html' : path)), { level: 9 }).length;

const Frames = (page) => page.evaluate(() => Number(document.getElementById('lumivane').dataset.frames));
const Address = (page) => page.evaluate(() => Object.fromEntries(new URLSearchParams(location.search)));
const Panel = (page) => page.evaluate(() => {
    const form = document.getElementById('settings');
    return Object.fromEntries([...form.elements].filter((e) => e.name)
        .map((e) => [e.name, e.type === 'checkbox' ? e.checked : e.value]));
});
// A page whose motion has taken steps since its starts-th start.
async function moving(page, starts = 1) {
    await page.waitForFunction((count) => {
        const canvas = document.getElementById('lumivane');
        return Number(canvas.dataset.starts) >= count && Number(canvas.dataset.frames) > 0;
    }, starts);
}
const Starts = (page) => page.evaluate(() => Number(document.getElementById('lumivane').dataset.starts));

let site;
before(async () => { site = await openBrowser(); });
after(async () => { await site.close(); });

test('the address gives back every setting and the seed, and a change in the panel goes into it', async () => {
    const settings = { text: 'Round trip', font: 'courier new', height: '-90', weight: '700', italic: '1',
                       color: '10A0F0', cycle: '0', speed: '3', method: 'straightbeam', seed: '99' };
    const page = await openPage(site, new URLSearchParams(settings).toString());
    assert.deepEqual(await Address(page), settings);
    assert.deepEqual(await Panel(page), { text: 'Round trip', font: 'courier new', height: '-90', weight: '700',
                                         italic: true, color: '#10a0f0', cycle: false, speed: '3',
                                         method: 'straightbeam' });
    await page.fill('#text', 'Changed');
    await page.press('#text', 'Enter');
    await page.locator('#height').fill('-50');
    await page.locator('#height').dispatchEvent('change');
    const changed = { ...settings, text: 'Changed', height: '-50' };
    assert.deepEqual(await Address(page), changed);
    // The link shows the same, also in a browser that remembers nothing.
    const again = await openPage(site, new URLSearchParams(changed).toString());
    assert.deepEqual(await Address(again), changed);
    assert.deepEqual(page.errors.concat(again.errors), []);
    // A page opened without settings shows the last ones, with a new seed.
    const remembered = await page.context().newPage();
    await remembered.goto(site.address);
    await remembered.waitForSelector('body[data-ready=yes]');
    const { seed, ...rest } = await Address(remembered);
    const { seed: oldSeed, ...expected } = changed;
    assert.deepEqual(rest, expected);
    await page.context().close();
    await again.context().close();
});

test('a bad parameter is named in a notice and its default used', async () => {
    const page = await openPage(site, 'height=tall&method=zigzag&color=12345&text=Kept&seed=5&frames=0&wobble=1');
    const notice = page.locator('#notice');
    assert.ok(await notice.isVisible());
    const text = await notice.textContent();
    for (const name of ['height', 'method', 'color', 'frames', 'wobble'])
        assert.match(text, new RegExp(`Bad parameter ${name}:`));
    assert.doesNotMatch(text, /Bad parameter (text|seed):/);
    const address = await Address(page);
    assert.deepEqual([address.height, address.method, address.color, address.text, address.seed],
                     ['-72', 'lumivane', 'FFFFFF', 'Kept', '5']);
    assert.equal(address.frames, undefined);
    assert.deepEqual(page.errors, []);
    await page.context().close();
});

// Input while the saver runs, from where the pointer stood when it started.
const SaverInputs = [
    { name: 'a 2-pixel move', ends: false, act: (page, x, y) => page.mouse.move(x + 2, y) },
    { name: 'a 4-pixel diagonal move (2 + 2)', ends: false, act: (page, x, y) => page.mouse.move(x + 2, y - 2) },
    { name: 'a 5-pixel move', ends: true, act: (page, x, y) => page.mouse.move(x + 5, y) },
    { name: 'a 5-pixel diagonal move (3 + 2)', ends: true, act: (page, x, y) => page.mouse.move(x - 3, y + 2) },
    { name: 'a key', ends: true, act: (page) => page.keyboard.press('a') },
    { name: 'a button', ends: true, act: async (page) => { await page.mouse.down(); await page.mouse.up(); } },
];

for (const input of SaverInputs) {
    test(`the full-screen saver ${input.ends ? 'ends' : 'goes on'} after ${input.name}`, async () => {
        const page = await openPage(site, 'seed=3');
        const button = await page.locator('#full-screen').boundingBox();
        const x = Math.round(button.x + button.width / 2), y = Math.round(button.y + button.height / 2);
        await page.mouse.move(x, y);
        await page.mouse.click(x, y);
        assert.equal(await page.evaluate(() => document.body.dataset.saver), 'running');
        assert.equal(await page.locator('#panel').isVisible(), false);
        assert.equal(await page.evaluate(() => getComputedStyle(document.body).cursor), 'none');
        await input.act(page, x, y);
        await page.evaluate(() => new Promise(requestAnimationFrame));
        assert.equal(await page.evaluate(() => document.body.dataset.saver), input.ends ? 'ended' : 'running');
        assert.equal(await page.locator('#panel').isVisible(), input.ends);
        assert.deepEqual(page.errors, []);
        await page.context().close();
    });
}

test('the motion stops while the page is hidden and goes on when it shows again', async () => {
    const page = await openPage(site, 'seed=4');
    await moving(page);
    const setHidden = (hidden) => page.evaluate((value) => {
        Object.defineProperty(document, 'hidden', { value, configurable: true });
        Object.defineProperty(document, 'visibilityState', { value: value ? 'hidden' : 'visible', configurable: true });
        document.dispatchEvent(new Event('visibilitychange'));
    }, hidden);
    await setHidden(true);
    const hidden = await Frames(page);
    await page.waitForTimeout(400);
    assert.equal(await Frames(page), hidden);
    await setHidden(false);
    await page.waitForFunction((count) => Number(document.getElementById('lumivane').dataset.frames) > count, hidden);
    assert.deepEqual(page.errors, []);
    await page.context().close();
});

for (const scale of [1, 2]) {
    test(`the canvas has the window's device pixels at scale factor ${scale}`, async () => {
        const page = await openPage(site, 'seed=1', { viewport: { width: 500, height: 300 }, deviceScaleFactor: scale });
        await moving(page);
        const size = await page.evaluate(() => [document.getElementById('lumivane').width,
                                                document.getElementById('lumivane').height]);
        assert.deepEqual(size, [500 * scale, 300 * scale]);
        // A resize starts the frames again at the new size.
        const starts = await Starts(page);
        await page.setViewportSize({ width: 320, height: 200 });
        await moving(page, starts + 1);
        assert.equal(await page.evaluate(() => document.getElementById('lumivane').width), 320 * scale);
        assert.deepEqual(page.errors, []);
        await page.context().close();
    });
}

test('the canvas has device pixels at a real scale factor of 2 (not an emulated one)', async () => {
    const scaled = await openBrowser(['--force-device-scale-factor=2', '--window-size=500,300']);
    try {
        const context = await scaled.browser.newContext({ viewport: null });
        const page = await context.newPage();
        await page.goto(scaled.address + '?seed=1');
        await page.waitForSelector('body[data-ready=yes]');
        await moving(page);
        const [ratio, width, height, inner] = await page.evaluate(() => [devicePixelRatio,
            document.getElementById('lumivane').width, document.getElementById('lumivane').height,
            [innerWidth, innerHeight]]);
        assert.equal(ratio, 2);
        assert.deepEqual([width, height], [inner[0] * 2, inner[1] * 2]);
    } finally {
        await scaled.close();
    }
});

test('size=WxH fixes the canvas, and the page runs on and loads again offline once loaded', async () => {
    const page = await openPage(site, 'size=300x200&seed=2');
    assert.deepEqual(await page.evaluate(() => [document.getElementById('lumivane').width,
                                                document.getElementById('lumivane').height]), [300, 200]);
    await moving(page);
    const starts = await Starts(page);
    await page.context().setOffline(true);
    await page.fill('#text', 'Offline');
    await page.press('#text', 'Enter');
    await moving(page, starts + 1);
    assert.equal((await Address(page)).text, 'Offline');
    // Loaded again without the network, from what the page kept.
    await page.waitForFunction(() => navigator.serviceWorker.controller !== null);
    await page.reload();
    await page.waitForSelector('body[data-ready=yes]');
    await moving(page);
    assert.equal((await Address(page)).text, 'Offline');
    assert.deepEqual(page.errors, []);
    await page.context().close();
});

// What the first picture fetches: the page, the module and the faces the
// settings and the text need, no other.
const FirstPictures = [
    { name: 'the defaults', query: 'seed=1', faces: ['LiberationSans-Regular.ttf'] },
    { name: 'times new roman bold italic', query: 'font=times%20new%20roman&weight=700&italic=1',
      faces: ['LiberationSerif-BoldItalic.ttf'] },
    { name: 'courier new at weight 550', query: 'font=courier%20new&weight=550', faces: ['LiberationMono-Regular.ttf'] },
    { name: 'Hebrew text', query: 'text=' + encodeURIComponent('שלום עולם'),
      faces: ['LiberationSans-Regular.ttf', 'DejaVuSans.ttf'] },
    { name: 'Chinese text, bold', query: 'weight=700&text=' + encodeURIComponent('你好，世界'),
      faces: ['LiberationSans-Bold.ttf', 'wqy-microhei.ttc'] },
];
const FirstPictureMost = 1024 * 1024;

for (const c of FirstPictures) {
    test(`the first picture fetches only the faces it needs: ${c.name}`, async () => {
        const context = await site.browser.newContext({ viewport: { width: 640, height: 360 } });
        const page = await context.newPage();
        const fetched = [];
        page.on('requestfinished', (request) => fetched.push(new URL(request.url()).pathname));
        await page.goto(site.address + '?' + c.query);
        await page.waitForSelector('body[data-ready=yes]');
        await moving(page);
        const faces = fetched.filter((path) => path.startsWith('/faces/')).map((path) => path.slice('/faces/'.length));
        assert.deepEqual(faces.sort(), [...c.faces].sort());
        if (c.name === 'the defaults') {
            const bytes = [...new Set(fetched)].reduce((sum, path) => sum + compressedSize(path), 0);
            assert.ok(bytes <= FirstPictureMost, `the first picture takes ${bytes} bytes compressed`);
        }
        await context.close();
    });
}

test('a face file of the user\'s own draws the text', async () => {
    const face = '/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf';
    const page = await openPage(site, 'size=640x360&seed=12&frames=200');
    await stillDone(page);
    const before = await canvasRgb(page);
    const starts = await Starts(page);
    await page.setInputFiles('#face-file', face);
    await page.waitForFunction((count) => {
        const canvas = document.getElementById('lumivane');
        return Number(canvas.dataset.starts) > count && canvas.dataset.still === 'done';
    }, starts);
    const result = comparePixels(await canvasRgb(page), renderRgb(['--font', 'DejaVu Serif', '--seed', '12',
                                                                   '--size', '640x360', '--frames', '200']));
    assert.equal(result.differing, 0);
    assert.ok(comparePixels(before, await canvasRgb(page)).differing > 0, 'the face changed the picture');
    assert.deepEqual(page.errors, []);
    await page.context().close();
});

test('the page as it first shows, for the README', async () => {
    const page = await openPage(site, 'seed=7', { viewport: { width: 960, height: 540 } });
    await page.waitForFunction(() => Number(document.getElementById('lumivane').dataset.frames) >= 200);
    mkdirSync(Pictures, { recursive: true });
    const picture = await page.screenshot({ path: join(Pictures, 'web-page.png') });
    assert.ok(picture.length > 0);
    assert.ok(await page.locator('#panel').isVisible());
    assert.deepEqual(page.errors, []);
    await page.context().close();
});

test('the zip holds the site, index.html at its top, with the licences and notices', () => {
    const entries = execFileSync('unzip', ['-Z1', process.env.LUMIVANE_WEB_ZIP], { encoding: 'utf8' }).split('\n');
    for (const entry of ['index.html', 'page.js', 'faces.js', 'offline.js', 'lumivane-core.js', 'lumivane-core.wasm', 'LICENSE.txt',
                         'notices/README.txt', 'notices/FreeType-FTL.txt', 'notices/HarfBuzz-COPYING.txt',
                         'notices/FriBidi-COPYING.txt', 'faces/fonts-liberation.copyright.txt', 'faces/GPL-2.txt',
                         'faces/fonts-lohit-deva.copyright.txt', 'faces/LiberationMono-BoldItalic.ttf',
                         'faces/wqy-microhei.ttc'])
        assert.ok(entries.includes(entry), `the zip holds ${entry}`);
    const notices = readFileSync(join(process.env.LUMIVANE_SITE, 'notices/README.txt'), 'utf8');
    assert.match(notices, /Portions of this software are copyright \(C\) The FreeType\s+Project/);
    assert.match(readFileSync(join(process.env.LUMIVANE_SITE, 'notices/HarfBuzz-COPYING.txt'), 'utf8'), /Copyright/);
});

test('every control has a label and the saver starts and ends from the keyboard', async () => {
    const page = await openPage(site, 'seed=6');
    const unlabelled = await page.evaluate(() => [...document.querySelectorAll('input, select, button')]
        .filter((control) => control.tagName !== 'BUTTON' ? control.labels.length === 0 : !control.textContent.trim())
        .map((control) => control.id));
    assert.deepEqual(unlabelled, []);
    await page.focus('#full-screen');
    await page.keyboard.press('Enter');
    assert.equal(await page.evaluate(() => document.body.dataset.saver), 'running');
    // Started from the keyboard, the saver measures moves from where the pointer is first seen.
    await page.mouse.move(300, 300);
    await page.mouse.move(303, 300);
    assert.equal(await page.evaluate(() => document.body.dataset.saver), 'running');
    await page.keyboard.press('Escape');
    assert.equal(await page.evaluate(() => document.body.dataset.saver), 'ended');
    assert.equal(await page.evaluate(() => document.activeElement.id), 'full-screen');
    assert.deepEqual(page.errors, []);
    await page.context().close();
});
