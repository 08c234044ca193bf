// The page: the settings from the address (else those remembered in the
// browser, else the defaults), the panel that edits them, and the frames on
// the canvas at the saver's pace; "Full screen" runs it as the saver, ended
// by a key, a button or a mouse move of more than 4 pixels. The frame code,
// the checks of each setting and the pacing are the module's (web_main.cpp).
'use strict';

const Settings = ['text', 'font', 'height', 'weight', 'italic', 'color', 'cycle', 'speed', 'method'];
const StoreKey = 'lumivane.settings';
const LargestSide = 16384;              // each side of the canvas, as lumivane-render allows
const MostFrames = 10000000;
const LargestSeed = 4294967295;
const MouseCloseThreshold = 4;          // pixels, horizontal plus vertical, as on Windows
const MicrosecondsPerMillisecond = 1000;
const BytesPerPixel = 4;
const StartResults = ['', 'no face could be opened for these settings', 'not enough memory for a canvas this size'];

const canvas = document.getElementById('lumivane');
const context = canvas.getContext('2d');
const notice = document.getElementById('notice');
const form = document.getElementById('settings');

let core = null;
let faces = null;
let run = null;                         // { width, height, steps, image: the pixels' view, buffer, request }
let fixedSize = null;                   // size=WxH
let stillFrames = null;                 // frames=N
let seed = 0;
let userFace = null;                    // the path of a face file the user chose
let saver = null;                       // { anchor } while running as the saver
let measured = { width: 0, height: 0 };
let problems = [];

function now() {
    return performance.now() * MicrosecondsPerMillisecond;
}

function say(lines) {
    notice.textContent = lines.join('\n');
    notice.hidden = lines.length === 0;
}

function randomSeed() {
    return crypto.getRandomValues(new Uint32Array(1))[0];
}

// Whole decimal numbers within low..high, as the native commands read them.
function wholeNumber(text, low, high) {
    if (!/^[+-]?\d{1,16}$/.test(text))
        return null;
    const number = Number(text);
    return number >= low && number <= high ? number : null;
}

function applySetting(name, value) {
    return core.ccall('lumivane_apply_setting', 'string', ['string', 'string'], [name, value]);
}

function setting(name) {
    return core.ccall('lumivane_setting', 'string', ['string'], [name]);
}

// The settings from the address's parameters, or from the browser's memory
// when the address names none. Each bad parameter is said and its default kept.
function readSettings(address) {
    problems = [];
    core.ccall('lumivane_default_settings', null, [], []);
    let given = address;
    const named = [...address.keys()].some((name) => Settings.includes(name) || name === 'seed');
    if (!named) {
        try {
            given = new URLSearchParams(localStorage.getItem(StoreKey) || '');
        } catch (error) {
            given = new URLSearchParams();
        }
        for (const name of ['size', 'frames'])
            if (address.has(name))
                given.set(name, address.get(name));
    }
    seed = randomSeed();
    fixedSize = null;
    stillFrames = null;
    for (const [name, value] of given) {
        let problem = '';
        if (Settings.includes(name)) {
            problem = applySetting(name, value).replace(/^--/, '');
        } else if (name === 'seed') {
            const number = wholeNumber(value, 0, LargestSeed);
            if (number === null)
                problem = `seed wants a whole number from 0 to ${LargestSeed}, not "${value}"`;
            else
                seed = number;
        } else if (name === 'size') {
            const sides = /^(\d+)x(\d+)$/i.exec(value);
            const width = sides && wholeNumber(sides[1], 1, LargestSide);
            const height = sides && wholeNumber(sides[2], 1, LargestSide);
            if (!width || !height)
                problem = `size wants WIDTHxHEIGHT, each from 1 to ${LargestSide}, not "${value}"`;
            else
                fixedSize = { width, height };
        } else if (name === 'frames') {
            const number = wholeNumber(value, 1, MostFrames);
            if (number === null)
                problem = `frames wants a whole number from 1 to ${MostFrames}, not "${value}"`;
            else
                stillFrames = number;
        } else {
            problem = `there is no parameter "${name}"`;
        }
        if (problem)
            problems.push(`Bad parameter ${name}: ${problem}; the default is used.`);
    }
    say(problems);
}

// The address of what is shown: every setting and the seed, and the size
// and step count when fixed.
function currentAddress() {
    const parameters = new URLSearchParams();
    for (const name of Settings)
        parameters.set(name, setting(name));
    parameters.set('seed', String(seed));
    if (fixedSize)
        parameters.set('size', `${fixedSize.width}x${fixedSize.height}`);
    if (stillFrames)
        parameters.set('frames', String(stillFrames));
    return parameters;
}

function rememberSettings() {
    const parameters = currentAddress();
    history.replaceState(null, '', '?' + parameters.toString());
    parameters.delete('size');
    parameters.delete('frames');
    parameters.delete('seed');
    try {
        localStorage.setItem(StoreKey, parameters.toString());
    } catch (error) {
        // A browser that keeps nothing still shows the address's settings.
    }
}

