// Which face files the page fetches for a description and a text: the
// Windows names and their styles by fontconfig's weight rule, any other name
// DejaVu Sans as fontconfig gives it, and the fallbacks in their order for the characters the
// face lacks. faces.js runs here as the page runs it, without a browser.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { runInNewContext } from 'node:vm';

const page = { window: {} };
runInNewContext(readFileSync(new URL('../../web/faces.js', import.meta.url), 'utf8'), page);
const { faceFileFor, fallbackFilesFor } = page.window.LumivaneFaces;

const Faces = [
    ['arial', 0, false, 'LiberationSans-Regular.ttf'],
    ['Arial', 400, true, 'LiberationSans-Italic.ttf'],
    [' TIMES NEW ROMAN ', 700, true, 'LiberationSerif-BoldItalic.ttf'],
    ['courier new', 550, false, 'LiberationMono-Regular.ttf'],
    ['courier new', 551, false, 'LiberationMono-Bold.ttf'],
    ['Liberation Serif', 1000, false, 'LiberationSerif-Bold.ttf'],
    ['Helvetica', 0, false, 'LiberationSans-Regular.ttf'],
    ['Comic Sans MS', 0, false, 'DejaVuSans.ttf'],
    ['sans-serif', 700, true, 'DejaVuSans-BoldOblique.ttf'],
];

for (const [name, weight, italic, file] of Faces) {
    test(`"${name}" at weight ${weight}${italic ? ', italic,' : ''} is drawn from ${file}`, () => {
        assert.equal(faceFileFor(name, weight, italic), file);
    });
}

const Fallbacks = [
    { text: 'Latin, Ελληνικά', weight: 0, italic: false, files: ['DejaVuSans.ttf'] },
    { text: 'Lumivane', weight: 0, italic: false, files: [] },
    { text: 'שלום', weight: 700, italic: true, files: ['DejaVuSans-BoldOblique.ttf'] },
    { text: 'नमस्ते 你好 مرحبا', weight: 0, italic: true,
      files: ['DejaVuSans-Oblique.ttf', 'Lohit-Devanagari.ttf', 'wqy-microhei.ttc'] },
    { text: '한국어', weight: 700, italic: false, files: ['wqy-microhei.ttc'] },
];

for (const c of Fallbacks) {
    test(`the fallbacks for "${c.text}" are ${c.files.join(', ') || 'none'}`, () => {
        const characters = [...c.text].map((character) => character.codePointAt(0));
        assert.deepEqual([...fallbackFilesFor(characters, c.weight, c.italic)], c.files);
    });
}
