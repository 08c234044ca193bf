// A picture of the page in Debian's Chromium, for a machine without a
// display: node screenshot.mjs SITE NODE_MODULES OUT.png [QUERY]. The page
// runs for a second at 960x540 first, so that the text has moved in.
import { openBrowser } from './browser.mjs';

const [site, nodeModules, out, query] = process.argv.slice(2);
const RunFor = 1000;
const browser = await openBrowser(site, nodeModules);
try {
    const page = await browser.browser.newPage({ viewport: { width: 960, height: 540 } });
    await page.goto(browser.address + (query ? '?' + query : ''));
    await page.waitForSelector('body[data-ready=yes]');
    await page.waitForTimeout(RunFor);
    await page.screenshot({ path: out });
    const notice = await page.locator('#notice').textContent();
    if (notice)
        console.error(notice);
} finally {
    await browser.close();
}