// The panel shows the settings; its changes go through the same checks.
function showSettings() {
    for (const name of Settings) {
        const control = form.elements[name];
        const value = setting(name);
        if (control.type === 'checkbox')
            control.checked = value === '1';
        else if (control.type === 'color')
            control.value = '#' + value.toLowerCase();
        else
            control.value = value;
    }
}

function takePanel() {
    const lines = [];
    for (const name of Settings) {
        const control = form.elements[name];
        let value = control.value;
        if (control.type === 'checkbox')
            value = control.checked ? '1' : '0';
        const problem = applySetting(name, value);
        if (problem)
            lines.push(`${control.labels[0].textContent}: ${problem.replace(/^--/, '')}`);
    }
    say(lines);
}

// The canvas's size in device pixels: as the address fixes it, else the
// window's at the display's scale.
function canvasSize() {
    if (fixedSize)
        return fixedSize;
    const box = canvas.getBoundingClientRect();
    const width = Math.max(1, Math.round(box.width * devicePixelRatio));
    const height = Math.max(1, Math.round(box.height * devicePixelRatio));
    // The observer's device pixels are exact where the scale is real; an
    // emulated one reports CSS pixels there, so those only count when they agree.
    if (Math.abs(measured.width - width) <= 1 && Math.abs(measured.height - height) <= 1)
        return measured;
    return { width, height };
}

// The faces the settings and the text need, fetched when first needed: the
// face's path and the fallbacks' paths, in their order.
async function fetchFaces(characters) {
    const weight = Number(setting('weight')), italic = setting('italic') === '1';
    const face = userFace || await faces.load(LumivaneFaces.faceFileFor(setting('font'), weight, italic));
    const fallbacks = [];
    for (const file of LumivaneFaces.fallbackFilesFor(characters, weight, italic))
        fallbacks.push(await faces.load(file));
    return { face, fallbacks };
}

// Hands the fetched faces to the module.
function useFaces({ face, fallbacks }) {
    if (!core.ccall('lumivane_choose_face', 'number', ['string'], [face])) {
        const which = face === userFace ? 'your face file' : face.replace('/faces/', '');
        userFace = null;                // the next start goes back to the settings' face
        throw new Error(`${which} is no face that can be read`);
    }
    core.ccall('lumivane_clear_fallback_faces', null, [], []);
    for (const path of fallbacks)
        core.ccall('lumivane_add_fallback_face', 'number', ['string'], [path]);
}

function uncoveredCharacters() {
    const characters = [];
    const count = core.ccall('lumivane_uncovered_count', 'number', [], []);
    for (let i = 0; i < count; ++i)
        characters.push(core.ccall('lumivane_uncovered_character', 'number', ['number'], [i]) >>> 0);
    return characters;
}

function startFrames(size) {
    return core.ccall('lumivane_start', 'number', ['number', 'number', 'number', 'number'],
                      [size.width, size.height, seed, now()]);
}

// Copies a box the last frame changed from the module's pixels to the canvas.
function copyPixels(left, top, right, bottom) {
    const buffer = core.HEAPU8.buffer;
    if (run.image === null || run.buffer !== buffer) {
        // A grown memory leaves the old view behind.
        const pointer = core.ccall('lumivane_pixels', 'number', [], []);
        run.buffer = buffer;
        run.image = new ImageData(new Uint8ClampedArray(buffer, pointer, run.width * run.height * BytesPerPixel),
                                  run.width, run.height);
    }
    context.putImageData(run.image, 0, 0, left, top, right - left, bottom - top);
}

function showFrame() {
    const count = core.ccall('lumivane_show', 'number', [], []);
    if (count === 0)
        return;
    const pointer = core.ccall('lumivane_damage', 'number', [], []);
    const boxes = new Int32Array(core.HEAPU8.buffer, pointer, count * 4).slice();
    for (let i = 0; i < boxes.length; i += 4)
        copyPixels(boxes[i], boxes[i + 1], boxes[i + 2], boxes[i + 3]);
}

function countSteps(steps) {
    run.steps += steps;
    canvas.dataset.frames = String(run.steps);
}

// One display frame: the steps due by the clock, then one drawing of where
// they lead. A hidden page takes no steps.
function tick() {
    run.request = requestAnimationFrame(tick);
    if (document.hidden)
        return;
    const steps = core.ccall('lumivane_step_due', 'number', ['number'], [now()]);
    if (steps > 0) {
        showFrame();
        countSteps(steps);
    }
}

