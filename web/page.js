// The page around the show: the URL's options, the data loaded with a
// progress bar, the "Click to start" screen, the messages a person sees when
// something is wrong, and the functions the program calls (Module.zantWeb,
// see docs/architecture.md, "The web platform").
import {
  attachContext, copySongSamples, decodeSong, newSong, seekFrame, setLoop, setPaused, songEnded, songFrame,
} from './audio.js';

const SONG_PATH = 'data/tunemix.mp3';
const PROGRAM_JS = 'zant.js';
const PROGRAM_WASM = 'zant.wasm';

// ?start=P, ?loop=A:B and ?still=T become the program's own options, checked
// by its option parser as on the command line.
export function readParams(search) {
  const query = new URLSearchParams(search);
  const args = [];
  for (const name of ['start', 'loop', 'still']) {
    if (query.has(name)) args.push(`--${name}`, query.get(name));
  }
  // ?overlay starts the show with the status overlay on (the i key's).
  if (query.has('overlay')) args.push('--overlay');
  // ?bench=A:B,C:D&frames=N times frames across those spans (bench/web_frames.mjs);
  // like a still it has no sound and no click.
  if (query.has('bench')) {
    args.push('--bench', query.get('bench'));
    if (query.has('frames')) args.push('--bench-frames', query.get('frames'));
  }
  return { still: query.has('still') || query.has('bench'), args };
}

export function httpFailure(path, response) {
  return `${path}: HTTP ${response.status}${response.statusText ? ` ${response.statusText}` : ''}`;
}

// Fetches every entry ({path, size}) at once; onProgress(loaded, total) as
// bytes arrive. A Map of path to bytes, or throws with the page's message.
export async function loadFiles(entries, onProgress) {
  const total = entries.reduce((sum, e) => sum + e.size, 0);
  let loaded = 0;
  const files = new Map();
  await Promise.all(entries.map(async (entry) => {
    let response;
    try {
      response = await fetch(entry.path);
    } catch (err) {
      throw new Error(`${entry.path}: ${err.message}`);
    }
    if (!response.ok) throw new Error(httpFailure(entry.path, response));
    const chunks = [];
    let size = 0;
    const reader = response.body.getReader();
    for (;;) {
      const { done, value } = await reader.read();
      if (done) break;
      chunks.push(value);
      size += value.length;
      loaded += value.length;
      onProgress(loaded, total);
    }
    const bytes = new Uint8Array(size);
    let at = 0;
    for (const chunk of chunks) {
      bytes.set(chunk, at);
      at += chunk.length;
    }
    files.set(entry.path, bytes);
  }));
  return files;
}

function element(id) {
  return document.getElementById(id);
}

function setState(state) {
  document.body.dataset.state = state;
}

export function showMessage(text) {
  const box = element('message');
  box.textContent = text;
  box.hidden = false;
  element('loading').hidden = true;
  element('start').hidden = true;
  setState('error');
}

function showProgress(loaded, total) {
  const mb = (n) => (n / 1e6).toFixed(1);
  element('progress').max = total;
  element('progress').value = loaded;
  element('loaded').textContent = mb(loaded);
  element('total').textContent = mb(total);
}

function hasWebGl2() {
  const probe = document.createElement('canvas');
  return !!probe.getContext('webgl2');
}

async function fetchManifest() {
  let response;
  try {
    response = await fetch('files.json');
  } catch (err) {
    throw new Error(`files.json: ${err.message}`);
  }
  if (!response.ok) throw new Error(httpFailure('files.json', response));
  return response.json();
}

// Resolves with true for fullscreen, false for the page, on the first click.
function waitForStart() {
  element('loading').hidden = true;
  element('start').hidden = false;
  setState('ready');
  return new Promise((resolve) => {
    element('start-fullscreen').addEventListener('click', () => resolve(true), { once: true });
    element('start-page').addEventListener('click', () => resolve(false), { once: true });
  });
}

function offerDownload(bytes, name) {
  const url = URL.createObjectURL(new Blob([bytes]));
  const link = document.createElement('a');
  link.href = url;
  link.download = name;
  link.click();
  setTimeout(() => URL.revokeObjectURL(url), 10000);
}

