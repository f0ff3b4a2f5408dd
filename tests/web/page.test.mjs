// The page in headless chromium (SwiftShader): WebGL 2 itself, loading with
// its progress bar, the start screen, the messages for missing or damaged
// data, and the song clock under Web Audio. Nothing here times the browser.
import { after, before, describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync, rmSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { copySite, launchBrowser, messageText, openPage, requireSite, SITE, waitForState } from './support.mjs';

let browser;
before(async () => {
  requireSite();
  browser = await launchBrowser();
});
after(async () => {
  if (browser) await browser.close();
});

// Runs `check(page)` on a copy of the site changed by `change`.
async function onSite(change, query, check, beforeLoad) {
  const site = copySite(change);
  const opened = await openPage(browser, site.dir, query, beforeLoad);
  try {
    await check(opened.page);
    assert.deepEqual(opened.uncaught, [], 'nothing uncaught in the console');
  } finally {
    await opened.close();
    site.remove();
  }
}

describe('WebGL 2 in headless chromium', () => {
  test('a clear reads back the colour it was given', async () => {
    const page = await browser.newPage();
    try {
      const pixel = await page.evaluate(() => {
        const canvas = document.createElement('canvas');
        canvas.width = 4;
        canvas.height = 4;
        const gl = canvas.getContext('webgl2');
        if (!gl) return null;
        gl.clearColor(0.25, 0.5, 0.75, 1.0);
        gl.clear(gl.COLOR_BUFFER_BIT);
        const out = new Uint8Array(4);
        gl.readPixels(1, 1, 1, 1, gl.RGBA, gl.UNSIGNED_BYTE, out);
        return [...out];
      });
      assert.notEqual(pixel, null, 'chromium gives a WebGL 2 context');
      [64, 128, 191, 255].forEach((want, i) => assert.ok(Math.abs(pixel[i] - want) <= 1, `channel ${i}: ${pixel}`));
    } finally {
      await page.close();
    }
  });

  test('a browser without it gets the message, not a blank page', async () => {
    const noWebGl2 = (page) => page.evaluateOnNewDocument(() => {
      const original = HTMLCanvasElement.prototype.getContext;
      HTMLCanvasElement.prototype.getContext = function (kind, ...rest) {
        return kind === 'webgl2' ? null : original.call(this, kind, ...rest);
      };
    });
    await onSite(null, '', async (page) => {
      assert.equal(await waitForState(page, ['error', 'ready']), 'error');
      assert.equal(await messageText(page), 'this browser has no WebGL 2');
    }, noWebGl2);
  });
});

describe('loading', () => {
  test('the progress bar ends at the size of every listed file, then the start screen', async () => {
    const manifest = JSON.parse(readFileSync(join(SITE, 'files.json'), 'utf8'));
    const total = [...manifest.program, ...manifest.data].reduce((sum, e) => sum + e.size, 0);
    await onSite(null, '', async (page) => {
      assert.equal(await waitForState(page, ['ready', 'error']), 'ready', await messageText(page));
      const bar = await page.$eval('#progress', (p) => ({ value: p.value, max: p.max }));
      assert.equal(bar.max, total);
      assert.equal(bar.value, total);
      assert.match(await page.$eval('#start', (s) => s.textContent), /Click to start/);
      assert.equal(await page.$eval('#start', (s) => s.hidden), false);
    });
  });

  test('a missing picture names the file and the HTTP status', async () => {
    await onSite((dir) => rmSync(join(dir, 'data', 'bg3.jpg')), '', async (page) => {
      assert.equal(await waitForState(page, ['error', 'ready']), 'error');
      assert.equal(await messageText(page), 'data/bg3.jpg: HTTP 404 Not Found');
    });
  });

  test('a missing file list names it and the HTTP status', async () => {
    await onSite((dir) => rmSync(join(dir, 'files.json')), '', async (page) => {
      assert.equal(await waitForState(page, ['error', 'ready']), 'error');
      assert.equal(await messageText(page), 'files.json: HTTP 404 Not Found');
    });
  });
});

describe('a damaged soundtrack', () => {
  // Same size as the real one, so the file list still matches.
  const corrupt = (fill) => (dir) => {
    const path = join(dir, 'data', 'tunemix.mp3');
    const bytes = readFileSync(path);
    fill(bytes);
    writeFileSync(path, bytes);
  };

  test('no MPEG frame at all', async () => {
    const noise = corrupt((bytes) => {
      let state = 1;
      for (let i = 0; i < bytes.length; i++) {
        state = (state * 1103515245 + 12345) >>> 0;
        bytes[i] = (state >>> 16) & 0x7f; // never 0xff: no frame sync anywhere
      }
    });
    await onSite(noise, '', async (page) => {
      assert.equal(await waitForState(page, ['error', 'ready']), 'error');
      assert.equal(await messageText(page), 'data/tunemix.mp3: no MPEG audio frame found');
    });
  });

  test('a frame header followed by nothing the browser can decode', async () => {
    const headerOnly = corrupt((bytes) => {
      bytes.fill(0);
      bytes.set([0xff, 0xfb, 0x90, 0x64]); // MPEG 1 layer III, 128 kbit/s, 44.1 kHz
    });
    await onSite(headerOnly, '', async (page) => {
      assert.equal(await waitForState(page, ['error', 'ready']), 'error');
      const text = await messageText(page);
      assert.ok(text.startsWith('data/tunemix.mp3: '), text);
      assert.match(text, /cannot decode it|holds no audio/);
    });
  });
});

describe('the start screen', () => {
  test('fullscreen keeps the picture 4:3, centred on black, in a wide window', async () => {
    await onSite(null, '', async (page) => {
      await page.setViewport({ width: 1000, height: 500 });
      assert.equal(await waitForState(page, ['ready', 'error']), 'ready', await messageText(page));
      await page.click('#start-fullscreen');
      assert.equal(await waitForState(page, ['playing', 'error']), 'playing', await messageText(page));
      const box = await page.$eval('#canvas', (c) => {
        const r = c.getBoundingClientRect();
        return { left: r.left, top: r.top, width: r.width, height: r.height, back: getComputedStyle(document.body).backgroundColor };
      });
      assert.ok(Math.abs(box.width / box.height - 4 / 3) < 0.01, `${box.width}x${box.height}`);
      assert.equal(box.height, 500);
      assert.ok(Math.abs(box.left - (1000 - box.width) / 2) <= 1, `left ${box.left}`);
      assert.equal(box.back, 'rgb(0, 0, 0)');
    });
  });
});

describe('the song under Web Audio', () => {
  // The clock in frames, read through the functions the program calls.
  const frame = (page) => page.evaluate(() => window.zantPage.bridge.songFrame());
  async function waitForFrame(page, test, what, ...args) {
    await page.waitForFunction(test, { timeout: 60000, polling: 50 }, ...args).catch(async () => {
      throw new Error(`${what}: the clock stayed at ${await frame(page)}`);
    });
  }

  test('plays after the click; pause holds the clock; seek and loop land on their frames', async () => {
    await onSite(null, '', async (page) => {
      assert.equal(await waitForState(page, ['ready', 'error']), 'ready', await messageText(page));
      const started = Date.now();
      await page.click('#start-page');
      assert.equal(await waitForState(page, ['playing', 'error']), 'playing', await messageText(page));
      const rate = await page.evaluate(() => window.zantPage.bridge.songRate());
      assert.equal(rate, 44100);
      await waitForFrame(page, () => window.zantPage.bridge.songFrame() > 4410, 'playing');
      // The clock follows the audio context: never ahead of the time since the click.
      const early = await frame(page);
      assert.ok(early / rate <= (Date.now() - started) / 1000 + 0.5, `at ${early / rate} s`);

      await page.evaluate(() => window.zantPage.bridge.setPaused(true));
      const held = await frame(page);
      await new Promise((done) => setTimeout(done, 1000));
      assert.equal(await frame(page), held, 'paused, the clock holds');
      await page.evaluate(() => window.zantPage.bridge.setPaused(false));
      await waitForFrame(page, (from) => window.zantPage.bridge.songFrame() > from, 'resumed', held);

      const target = 10 * rate;
      await page.evaluate((f) => window.zantPage.bridge.seekFrame(f), target);
      const after = await frame(page);
      assert.ok(after >= target && after < target + 5 * rate, `after a seek to ${target}: ${after}`);

      // A half-second loop: every reading inside it, and the clock comes round.
      const start = 20 * rate, end = start + rate / 2;
      await page.evaluate((a, b) => window.zantPage.bridge.setLoop(true, a, b), start, end);
      await page.evaluate((f) => window.zantPage.bridge.seekFrame(f), start);
      const seen = await page.evaluate(async (a, b) => {
        const readings = [];
        const until = performance.now() + 60000;
        let wrapped = false, last = -1;
        while (!wrapped && performance.now() < until) {
          const f = window.zantPage.bridge.songFrame();
          readings.push(f);
          wrapped = last > f;
          last = f;
          await new Promise((done) => setTimeout(done, 20));
        }
        return { wrapped, low: Math.min(...readings), high: Math.max(...readings) };
      }, start, end);
      assert.ok(seen.wrapped, 'the loop came round');
      assert.ok(seen.low >= start && seen.high < end, `inside the loop: ${seen.low}..${seen.high}`);

      // The end: the sound stops and the start screen comes back.
      await page.evaluate(() => window.zantPage.bridge.finished());
      assert.equal(await waitForState(page, ['ended']), 'ended');
      assert.equal(await page.evaluate(() => window.zantPage.song.context.state), 'closed');
      assert.equal(await page.$eval('#start', (s) => s.hidden), false);
    });
  });
});
