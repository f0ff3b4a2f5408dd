// Frame cost per timeline row in headless Chromium (WebGL 2 on SwiftShader)
// next to the native program on the same machine's llvmpipe, in one run:
// the native figures from bench_frames --gles (the same OpenGL ES layer the
// page draws through), the page's from ?bench, then the page's start-up
// time to its first frame with the site served from loopback.
// Usage: node bench/web_frames.mjs [frames-per-row]   (after scripts/web.sh)
// ZANT_NATIVE_BENCH names bench_frames (default build/bench/bench_frames).
import { execFileSync } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import { launchBrowser, openPage, requireSite, ROOT, SITE, WEB_BUILD } from '../tests/web/support.mjs';

const perRow = Number(process.argv[2] || 20);
const NATIVE = process.env.ZANT_NATIVE_BENCH || join(ROOT, 'build', 'bench', 'bench_frames');

// The rows as the native benchmark walks them (bench/timeline_rows.h).
function timelineRows() {
  const text = readFileSync(join(ROOT, 'bench', 'timeline_rows.h'), 'utf8');
  return [...text.matchAll(/\{"([^"]+)",\s*([\d.]+),\s*([\d.]+)\}/g)].map((m) => ({ name: m[1], from: m[2], to: m[3] }));
}

function nativeFigures() {
  const out = execFileSync(NATIVE, [String(perRow), '--gles', '--data', join(WEB_BUILD, 'data')], { encoding: 'utf8' });
  const figures = new Map();
  for (const line of out.split('\n')) {
    const cells = line.split('|').map((c) => c.trim());
    if (cells.length > 4 && !Number.isNaN(Number(cells[2]))) figures.set(cells[1], [Number(cells[2]), Number(cells[3])]);
  }
  return { figures, renderer: out.split('\n')[0] };
}

async function pageFigures(browser, rows) {
  const spans = rows.map((r) => `${r.from}:${r.to}`).join(',');
  const figures = [];
  let firstFrame = null;
  const started = Date.now();
  const opened = await openPage(browser, SITE, `?bench=${spans}&frames=${perRow}`, (page) => {
    page.on('console', (message) => {
      const m = /bench (\S+) (\S+) (\S+) (\S+)/.exec(message.text());
      if (m) {
        if (firstFrame === null) firstFrame = (Date.now() - started) / 1000;
        figures.push([Number(m[3]), Number(m[4])]);
      }
    });
  });
  await opened.page.waitForFunction(() => document.title === 'done', { timeout: 1800000, polling: 500 });
  const renderer = await opened.page.evaluate(() => {
    const gl = document.createElement('canvas').getContext('webgl2');
    const info = gl && gl.getExtension('WEBGL_debug_renderer_info');
    return info ? gl.getParameter(info.UNMASKED_RENDERER_WEBGL) : 'unknown';
  });
  await opened.close();
  return { figures, renderer };
}

// The page from its address to the first picture the show draws itself
// (the start-up's first black frame), data from loopback.
async function pageStartup(browser) {
  const started = Date.now();
  const opened = await openPage(browser, SITE, '?still=0.01');
  await opened.page.waitForFunction(() => document.title === 'done', { timeout: 600000, polling: 50 });
  const seconds = (Date.now() - started) / 1000;
  await opened.close();
  return seconds;
}

requireSite();
const rows = timelineRows();
const native = nativeFigures();
const browser = await launchBrowser();
const web = await pageFigures(browser, rows);
const startup = await pageStartup(browser);
await browser.close();
console.log(`native: ${native.renderer}\npage: ${web.renderer}\nframes per row: ${perRow}\n`);
console.log('| row                              | native med/p95 ms | page med/p95 ms | page/native |');
console.log('|----------------------------------|-------------------|-----------------|-------------|');
rows.forEach((row, k) => {
  const n = native.figures.get(row.name) || [NaN, NaN];
  const w = web.figures[k] || [NaN, NaN];
  console.log(`| ${row.name.padEnd(32)} | ${n[0].toFixed(2).padStart(8)} ${n[1].toFixed(2).padStart(8)} | ` +
    `${w[0].toFixed(2).padStart(7)} ${w[1].toFixed(2).padStart(7)} | ${(w[0] / n[0]).toFixed(2).padStart(10)}x |`);
});
console.log(`\npage start-up, address to a drawn still (no click, no sound): ${startup.toFixed(1)} s`);
