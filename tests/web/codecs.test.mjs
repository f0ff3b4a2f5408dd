// The JPEG decoder and the spectrum analyser compiled to wasm (over the
// libraries built from Debian's sources) against the same code built
// natively: byte-identical pictures, the same reasons for bad files, and
// the same spectrum within float rounding.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { existsSync, mkdtempSync, readdirSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { ROOT, SITE, WEB_BUILD, requireSite } from './support.mjs';

const WASM_CHECK = join(WEB_BUILD, 'code', 'codec_check.js');

function nativeCheck(dir) {
  const exe = join(dir, 'codec_check');
  const flags = execFileSync('pkg-config', ['--cflags', '--libs', 'kissfft-float'], { encoding: 'utf8' }).trim().split(/\s+/);
  execFileSync('g++', ['-std=c++20', '-O2', `-I${ROOT}`, join(ROOT, 'tests/web/codec_check.cpp'),
    join(ROOT, 'music/analyser.cpp'), join(ROOT, 'texture/jpegdecode.cpp'), ...flags, '-ljpeg', '-o', exe]);
  return (...args) => execFileSync(exe, args, { encoding: 'utf8' });
}

function wasmCheck(...args) {
  // Debian's emscripten output must not see node's own fetch.
  return execFileSync('node', ['--no-experimental-fetch', WASM_CHECK, ...args], { encoding: 'utf8' });
}

let work, native;
test('the checks are built', () => {
  requireSite();
  assert.ok(existsSync(WASM_CHECK), `${WASM_CHECK} missing: run scripts/web.sh`);
  work = mkdtempSync(join(tmpdir(), 'zant-codecs-'));
  native = nativeCheck(work);
});

test('JPEG: every picture byte-identical, damaged files refused or patched alike', () => {
  const data = join(SITE, 'data');
  const pictures = readdirSync(data).filter((n) => n.endsWith('.jpg')).map((n) => join(data, n));
  assert.equal(pictures.length, 10);
  const whole = readFileSync(pictures[0]);
  const cut = join(work, 'cut.jpg');          // data ends mid-scan: a warning, still a picture
  writeFileSync(cut, whole.subarray(0, whole.length >> 1));
  const headerCut = join(work, 'header.jpg'); // ends inside the header: refused
  writeFileSync(headerCut, whole.subarray(0, 40));
  const empty = join(work, 'empty.jpg');
  writeFileSync(empty, Buffer.alloc(0));
  const args = ['jpeg', ...pictures, cut, headerCut, empty, join(data, 'tunemix.mp3')];
  const fromWasm = wasmCheck(...args);
  assert.equal(fromWasm, native(...args));
  assert.match(fromWasm, /cut\.jpg \d+x\d+ [0-9a-f]{16} warnings=[1-9]/);
  assert.match(fromWasm, /header\.jpg failed: .+/);
  assert.match(fromWasm, /tunemix\.mp3 failed: Not a JPEG file/);
});

test('spectrum: the 512 bins of each signal within 1e-6 of native', () => {
  const parse = (text) => text.trim().split('\n').map((line) => line.split(' ').slice(2).map(Number));
  const fromWasm = parse(wasmCheck('spectrum'));
  const fromNative = parse(native('spectrum'));
  assert.equal(fromWasm.length, 5);
  fromNative.forEach((bins, signal) => {
    assert.equal(fromWasm[signal].length, 512);
    bins.forEach((value, k) => {
      assert.ok(Math.abs(fromWasm[signal][k] - value) <= 1e-6, `signal ${signal} bin ${k}: ${fromWasm[signal][k]} vs ${value}`);
    });
  });
  // The tone on bin 32 reads about 1, the square wave clamps at 1, silence is 0.
  assert.ok(fromWasm[0][32] > 0.95 && fromWasm[0][32] <= 1);
  assert.equal(Math.max(...fromWasm[2]), 1);
  assert.equal(Math.max(...fromWasm[4]), 0);
  rmSync(work, { recursive: true, force: true });
});
