// The frame benchmark in Debian's Chromium:
//   node web_frames.mjs BENCH NODE_MODULES [SITE]
// serves the benchmark's folder (cross-origin isolated, so that the clock
// is not coarsened), runs it in a page and prints its lines as it printed
// them. With the site, it then shows the page at 1920x1080 from a known seed
// and prints the steps its motion takes a second, which should be 200.
import { openBrowser } from '../../web/browser.mjs';

const [bench, nodeModules, siteFolder] = process.argv.slice(2);
const BenchTimeout = 600000;
const PaceSettle = 1000, PaceMeasured = 5000;

const frames = await openBrowser(bench, nodeModules, ['--js-flags=--no-liftoff']);
try {
    const page = await frames.browser.newPage();
    await page.goto(frames.address);
    await page.waitForFunction(() => document.body.dataset.done === 'yes', null, { timeout: BenchTimeout });
    if (!(await page.evaluate(() => crossOriginIsolated)))
        console.error('web_frames.mjs: the page is not cross-origin isolated: its clock is coarsened');
    for (const line of await page.evaluate(() => Module.lines))
        console.log(line);
} finally {
    await frames.close();
}

if (siteFolder) {
    const site = await openBrowser(siteFolder, nodeModules);
    try {
        const page = await site.browser.newPage({ viewport: { width: 1920, height: 1080 } });
        await page.goto(site.address + '?seed=7');
        await page.waitForSelector('body[data-ready=yes]');
        await page.waitForTimeout(PaceSettle);
        const count = () => page.evaluate(() => [Number(document.getElementById('lumivane').dataset.frames),
                                                 performance.now()]);
        const [steps0, time0] = await count();
        await page.waitForTimeout(PaceMeasured);
        const [steps1, time1] = await count();
        console.log(`the page at 1920x1080, defaults: ${((steps1 - steps0) / (time1 - time0) * 1000).toFixed(1)} steps/s`);
    } finally {
        await site.close();
    }
}
