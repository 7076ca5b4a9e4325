// What the page's tests share: the built page served on 127.0.0.1, Debian's Chromium driven
// by playwright-core (no browser of its own), the corpus and tunedeck-detect when present.
import { chromium } from 'playwright-core';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { serve } from '../serve.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
export const repo = path.resolve(here, '../..');
export const pageDir = path.resolve(process.env.TUNEDECK_PAGE_DIR ?? path.join(repo, 'build-web/page'));
export const corpus = path.resolve(process.env.TUNEDECK_SHARED_CORPUS ?? path.join(repo, '../shared/corpus'));
export const detect = path.resolve(process.env.TUNEDECK_DETECT ?? path.join(repo, 'build/bin/tunedeck-detect'));
export const haveCorpus = fs.existsSync(path.join(corpus, 'bach'));
export const haveDetect = fs.existsSync(detect);

// Flags that work here as root, with nothing reached beyond this machine.
const flags = ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
  '--disable-component-update', '--disable-sync', '--autoplay-policy=no-user-gesture-required'];

export async function start(dir = pageDir) {
  const server = await serve(dir, 0);
  const browser = await chromium.launch({ executablePath: process.env.TUNEDECK_CHROMIUM ?? '/usr/bin/chromium', args: flags });
  const url = `http://127.0.0.1:${server.address().port}/`;
  return {
    url,
    browser,
    async open({ width = 1280, height = 900, colorScheme = 'light', init } = {}) {
      const page = await browser.newPage({ viewport: { width, height }, colorScheme, acceptDownloads: true });
      const errors = [];
      page.on('pageerror', (e) => errors.push(e.message));
      if (init) await page.addInitScript(init);
      await page.goto(url);
      await page.waitForSelector('body[data-ready=true]');
      page.errors = errors;
      return page;
    },
    async close() {
      await browser.close();
      server.close();
    },
  };
}

// tunedeck-detect's output for a file named as the page names it (run beside the file).
export function cli(file, args) {
  return execFileSync(detect, [...args, path.basename(file)], { cwd: path.dirname(file), encoding: 'utf8', stdio: ['ignore', 'pipe', 'ignore'] });
}

export async function saved(page, button) {
  const [download] = await Promise.all([page.waitForEvent('download'), page.click(button)]);
  return fs.readFileSync(await download.path(), 'utf8');
}

// Sets a control's value as a person would, with the event the page listens to.
export async function setControl(page, selector, value, event = 'change') {
  await page.$eval(selector, (el, [v, e]) => {
    if (el.type === 'checkbox') el.checked = v; else el.value = String(v);
    el.dispatchEvent(new Event(e, { bubbles: true }));
  }, [value, event]);
}

export const text = (page, selector) => page.textContent(selector);