// The show has ended (the song's end, or Escape): the sound stops, the
// page leaves fullscreen, and a click starts it again from the top.
function finish(page) {
  if (page.song) setPaused(page.song, true);
  if (page.song && page.song.context) page.song.context.close();
  if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
  setState('ended');
  element('start').hidden = false;
  for (const id of ['start-fullscreen', 'start-page'])
    element(id).addEventListener('click', () => location.reload(), { once: true });
}

// What the program calls (EM_JS in platform/web): the song clock and its
// controls in frames of the song's own rate, messages and downloads.
function makeBridge(page) {
  return {
    songFrame: () => songFrame(page.song),
    songLengthFrames: () => page.song.lengthFrames,
    songRate: () => page.song.rate,
    songChannels: () => page.song.buffer.numberOfChannels,
    songEnded: () => songEnded(page.song),
    setPaused: (paused) => setPaused(page.song, !!paused),
    seekFrame: (frame) => seekFrame(page.song, frame),
    setLoop: (on, start, end) => setLoop(page.song, !!on, start, end),
    stillMode: () => page.still,
    stillDone: () => { document.title = 'done'; },
    showMessage: (text) => showMessage(text),
    finished: () => finish(page),
    offerDownload: (path) => offerDownload(page.module.FS.readFile(path), path.split('/').pop()),
  };
}

// The emscripten module (built with MODULARIZE and EXPORT_ES6), from the
// bytes already loaded: no second download, and the progress bar covers it.
async function instantiateProgram(page, files) {
  const source = new TextDecoder().decode(files.get(PROGRAM_JS));
  const url = URL.createObjectURL(new Blob([source], { type: 'text/javascript' }));
  const factory = (await import(url)).default;
  URL.revokeObjectURL(url);
  return factory({
    canvas: element('canvas'),
    wasmBinary: files.get(PROGRAM_WASM),
    locateFile: (path) => path, // imported from a blob: nothing to resolve against
    noInitialRun: true,
    zantWeb: page.bridge,
    print: (line) => console.log(line),
    printErr: (line) => console.warn(line),
    onAbort: (what) => showMessage(`the program stopped: ${what}`),
  });
}

// The data into the program's file system at /data, the song's samples into
// its memory (the spectrum is computed there from them).
function handOver(page, files, manifest) {
  const fs = page.module.FS;
  fs.mkdir('/data');
  for (const entry of manifest.data) fs.writeFile(`/${entry.path}`, files.get(entry.path));
  const buffer = page.song.buffer;
  const count = buffer.length * buffer.numberOfChannels;
  const at = page.module._zantWebSongBuffer(buffer.length, buffer.numberOfChannels, buffer.sampleRate);
  if (!at) throw new Error(`${SONG_PATH}: no memory for ${count} samples`);
  copySongSamples(buffer, page.module.HEAP16.subarray(at >> 1, (at >> 1) + count));
}

async function run(page) {
  if (page.still) document.body.classList.add('still');
  if (!hasWebGl2()) throw new Error('this browser has no WebGL 2');
  const manifest = await fetchManifest();
  const entries = [...manifest.program, ...manifest.data];
  const files = await loadFiles(entries, showProgress);
  try {
    page.song = newSong(await decodeSong(files.get(SONG_PATH)));
  } catch (err) {
    throw new Error(`${SONG_PATH}: ${err.message}`);
  }
  const hasProgram = manifest.program.length > 0;
  if (hasProgram) {
    page.module = await instantiateProgram(page, files);
    handOver(page, files, manifest);
  } else if (page.still) {
    throw new Error(`${PROGRAM_JS} is not part of this site yet`);
  }
  if (!page.still) {
    const fullscreen = await waitForStart();
    if (fullscreen) await document.documentElement.requestFullscreen().catch(() => {});
    attachContext(page.song, new AudioContext({ sampleRate: page.song.rate }));
  }
  element('start').hidden = true;
  element('loading').hidden = true;
  setState(page.still ? 'still' : 'playing');
  element('canvas').focus();
  if (hasProgram) page.module.callMain(['--data', '/data', ...page.args]);
  else setPaused(page.song, false); // sound only until the program is built into the site
}

async function main() {
  const { still, args } = readParams(location.search);
  const page = { still, args, song: null, module: null, bridge: null };
  page.bridge = makeBridge(page);
  window.zantPage = page;
  try {
    await run(page);
  } catch (err) {
    showMessage(err.message);
  }
}

if (typeof document !== 'undefined') main();
