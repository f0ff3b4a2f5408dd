// Shared by the web tests: where the built site is, a copy of it to damage,
// the loopback server and Debian's chromium driven by puppeteer-core.
import { cpSync, mkdtempSync, rmSync, existsSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import { serveSite } from '../../web/server.mjs';

export const ROOT = resolve(dirname(fileURLToPath(import.meta.url)), '../..');
export const WEB_BUILD = process.env.ZANT_WEB_BUILD || join(ROOT, 'build-web');
export const SITE = join(WEB_BUILD, 'site');
export const CHROMIUM = process.env.ZANT_CHROMIUM || '/usr/bin/chromium';

// puppeteer-core lives with the page's lockfile in web/.
const require = createRequire(join(ROOT, 'web', 'package.json'));
const puppeteer = require('puppeteer-core');

export function requireSite() {
  if (!existsSync(join(SITE, 'files.json')))
    throw new Error(`no site in ${SITE}: build it first with scripts/web.sh`);
}

// A copy of the site in a temporary folder, changed by `change(dir)`.
export function copySite(change) {
  requireSite();
  const dir = mkdtempSync(join(tmpdir(), 'zant-site-'));
  cpSync(SITE, dir, { recursive: true });
  if (change) change(dir);
  return { dir, remove: () => rmSync(dir, { recursive: true, force: true }) };
}

export async function launchBrowser() {
  return puppeteer.launch({
    executablePath: CHROMIUM,
    headless: true,
    args: [
      '--use-angle=swiftshader',
      '--enable-unsafe-swiftshader',
      '--autoplay-policy=no-user-gesture-required',
      '--no-sandbox', // CI runs as root
      '--no-first-run',
      '--no-default-browser-check',
    ],
  });
}

// Serves `dir` and opens `query` on it; collects the page's uncaught errors.
export async function openPage(browser, dir, query = '', before) {
  const { server, url } = await serveSite(dir, 0);
  const page = await browser.newPage();
  const uncaught = [];
  page.on('pageerror', (err) => uncaught.push(String(err)));
  if (before) await before(page);
  await page.goto(`${url}${query}`);
  return { page, uncaught, close: async () => { await page.close(); server.close(); } };
}

// Waits (generously) for the page's body to reach one of `states`.
export async function waitForState(page, states, timeout = 120000) {
  await page.waitForFunction((wanted) => wanted.includes(document.body.dataset.state), { timeout, polling: 100 },
    states);
  return page.evaluate(() => document.body.dataset.state);
}

export async function messageText(page) {
  return page.$eval('#message', (box) => (box.hidden ? '' : box.textContent));
}