let starting = null;
// Starts the frames again from the settings: on a change, a resize, a new face.
// A later start while this one waits for faces takes over.
async function restart() {
    const mine = starting = {};
    if (run)
        cancelAnimationFrame(run.request);
    try {
        // Between a start's waits and its frames the module is its alone.
        const chosen = await fetchFaces([]);
        if (mine !== starting)
            return;
        useFaces(chosen);
        const size = canvasSize();
        let result = startFrames(size);
        const uncovered = uncoveredCharacters();
        if (result === 0 && uncovered.length > 0) {
            const more = await fetchFaces(uncovered);
            if (mine !== starting)
                return;
            useFaces(more);
            result = startFrames(size);
        }
        if (result !== 0)
            throw new Error(StartResults[result]);
        canvas.width = size.width;
        canvas.height = size.height;
        if (fixedSize) {
            canvas.style.width = `${size.width / devicePixelRatio}px`;
            canvas.style.height = `${size.height / devicePixelRatio}px`;
        }
        context.fillStyle = '#000';
        context.fillRect(0, 0, size.width, size.height);
        run = { width: size.width, height: size.height, steps: 0, image: null, buffer: null, request: 0 };
        canvas.dataset.frames = '0';
        canvas.dataset.starts = String(Number(canvas.dataset.starts || 0) + 1);
        if (stillFrames) {
            core.ccall('lumivane_step', null, ['number'], [stillFrames]);
            showFrame();
            countSteps(stillFrames);
            canvas.dataset.still = 'done';
            return;
        }
        run.request = requestAnimationFrame(tick);
    } catch (error) {
        say([...problems, `Cannot draw: ${error.message}.`]);
    }
}

// The saver: full screen, no cursor, no panel, until input.
function startSaver(event) {
    saver = { anchor: event && event.detail > 0 ? { x: event.screenX, y: event.screenY } : null };
    document.body.classList.add('saver');
    const full = document.documentElement.requestFullscreen ? document.documentElement.requestFullscreen() : null;
    if (full)
        full.catch(() => {});           // a browser that refuses still shows the saver in its window
    document.body.dataset.saver = 'running';
}

function endSaver() {
    if (!saver)
        return;
    saver = null;
    document.body.classList.remove('saver');
    document.body.dataset.saver = 'ended';
    if (document.fullscreenElement)
        document.exitFullscreen().catch(() => {});
    document.getElementById('full-screen').focus();
}

function saverMouseMove(event) {
    if (!saver)
        return;
    if (!saver.anchor) {
        saver.anchor = { x: event.screenX, y: event.screenY };
        return;
    }
    const moved = Math.abs(event.screenX - saver.anchor.x) + Math.abs(event.screenY - saver.anchor.y);
    if (moved > MouseCloseThreshold)
        endSaver();
}

function listen() {
    form.addEventListener('change', () => {
        takePanel();
        rememberSettings();
        restart();
    });
    form.addEventListener('submit', (event) => event.preventDefault());
    document.getElementById('new-seed').addEventListener('click', () => {
        seed = randomSeed();
        rememberSettings();
        restart();
    });
    document.getElementById('face-file').addEventListener('change', async (event) => {
        const file = event.target.files[0];
        if (!file)
            return;
        userFace = faces.write('user-' + file.name, new Uint8Array(await file.arrayBuffer()));
        document.getElementById('face-file-name').textContent = `Drawn with ${file.name}`;
        restart();
    });
    document.getElementById('full-screen').addEventListener('click', startSaver);
    document.addEventListener('mousemove', saverMouseMove);
    document.addEventListener('keydown', (event) => {
        if (saver) {
            event.preventDefault();
            endSaver();
        }
    });
    document.addEventListener('mousedown', () => endSaver());
    document.addEventListener('fullscreenchange', () => {
        if (!document.fullscreenElement && saver)
            endSaver();
    });
    // Back from hidden: the motion goes on from where it stood.
    document.addEventListener('visibilitychange', () => {
        if (!document.hidden && run)
            core.ccall('lumivane_resume', null, ['number'], [now()]);
    });
    const observer = new ResizeObserver((entries) => {
        const entry = entries[entries.length - 1];
        const box = entry.devicePixelContentBoxSize && entry.devicePixelContentBoxSize[0];
        measured = box ? { width: box.inlineSize, height: box.blockSize } : { width: 0, height: 0 };
        const size = canvasSize();
        if (run && !fixedSize && (size.width !== run.width || size.height !== run.height))
            restart();
    });
    try {
        observer.observe(canvas, { box: 'device-pixel-content-box' });
    } catch (error) {
        observer.observe(canvas);
    }
}

// Kept for loading without a network, where the browser allows a service
// worker (a secure origin; not a file opened from disk).
function keepForOffline() {
    if ('serviceWorker' in navigator && window.isSecureContext)
        navigator.serviceWorker.register('offline.js').catch(() => {});
}

async function main() {
    core = await LumivaneCore({ locateFile: (file) => file });
    faces = new LumivaneFaces.FaceStore(core, 'faces/');
    readSettings(new URLSearchParams(location.search));
    showSettings();
    rememberSettings();
    listen();
    await restart();
    // After the first picture, which it would otherwise compete with.
    keepForOffline();
    document.body.dataset.ready = 'yes';
}

main().catch((error) => say([`Lumivane could not start: ${error.message}.`]));
