// The frame benchmark in Debian's Chromium: node web_frames.mjs BENCH NODE_MODULES
// serves the benchmark's folder (cross-origin isolated, so that the clock
// is not coarsened), runs it in a page and prints its lines as it printed them.
import { openBrowser } from '../../web/browser.mjs';

const [bench, nodeModules] = process.argv.slice(2);
const BenchTimeout = 600000;
const site = await openBrowser(bench, nodeModules, ['--js-flags=--no-liftoff']);
try {
    const page = await site.browser.newPage();
    await page.goto(site.address);
    await page.waitForFunction(() => document.body.dataset.done === 'yes', null, { timeout: BenchTimeout });
    if (!(await page.evaluate(() => crossOriginIsolated)))
        console.error('web_frames.mjs: the page is not cross-origin isolated: its clock is coarsened');
    for (const line of await page.evaluate(() => Module.lines))
        console.log(line);
} finally {
    await site.close();
}
