// The page's pure parts under node: the MP3 header's rate, the loop
// arithmetic of the song clock, the samples handed to the program, and the
// URL's options.
import { describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import { advanceFrame, copySongSamples, mp3SampleRate } from '../../web/audio.js';
import { httpFailure, readParams } from '../../web/page.js';
import { ROOT } from './support.mjs';

// A frame header: version bits (3: MPEG 1, 2: MPEG 2, 0: MPEG 2.5), layer III.
const header = (version, rateIndex, bitrate = 9) =>
  [0xff, 0xe0 | (version << 3) | (1 << 1) | 1, (bitrate << 4) | (rateIndex << 2), 0x64];

describe('the MP3 sample rate', () => {
  test('the test files at their known rates, an ID3 tag skipped', () => {
    const music = join(ROOT, 'tests', 'data', 'music');
    const rate = (name) => mp3SampleRate(readFileSync(join(music, name)));
    assert.equal(rate('sweep_stereo_44k.mp3'), 44100);
    assert.equal(rate('tone_mono_48k.mp3'), 48000);
    assert.equal(rate('tone_stereo_32k.mp3'), 32000);
    assert.equal(rate('sweep_vbr_id3.mp3'), 44100);
  });

  test('every version and rate index', () => {
    const cases = [[3, [44100, 48000, 32000]], [2, [22050, 24000, 16000]], [0, [11025, 12000, 8000]]];
    for (const [version, rates] of cases)
      rates.forEach((want, index) => assert.equal(mp3SampleRate(new Uint8Array(header(version, index))), want));
  });

  test('reserved fields are not a frame; the next real one is', () => {
    const bad = [header(1, 0), header(3, 3), header(3, 0, 15), header(3, 0, 0)].flat();
    assert.equal(mp3SampleRate(new Uint8Array(bad)), 0);
    assert.equal(mp3SampleRate(new Uint8Array([...bad, ...header(3, 2)])), 32000);
  });

  test('an ID3 tag is skipped whole, footer included, even when it holds a sync pattern', () => {
    const tag = (size, footer) => {
      const body = new Array(size + (footer ? 10 : 0)).fill(0);
      body.splice(0, 4, ...header(3, 1)); // a 48 kHz "frame" inside the tag
      return [0x49, 0x44, 0x33, 3, 0, footer ? 0x10 : 0, 0, 0, (size >> 7) & 0x7f, size & 0x7f, ...body];
    };
    assert.equal(mp3SampleRate(new Uint8Array([...tag(200, false), ...header(3, 2)])), 32000);
    assert.equal(mp3SampleRate(new Uint8Array([...tag(200, true), ...header(3, 0)])), 44100);
  });

  test('nothing within the first 64 KiB after the tag, or too short', () => {
    const far = new Uint8Array(65536 + 10);
    far.set(header(3, 0), 65537);
    assert.equal(mp3SampleRate(far), 0);
    far.set(header(3, 2), 65532);
    assert.equal(mp3SampleRate(far), 32000);
    assert.equal(mp3SampleRate(new Uint8Array([0xff, 0xfb, 0x90])), 0);
  });
});

describe('the clock round a loop', () => {
  const loop = { on: true, start: 1000, end: 2000 };
  test('the last frame before the end, then the start, without a gap', () => {
    assert.equal(advanceFrame(1500, 499, loop, 10000), 1999);
    assert.equal(advanceFrame(1500, 500, loop, 10000), 1000);
    assert.equal(advanceFrame(1500, 501, loop, 10000), 1001);
    assert.equal(advanceFrame(1500, 500 + 3 * 1000 + 7, loop, 10000), 1007);
  });
  test('from before the loop into it', () => {
    assert.equal(advanceFrame(0, 2000, loop, 10000), 1000);
  });
  test('started at or past the end plays on to the song end', () => {
    assert.equal(advanceFrame(2000, 100, loop, 10000), 2100);
    assert.equal(advanceFrame(9000, 5000, loop, 10000), 10000);
  });
  test('off, or an empty range, plays straight on', () => {
    assert.equal(advanceFrame(1500, 600, { ...loop, on: false }, 10000), 2100);
    assert.equal(advanceFrame(1500, 600, { on: true, start: 2000, end: 2000 }, 10000), 2100);
  });
});

test('samples to the program: interleaved, rounded, clamped to 16 bits', () => {
  const left = Float32Array.from([0, 0.5, 1.0, -1.0, 1.5, -1.5, 1 / 65536, -0.25]);
  const right = Float32Array.from([1, 2, 3, 4, 5, 6, 7, 8]).map((x) => x / 32768);
  const buffer = { numberOfChannels: 2, length: 8, getChannelData: (c) => (c ? right : left) };
  const out = new Int16Array(16);
  copySongSamples(buffer, out);
  assert.deepEqual([...out.filter((_, i) => i % 2 === 0)], [0, 16384, 32767, -32768, 32767, -32768, 1, -8192]);
  assert.deepEqual([...out.filter((_, i) => i % 2 === 1)], [1, 2, 3, 4, 5, 6, 7, 8]);
});

describe('the URL', () => {
  test('start, loop and still become the program options, in that order', () => {
    assert.deepEqual(readParams('?still=12.5&start=3&loop=12:14'),
      { still: true, args: ['--start', '3', '--loop', '12:14', '--still', '12.5'] });
    assert.deepEqual(readParams(''), { still: false, args: [] });
    assert.deepEqual(readParams('?other=1'), { still: false, args: [] });
  });
  test('a benchmark runs like a still, its frames only with its spans', () => {
    assert.deepEqual(readParams('?bench=0:6,6:10&frames=5'),
      { still: true, args: ['--bench', '0:6,6:10', '--bench-frames', '5'] });
    assert.deepEqual(readParams('?frames=5'), { still: false, args: [] });
  });
  test('an HTTP failure names the file and the status', () => {
    assert.equal(httpFailure('data/bg3.jpg', { status: 404, statusText: 'Not Found' }), 'data/bg3.jpg: HTTP 404 Not Found');
    assert.equal(httpFailure('data/bg3.jpg', { status: 500, statusText: '' }), 'data/bg3.jpg: HTTP 500');
  });
});
