// The canvas equals lumivane-render's picture, pixel for pixel, for the same
// settings, seed, size and step count: each method, weights either side of
// the bold face, italic, the three Windows names, both kinds of height, a
// fixed and a cycling colour, odd sizes and texts in other scripts (one that
// the default face has, and ones that need fallback faces, right-to-left
// order, and a fallback's bold or italic made as fontconfig makes it).
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { canvasRgb, comparePixels, openBrowser, openPage, renderRgb, stillDone } from './support.mjs';

const Cases = [
    { name: 'the defaults', settings: {}, size: '640x360', frames: 60, seed: 7 },
    { name: 'FlexBeam, bold italic', settings: { method: 'flexbeam', weight: '700', italic: '1', text: 'Hello world' },
      size: '800x450', frames: 300, seed: 3 },
    { name: 'StraightBeam, a fixed colour', settings: { method: 'straightbeam', cycle: '0', color: 'FFC040' },
      size: '800x450', frames: 500, seed: 11 },
    { name: 'a long run of the cycling colour, faster', settings: { cycle: '1', speed: '5' }, size: '640x480',
      frames: 3000, seed: 21 },
    { name: 'weight 600 draws the bold face', settings: { weight: '600' }, size: '640x360', frames: 120, seed: 5 },
    { name: 'weight 500 draws the regular face', settings: { weight: '500' }, size: '640x360', frames: 120, seed: 5 },
    { name: 'times new roman italic', settings: { font: 'times new roman', italic: '1', height: '-96' },
      size: '900x500', frames: 200, seed: 8 },
    { name: 'a name no face has: DejaVu Sans, as fontconfig gives it', settings: { font: 'Comic Sans MS' },
      size: '640x360', frames: 150, seed: 14 },
    { name: 'courier new bold, FlexBeam', settings: { font: 'courier new', weight: '700', method: 'flexbeam' },
      size: '900x500', frames: 200, seed: 9 },
    { name: 'a positive height: the cell', settings: { height: '120', text: 'Cell' }, size: '700x400', frames: 150,
      seed: 13 },
    { name: 'an odd small size', settings: { height: '-20' }, size: '97x61', frames: 400, seed: 17 },
    { name: 'Cyrillic in the default face', settings: { text: 'Привет, мир' }, size: '800x450', frames: 250, seed: 4 },
    { name: 'Hebrew from a fallback face, right to left', settings: { text: 'שלום Lumivane', method: 'straightbeam' },
      size: '800x450', frames: 250, seed: 6 },
    { name: 'Devanagari conjuncts from a fallback face', settings: { text: 'नमस्ते क्षत्रिय' }, size: '800x450',
      frames: 250, seed: 2 },
    { name: 'Chinese from a fallback face made bold', settings: { text: '你好，世界', weight: '700' },
      size: '800x450', frames: 250, seed: 5 },
    { name: 'Devanagari from a fallback face slanted for italic', settings: { text: 'नमस्ते', italic: '1' },
      size: '800x450', frames: 250, seed: 10 },
];

// The same settings as lumivane-render's options.
function renderArguments(c) {
    const args = ['--seed', String(c.seed), '--size', c.size, '--frames', String(c.frames)];
    for (const [name, value] of Object.entries(c.settings)) {
        if (name === 'italic' || name === 'cycle')
            args.push(value === '1' ? `--${name}` : `--no-${name}`);
        else
            args.push(`--${name}=${name === 'color' ? '#' + value : value}`);
    }
    return args;
}

let site;
before(async () => { site = await openBrowser(); });
after(async () => { await site.close(); });

for (const c of Cases) {
    test(`the canvas equals lumivane-render: ${c.name}`, async () => {
        const query = new URLSearchParams({ ...c.settings, seed: c.seed, size: c.size, frames: c.frames });
        const page = await openPage(site, query.toString());
        await stillDone(page);
        const result = comparePixels(await canvasRgb(page), renderRgb(renderArguments(c)));
        assert.ok(result.sameSize, 'the canvas has the picture\'s size');
        assert.ok(result.lit > 0, 'the picture shows the text');
        assert.equal(result.differing, 0, `${result.differing} of the picture's pixels differ`);
        assert.equal(await page.evaluate(() => document.getElementById('lumivane').dataset.frames), String(c.frames));
        assert.deepEqual(page.errors, []);
        await page.context().close();
    });
}
