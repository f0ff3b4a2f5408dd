// The page with a program in it: a stand-in built with the real program's
// link options (tests/web/bridge_probe.cpp) checks the boundary both ways:
// the data in its file system, the song's samples in its memory, the URL's
// options as its arguments, the clock and the still's "done".
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { copyFileSync, existsSync, writeFileSync } from 'node:fs';
import { execFileSync } from 'node:child_process';
import { join } from 'node:path';
import { copySite, launchBrowser, messageText, openPage, ROOT, WEB_BUILD, waitForState } from './support.mjs';

const PROBE = join(WEB_BUILD, 'code', 'bridge_probe');
let browser, site;

before(async () => {
  assert.ok(existsSync(`${PROBE}.js`), `${PROBE}.js missing: run scripts/web.sh`);
  site = copySite((dir) => {
    copyFileSync(`${PROBE}.js`, join(dir, 'zant.js'));
    copyFileSync(`${PROBE}.wasm`, join(dir, 'zant.wasm'));
    writeFileSync(join(dir, 'files.json'), execFileSync('node', [join(ROOT, 'web', 'manifest.mjs'), dir]));
  });
  browser = await launchBrowser();
});
after(async () => {
  if (browser) await browser.close();
  if (site) site.remove();
});

async function withProbe(query, check) {
  const lines = [];
  const opened = await openPage(browser, site.dir, query, (page) => {
    page.on('console', (message) => lines.push(message.text()));
  });
  try {
    await check(opened.page, lines);
    assert.deepEqual(opened.uncaught, []);
  } finally {
    await opened.close();
  }
}

const probeLine = (lines, prefix) => lines.find((line) => line.startsWith(prefix)) || '';

test('?still=T: no click, the canvas alone at 640x480 top-left, its arguments, then "done"', async () => {
  await withProbe('?still=3', async (page, lines) => {
    await page.waitForFunction(() => document.title === 'done' || document.body.dataset.state === 'error',
      { timeout: 120000 });
    assert.equal(await messageText(page), '');
    assert.equal(await page.title(), 'done');
    const args = lines.filter((l) => l.startsWith('probe: arg ')).map((l) => l.slice(11));
    assert.deepEqual(args, ['--data', '/data', '--still', '3']);
    const box = await page.$eval('#canvas', (c) => {
      const r = c.getBoundingClientRect();
      return [r.left, r.top, r.width, r.height, c.width, c.height];
    });
    assert.deepEqual(box, [0, 0, 640, 480, 640, 480]);
    const visible = await page.evaluate(() => [...document.body.children]
      .filter((e) => e.tagName !== 'SCRIPT' && getComputedStyle(e).display !== 'none' && !e.hidden)
      .map((e) => e.id));
    assert.deepEqual(visible, ['canvas']);
    // Red and green: the program found loud samples and the picture's bytes.
    const pixel = await page.$eval('#canvas', (c) => {
      const copy = document.createElement('canvas');
      copy.width = 1;
      copy.height = 1;
      copy.getContext('2d').drawImage(c, 320, 240, 1, 1, 0, 0, 1, 1);
      return [...copy.getContext('2d').getImageData(0, 0, 1, 1).data];
    });
    assert.deepEqual(pixel.slice(0, 2), [255, 255]);
    assert.ok(Math.abs(pixel[2] - 128) <= 1, `blue ${pixel[2]}`);
    const manifest = JSON.parse(execFileSync('node', [join(ROOT, 'web', 'manifest.mjs'), site.dir]));
    const font = manifest.data.find((e) => e.path === 'data/overlay-font.ttf');
    assert.match(probeLine(lines, 'probe: bg1.jpg'),
      new RegExp(`bg1.jpg ${manifest.data.find((e) => e.path === 'data/bg1.jpg').size} bytes, overlay-font.ttf ${font ? font.size : -1} bytes`));
  });
});

test('playing: the click starts it with ?start and ?loop as options, the song handed over whole', async () => {
  await withProbe('?start=4&loop=2:3', async (page, lines) => {
    assert.equal(await waitForState(page, ['ready', 'error']), 'ready', await messageText(page));
    await page.click('#start-page');
    await page.waitForFunction(() => document.body.dataset.state === 'playing', { timeout: 60000 });
    const until = Date.now() + 60000;
    while (!probeLine(lines, 'probe: samples') && Date.now() < until) await new Promise((d) => setTimeout(d, 50));
    const args = lines.filter((l) => l.startsWith('probe: arg ')).map((l) => l.slice(11));
    assert.deepEqual(args, ['--data', '/data', '--start', '4', '--loop', '2:3']);
    const song = await page.evaluate(() => ({
      samples: window.zantPage.song.lengthFrames * window.zantPage.song.buffer.numberOfChannels,
      rate: window.zantPage.song.rate,
    }));
    const [, samples, peak, rate] = probeLine(lines, 'probe: samples').match(/samples (\d+) peak (\d+) rate (\d+)/);
    assert.equal(Number(samples), song.samples);
    assert.equal(Number(rate), song.rate);
    assert.ok(Number(peak) > 16384 && Number(peak) <= 32768);
    assert.notEqual(await page.title(), 'done');
  });
});
