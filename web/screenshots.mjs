// Pictures of the page with files read and a play under way, light and dark, 360 px and
// 1440 px wide: node web/screenshots.mjs PAGE_DIR OUT_DIR FILE.mid...
import path from 'node:path';
import fs from 'node:fs';
import { start } from './tests/browser.mjs';

const [pageDir, outDir, ...files] = process.argv.slice(2);
if (!pageDir || !outDir || files.length === 0) {
  console.error('usage: node web/screenshots.mjs PAGE_DIR OUT_DIR FILE.mid...');
  process.exit(2);
}
fs.mkdirSync(outDir, { recursive: true });
const browser = await start(path.resolve(pageDir));
for (const colorScheme of ['light', 'dark']) {
  for (const width of [360, 1440]) {
    const page = await browser.open({ width, height: 900, colorScheme });
    await page.evaluate(() => window.tunedeckHooks.useManualClock());
    await page.setInputFiles('#file-input', files);
    await page.waitForFunction((n) => document.querySelectorAll('#file-list tbody tr').length === n
      && !document.querySelector('#file-list').textContent.includes('reading…'), files.length);
    await page.click('#play-button');
    await page.waitForFunction(() => !document.getElementById('stop-button').disabled);
    await page.evaluate(() => window.tunedeckHooks.advance(42000));
    const out = path.join(outDir, `page-${colorScheme}-${width}.png`);
    await page.screenshot({ path: out, fullPage: true });
    console.log(out);
    await page.close();
  }
}
await browser.close();
