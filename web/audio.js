// The soundtrack in the browser: the MP3's own sample rate from its first
// frame header, one decode with decodeAudioData at that rate, playback by a
// buffer source, and the song clock (in sample frames of the file) read from
// the audio context's output timestamp. Plain functions over a song record.

const MPEG_RATES = [44100, 48000, 32000];

// Bytes of an ID3v2 tag at the start (header, syncsafe size, footer), or 0.
function id3Length(bytes) {
  if (bytes.length < 10 || bytes[0] !== 0x49 || bytes[1] !== 0x44 || bytes[2] !== 0x33) return 0;
  const size = ((bytes[6] & 0x7f) << 21) | ((bytes[7] & 0x7f) << 14) | ((bytes[8] & 0x7f) << 7) | (bytes[9] & 0x7f);
  return 10 + size + (bytes[5] & 0x10 ? 10 : 0);
}

// The sample rate of the first MPEG audio frame header (after an ID3v2 tag),
// or 0 when the first 64 KiB hold none.
export function mp3SampleRate(bytes) {
  const first = id3Length(bytes);
  const last = Math.min(bytes.length - 4, first + 65536);
  for (let i = first; i <= last; i++) {
    if (bytes[i] !== 0xff || (bytes[i + 1] & 0xe0) !== 0xe0) continue;
    const version = (bytes[i + 1] >> 3) & 3; // 0: MPEG 2.5, 2: MPEG 2, 3: MPEG 1
    const layer = (bytes[i + 1] >> 1) & 3;
    const bitrate = bytes[i + 2] >> 4;
    const rateIndex = (bytes[i + 2] >> 2) & 3;
    if (version === 1 || layer === 0 || bitrate === 0 || bitrate === 15 || rateIndex === 3) continue;
    return MPEG_RATES[rateIndex] >> (version === 3 ? 0 : version === 2 ? 1 : 2);
  }
  return 0;
}

// Decodes the file's bytes at its own rate (no resampling): an AudioBuffer,
// or throws an Error whose message says why.
export async function decodeSong(bytes) {
  const rate = mp3SampleRate(bytes);
  if (!rate) throw new Error('no MPEG audio frame found');
  const context = new OfflineAudioContext(2, 1, rate);
  let buffer;
  try {
    buffer = await context.decodeAudioData(bytes.slice().buffer);
  } catch (err) {
    throw new Error(`the browser cannot decode it (${err && err.message ? err.message : err})`);
  }
  if (!buffer || buffer.length === 0) throw new Error('it holds no audio');
  return buffer;
}

export function newSong(buffer) {
  return {
    buffer,
    rate: buffer.sampleRate,
    lengthFrames: buffer.length,
    context: null,
    source: null,
    paused: true,
    anchorFrame: 0,  // the song frame heard at anchorTime
    anchorTime: 0,   // context time at which anchorFrame is heard
    lastHeard: 0,
    loop: { on: false, start: 0, end: 0 },
  };
}

// The context time the listener hears now: the output timestamp carried
// forward on the page's clock, so it moves smoothly between audio periods.
export function heardContextTime(context, now = performance.now()) {
  const stamp = context.getOutputTimestamp ? context.getOutputTimestamp() : null;
  if (stamp && stamp.contextTime > 0 && stamp.performanceTime > 0)
    return stamp.contextTime + Math.max(0, now - stamp.performanceTime) / 1000;
  return Math.max(0, context.currentTime - (context.outputLatency || context.baseLatency || 0));
}

// Where `frame` frames of playing from `anchor` on lands: round the loop when
// the loop is on and playing started before its end; otherwise on to the end.
export function advanceFrame(anchor, frames, loop, lengthFrames) {
  const position = anchor + frames;
  if (loop.on && loop.end > loop.start && anchor < loop.end && position >= loop.end)
    return loop.start + ((position - loop.end) % (loop.end - loop.start));
  return Math.min(position, lengthFrames);
}

// The song frame the listener hears now (fractional between samples).
export function songFrame(song) {
  if (song.paused || !song.source) return song.anchorFrame;
  // Monotonic while this source plays: timestamps may wobble backwards.
  const heard = Math.max(song.lastHeard, heardContextTime(song.context));
  song.lastHeard = heard;
  const played = Math.max(0, heard - song.anchorTime) * song.rate;
  return advanceFrame(song.anchorFrame, played, song.loop, song.lengthFrames);
}

export function songEnded(song) {
  return !song.loop.on && songFrame(song) >= song.lengthFrames;
}

function stopSource(song) {
  if (!song.source) return;
  song.source.onended = null;
  song.source.stop();
  song.source.disconnect();
  song.source = null;
}

// Starts the buffer from song.anchorFrame now; the loop points are the
// source's own, so the wrap is exact to the sample.
function startSource(song) {
  const context = song.context;
  const source = context.createBufferSource();
  source.buffer = song.buffer;
  const loop = song.loop;
  source.loop = loop.on && loop.end > loop.start && song.anchorFrame < loop.end;
  if (source.loop) {
    source.loopStart = loop.start / song.rate;
    source.loopEnd = loop.end / song.rate;
  }
  source.connect(context.destination);
  const when = context.currentTime;
  source.start(when, song.anchorFrame / song.rate);
  song.source = source;
  song.anchorTime = when;
  song.lastHeard = 0;
}

// Playback on an AudioContext made at the song's rate (made in a click
// handler: browsers allow sound only after a gesture).
export function attachContext(song, context) {
  song.context = context;
}

export function setPaused(song, paused) {
  if (paused === song.paused) return;
  if (paused) {
    song.anchorFrame = songFrame(song);
    stopSource(song);
    song.paused = true;
  } else {
    song.paused = false;
    if (song.context) startSource(song);
  }
}

export function seekFrame(song, frame) {
  const wasPlaying = !song.paused && song.source;
  if (wasPlaying) stopSource(song);
  song.anchorFrame = Math.min(Math.max(0, Math.round(frame)), song.lengthFrames);
  if (wasPlaying) startSource(song);
}

// The range [start, end) in frames; off keeps the range. Playing restarts
// from the frame heard now with the new loop points.
export function setLoop(song, on, start, end) {
  const here = songFrame(song);
  song.loop = { on, start: Math.max(0, Math.round(start)), end: Math.min(Math.round(end), song.lengthFrames) };
  seekFrame(song, here);
}

// Hands the decoded samples to the program as interleaved signed 16-bit
// frames, as the native decoder gives them (the spectrum is computed there).
export function copySongSamples(buffer, target) {
  const channels = buffer.numberOfChannels;
  const frames = buffer.length;
  for (let c = 0; c < channels; c++) {
    const data = buffer.getChannelData(c);
    for (let i = 0, j = c; i < frames; i++, j += channels) {
      const s = Math.round(data[i] * 32768);
      target[j] = s > 32767 ? 32767 : s < -32768 ? -32768 : s;
    }
  }
}
