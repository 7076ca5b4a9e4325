// The page's figures in headless Chromium: the core's analysis of a file in the page (the
// generated 64,000-event file of bench/benchfiles.h, written by tunedeck_bench_file), the
// time from giving the page a file to its first results, and the page's compressed sizes.
//   node web/bench/pagebench.mjs PAGE_DIR FILE.mid [more files for the first results]
import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';
import { start } from '../tests/browser.mjs';

const [pageDir, file, ...others] = process.argv.slice(2);
if (!pageDir || !file) {
  console.error('usage: node web/bench/pagebench.mjs PAGE_DIR FILE.mid [FILE.mid...]');
  process.exit(2);
}

const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];
const browser = await start(path.resolve(pageDir));
const page = await browser.open();
const bytes = [...fs.readFileSync(file)];
const times = await page.evaluate((b) => {
  const data = new Uint8Array(b), core = window.tunedeckHooks.core, out = [];
  for (let i = 0; i < 12; ++i) {
    const t0 = performance.now();
    const r = core.analyse(data, {}, 'file.mid');
    out.push(performance.now() - t0);
    if (!r.succeeded) throw new Error('the analysis did not succeed');
  }
  return out;
}, bytes);
console.log(`analysis in the page, ${path.basename(file)}: median ${median(times.slice(2)).toFixed(1)} ms `
  + `(first ${times[0].toFixed(1)} ms, min ${Math.min(...times).toFixed(1)} ms)`);

for (const f of [file, ...others]) {
  const fresh = await browser.open();
  const t0 = Date.now();
  await fresh.setInputFiles('#file-input', f);
  await fresh.waitForFunction(() => document.getElementById('tonalyte-key').textContent !== '');
  console.log(`first results after giving the page ${path.basename(f)}: ${Date.now() - t0} ms`);
  await fresh.close();
}
await browser.close();

const gz = (p) => zlib.gzipSync(fs.readFileSync(p), { level: 9 }).length;
const list = (dir, test) => fs.readdirSync(dir, { recursive: true }).map((f) => path.join(dir, f))
  .filter((p) => fs.statSync(p).isFile() && test(p));
const own = list(pageDir, (p) => !p.includes(`${path.sep}vendor${path.sep}`) && !p.includes(`${path.sep}sounds${path.sep}`));
const synth = list(path.join(pageDir, 'vendor'), (p) => p.endsWith('.js'));
const sum = (files) => files.reduce((s, p) => s + gz(p), 0);
const kb = (n) => `${(n / 1024).toFixed(0)} KiB`;
console.log(`our own code (wasm, JS, CSS, HTML), gzip -9: ${kb(sum(own))} `
  + `(wasm ${kb(gz(path.join(pageDir, 'tunedeck.wasm')))})`);
console.log(`with the synthesizer's files: ${kb(sum(own) + sum(synth))}`);
console.log(`the soundfont apart: ${kb(fs.statSync(path.join(pageDir, 'sounds/TimGM6mb.sf2')).size)} (not compressed)`);
