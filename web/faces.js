// The faces of the page: which file draws a font description, and which
// fallback files draw characters the face lacks. The Windows names go to
// their metric-compatible free faces, and other names to DejaVu Sans, as
// fontconfig matches them natively; each file is fetched the first time the
// settings or the text need it.
'use strict';

const StyleSuffixes = { regular: '-Regular', bold: '-Bold', italic: '-Italic', boldItalic: '-BoldItalic' };
const ObliqueSuffixes = { regular: '', bold: '-Bold', italic: '-Oblique', boldItalic: '-BoldOblique' };
// Any other name gets the last, as fontconfig gives DejaVu Sans for a name it
// does not know.
const FaceFamilies = [
    { names: ['arial', 'liberation sans', 'arimo', 'helvetica'], file: 'LiberationSans', suffixes: StyleSuffixes },
    { names: ['times new roman', 'liberation serif', 'tinos', 'times'], file: 'LiberationSerif',
      suffixes: StyleSuffixes },
    { names: ['courier new', 'liberation mono', 'cousine', 'courier'], file: 'LiberationMono', suffixes: StyleSuffixes },
    { names: ['dejavu sans'], file: 'DejaVuSans', suffixes: ObliqueSuffixes },
];
// Nearer the bold face than the regular one in fontconfig's weight scale.
const LightestBold = 551;

// The fallbacks in the order fontconfig prefers them here, each with the
// blocks of characters it is fetched for.
const FallbackFaces = [
    { file: 'DejaVuSans', suffixes: ObliqueSuffixes,
      blocks: [[0x0370, 0x058F], [0x0590, 0x08FF], [0x10A0, 0x10FF], [0x1E00, 0x1FFF], [0x2000, 0x2BFF],
               [0xFB00, 0xFDFF], [0xFE70, 0xFEFF]] },
    { file: 'Lohit-Devanagari', suffixes: null, blocks: [[0x0900, 0x097F], [0xA8E0, 0xA8FF]] },
    { file: 'wqy-microhei', extension: '.ttc', suffixes: null,
      blocks: [[0x1100, 0x11FF], [0x2E80, 0x9FFF], [0xAC00, 0xD7AF], [0xF900, 0xFAFF], [0xFF00, 0xFFEF],
               [0x20000, 0x2FFFF]] },
];

function faceStyle(weight, italic) {
    const bold = weight >= LightestBold;
    return bold ? (italic ? 'boldItalic' : 'bold') : (italic ? 'italic' : 'regular');
}

// The file that draws the face named name (any case) in the weight and slant.
function faceFileFor(name, weight, italic) {
    const wanted = name.trim().toLowerCase();
    const family = FaceFamilies.find((f) => f.names.includes(wanted)) || FaceFamilies[FaceFamilies.length - 1];
    return family.file + family.suffixes[faceStyle(weight, italic)] + '.ttf';
}

// The fallback files for the characters (code points), in preference order.
function fallbackFilesFor(characters, weight, italic) {
    const files = [];
    for (const face of FallbackFaces) {
        const needed = characters.some((c) => face.blocks.some(([low, high]) => c >= low && c <= high));
        if (!needed)
            continue;
        const suffix = face.suffixes ? face.suffixes[faceStyle(weight, italic)] : '';
        files.push(face.file + suffix + (face.extension || '.ttf'));
    }
    return files;
}

// The page's service worker (offline.js) keeps what it fetches once it is
// running; a face fetched before is kept here, for loading offline.
const KeptFiles = 'lumivane-site';
async function keepFace(url, answer) {
    if (!window.caches || !window.isSecureContext)
        return;
    try {
        await (await caches.open(KeptFiles)).put(url, answer);
    } catch (error) {
        // A browser that keeps nothing still draws the face it fetched.
    }
}

// Fetches face files into the module's file system, each once.
class FaceStore {
    constructor(core, base) {
        this.core = core;
        this.base = base;
        this.loaded = new Map();        // file name -> its path in the module, once fetched
        this.core.FS.mkdir('/faces');
    }

    async load(file) {
        if (!this.loaded.has(file)) {
            const url = this.base + encodeURIComponent(file);
            const answer = await fetch(url);
            if (!answer.ok)
                throw new Error(`the face ${file} could not be loaded (${answer.status})`);
            const kept = keepFace(url, answer.clone());
            this.write(file, new Uint8Array(await answer.arrayBuffer()));
            await kept;
        }
        return this.loaded.get(file);
    }

    // A face file the user chose, under a name of its own.
    write(file, bytes) {
        const path = '/faces/' + file;
        this.core.FS.writeFile(path, bytes);
        this.loaded.set(file, path);
        return path;
    }
}

window.LumivaneFaces = { faceFileFor, fallbackFilesFor, FaceStore };
