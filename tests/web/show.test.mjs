// The real program in headless chromium: ?still=T against the native
// program's --still T of the same tree, and the show playing with its keys.
// Pictures are compared in a page (both read through a 2D canvas); the
// figures are printed. Nothing here times the browser.
import { after, before, describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { existsSync, mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { launchBrowser, messageText, openPage, requireSite, ROOT, SITE, WEB_BUILD, waitForState } from './support.mjs';

const NATIVE = process.env.ZANT_NATIVE || join(ROOT, 'build', 'zant');
const DATA = join(WEB_BUILD, 'data');
// Song times (patterns) with different scenes and effects in them, one with
// the status overlay (its GL version and stencil figures are the browser's,
// a few characters apart).
const STILL_TIMES = ['2.5', '10', '21.25', '33'];
const WITH_OVERLAY = '21.25';
// SwiftShader rasterises thin polygons and picks mipmap levels a little
// differently from llvmpipe: the silhouette's tens of thousands of faint
// fins leave many edge pixels 3 or 4 levels apart. The figures within 2 are
// printed; the check is 99 % within 4, which a wrong frame, texture, effect
// or blend (a frame's alpha let into the smear) does not pass.
const REPORTED = 2;        // per channel
const WITHIN = 4;          // per channel
const SHARE_WANTED = 0.99; // of the pixels

let browser;
let scratch;
before(async () => {
  requireSite();
  browser = await launchBrowser();
  scratch = mkdtempSync(join(tmpdir(), 'zant-stills-'));
});
after(async () => {
  if (browser) await browser.close();
  if (scratch) rmSync(scratch, { recursive: true, force: true });
});

function nativeStill(t, overlay = false) {
  const out = join(scratch, `native-${t}${overlay ? '-overlay' : ''}.png`);
  const args = ['--data', DATA, '--still', t, '--out', out];
  execFileSync(NATIVE, overlay ? [...args, '--overlay'] : args, { stdio: 'pipe' });
  return readFileSync(out).toString('base64');
}

// The canvas as a person sees it (composited on the page), and the native
// PNG, both decoded in the page through a 2D canvas and compared.
async function compareWithCanvas(page, pngBase64, within, reported = REPORTED) {
  const shown = await (await page.$('#canvas')).screenshot({ encoding: 'base64' });
  return page.evaluate(async (png, seen, limit, report) => {
    const read = async (base64) => {
      const image = new Image();
      image.src = `data:image/png;base64,${base64}`;
      await image.decode();
      const c = document.createElement('canvas');
      c.width = 640;
      c.height = 480;
      const g = c.getContext('2d');
      g.drawImage(image, 0, 0);
      return g.getImageData(0, 0, 640, 480).data;
    };
    const want = await read(png);
    const got = await read(seen);
    let close = 0, closer = 0, worst = 0;
    for (let i = 0; i < want.length; i += 4) {
      let d = 0;
      for (let k = 0; k < 3; k++) d = Math.max(d, Math.abs(want[i + k] - got[i + k]));
      worst = Math.max(worst, d);
      if (d <= limit) close++;
      if (d <= report) closer++;
    }
    const pixels = want.length / 4;
    return { share: close / pixels, reportedShare: closer / pixels, worst };
  }, pngBase64, shown, within, reported);
}

const canvasPicture = (page) => page.evaluate(() => document.getElementById('canvas').toDataURL());
const songFrame = (page) => page.evaluate(() => window.zantPage.bridge.songFrame());

describe('?still=T against the native --still T', { skip: !existsSync(NATIVE) && `no native program at ${NATIVE}` }, () => {
  for (const t of STILL_TIMES) {
    const overlay = t === WITH_OVERLAY;
    test(`song time ${t}${overlay ? ' with the overlay' : ''}: ${SHARE_WANTED * 100} % of pixels within ${WITHIN}`, async () => {
      const want = nativeStill(t, overlay);
      const opened = await openPage(browser, SITE, `?still=${t}${overlay ? '&overlay' : ''}`);
      try {
        await opened.page.waitForFunction(() => document.title === 'done' || document.body.dataset.state === 'error',
          { timeout: 120000, polling: 100 });
        assert.equal(await opened.page.evaluate(() => document.title), 'done');
        const { share, reportedShare, worst } = await compareWithCanvas(opened.page, want, WITHIN);
        console.log(`still ${t}${overlay ? ' with the overlay' : ''}: ${(reportedShare * 100).toFixed(3)} % of pixels within ${REPORTED}, ` +
          `${(share * 100).toFixed(3)} % within ${WITHIN}, worst ${worst}`);
        assert.ok(share >= SHARE_WANTED, `only ${(share * 100).toFixed(3)} % within ${WITHIN}`);
        assert.deepEqual(opened.uncaught, []);
      } finally {
        await opened.close();
      }
    });
  }

  test('?bench reports each span it timed, and says so when its spans do not read', async () => {
    const lines = [];
    const timed = await openPage(browser, SITE, '?bench=12:14,14:16&frames=2',
      (page) => page.on('console', (m) => { if (/bench /.test(m.text())) lines.push(m.text()); }));
    try {
      await timed.page.waitForFunction(() => document.title === 'done', { timeout: 120000, polling: 100 });
      assert.equal(lines.length, 2, lines.join('\n'));
      assert.match(lines[0], /bench 12 14 [\d.]+ [\d.]+/);
      assert.match(lines[1], /bench 14 16 [\d.]+ [\d.]+/);
    } finally {
      await timed.close();
    }
    const bad = await openPage(browser, SITE, '?bench=16:14');
    try {
      assert.equal(await waitForState(bad.page, ['error']), 'error');
      assert.match(await messageText(bad.page), /\?bench=16:14 is not a list of pattern spans/);
      assert.deepEqual(bad.uncaught, []);
    } finally {
      await bad.close();
    }
  });

  test('a picture that is not the native one fails the comparison', async () => {
    const other = nativeStill(STILL_TIMES[0]);
    const opened = await openPage(browser, SITE, `?still=${STILL_TIMES[2]}`);
    try {
      await opened.page.waitForFunction(() => document.title === 'done', { timeout: 120000, polling: 100 });
      const { share } = await compareWithCanvas(opened.page, other, WITHIN);
      assert.ok(share < SHARE_WANTED, `different times compare as ${share}`);
    } finally {
      await opened.close();
    }
  });
});

describe('the show playing', () => {
  test('the clock advances; p holds the picture and resumes; i shows the overlay', async () => {
    const opened = await openPage(browser, SITE, '');
    const { page } = opened;
    const sleep = (ms) => new Promise((r) => setTimeout(r, ms));
    try {
      await waitForState(page, ['ready']);
      await page.click('#start-page');
      await waitForState(page, ['playing']);
      // The start-up's pauses, then the music: wait for the clock to move.
      await page.waitForFunction(() => window.zantPage.bridge.songFrame() > 0, { timeout: 120000, polling: 100 });
      const first = await songFrame(page);
      await page.waitForFunction((f) => window.zantPage.bridge.songFrame() > f + 4410, { timeout: 60000, polling: 100 },
        first);

      await page.keyboard.press('p');
      await page.waitForFunction(() => window.zantPage.song.paused, { timeout: 30000, polling: 100 });
      await sleep(500);
      const held = await canvasPicture(page);
      const heldFrame = await songFrame(page);
      await sleep(1000);
      assert.equal(await songFrame(page), heldFrame, 'the clock stands while paused');
      assert.ok(await canvasPicture(page) === held, 'two reads a second apart are the same picture');

      await page.keyboard.press('i');
      await sleep(500);
      assert.ok(await canvasPicture(page) !== held, 'the overlay changes the picture');
      await page.keyboard.press('i');
      await sleep(500);
      assert.ok(await canvasPicture(page) === held, 'without the overlay the held picture is back');

      // A step ('.', a sixtieth of a second) moves the page's clock, paused,
      // by the program's 735 samples at 44.1 kHz in the song's own frames.
      const rate = await page.evaluate(() => window.zantPage.song.rate);
      await page.keyboard.press('.');
      await page.waitForFunction((f) => window.zantPage.bridge.songFrame() !== f, { timeout: 30000, polling: 100 },
        heldFrame);
      const stepped = (await songFrame(page)) - heldFrame;
      assert.ok(Math.abs(stepped - (735 * rate) / 44100) <= 1, `a step moved the page's clock ${stepped} frames`);
      assert.ok(await page.evaluate(() => window.zantPage.song.paused), 'still paused after the step');

      await page.keyboard.press('p');
      await page.waitForFunction((f) => window.zantPage.bridge.songFrame() > f, { timeout: 30000, polling: 100 },
        heldFrame + stepped);
      assert.deepEqual(opened.uncaught, []);
    } finally {
      await opened.close();
    }
  });
});
