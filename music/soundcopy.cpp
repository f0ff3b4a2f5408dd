// The spectrum of what is heard: from the ring of what a playing device was
// given, or else from the decoded copy, a bounded stretch of the song
// decoded once in order beside the playing stream.
#include <algorithm>
#include <cmath>

#include "music/soundlayer_testing.h"
#include "music/soundstate.h"

void soundSetSpectrumActive(bool active)
{
    soundLayer.analyserOn = active;
}

static void heardWindow(SoundStream* s, int64_t end, float* mono)
{
    std::lock_guard<std::mutex> guard(s->lock);
    int64_t oldest = std::max(s->ringFrom, s->ringTo - RING_FRAMES);
    for (int i = 0; i < SPECTRUM_WINDOW; i++) {
        int64_t f = end - SPECTRUM_WINDOW + i;
        mono[i] = (f >= oldest && f < s->ringTo) ? s->ring[f & (RING_FRAMES - 1)] : 0.0f;
    }
}

static bool makeCopy(SoundStream* s, int64_t first)
{
    s->copy = new DecodedCopy;
    if (!openConversion(s, s->copy->conversion)) {
        closeConversion(s->copy->conversion);
        delete s->copy;
        s->copy = nullptr;
        return false;
    }
    seekDecoder(s, s->copy->conversion, first);
    s->copy->from = first;
    return true;
}

// Without a device nothing was written, so the window comes from the
// decoded copy. The copy runs forward from where the last jump put it: a
// frame there holds exactly what a full decode gives (see seekDecoder), so
// the window does not depend on what was asked for before.
static bool fillCopy(SoundStream* s, int64_t first, int64_t end)
{
    if (!s->copy && !makeCopy(s, first))
        return false;
    DecodedCopy& d = *s->copy;
    int64_t to = d.from + (int64_t)d.mono.size();
    if (first < d.from || first > to + COPY_JUMP_FRAMES) {
        seekDecoder(s, d.conversion, first);
        d.from = to = first;
        d.mono.clear();
    }
    // A render moves forward: what lies before this window is not needed
    // again. A short step past the held end drops all of it; the decoder
    // carries on from that end.
    if ((int64_t)d.mono.size() > COPY_MAX_FRAMES) {
        const int64_t drop = std::min(first - d.from, (int64_t)d.mono.size());
        d.mono.erase(d.mono.begin(), d.mono.begin() + drop);
        d.from += drop;
    }
    int16_t stereo[COPY_STEP * 2];
    while (to < end) {
        renderFrames(s, d.conversion, stereo, COPY_STEP);
        for (int k = 0; k < COPY_STEP; k++)
            d.mono.push_back((stereo[2 * k] + stereo[2 * k + 1]) / 65536.0f);
        to += COPY_STEP;
    }
    return true;
}

static void decodedWindow(SoundStream* s, int64_t end, float* mono)
{
    std::fill(mono, mono + SPECTRUM_WINDOW, 0.0f);
    if (end <= 0)
        return;
    int64_t first = std::max<int64_t>(0, end - SPECTRUM_WINDOW);
    if (!fillCopy(s, first, end))
        return;
    const float* from = s->copy->mono.data() + (first - s->copy->from);
    std::copy(from, from + (end - first), mono + SPECTRUM_WINDOW - (end - first));
}

int64_t soundSpectrumCopyFrames()
{
    SoundStream* s = soundLayer.playing;
    return s && s->copy ? (int64_t)s->copy->mono.size() : 0;
}

// A playing device has what the listener heard in its ring; otherwise (no
// device, or paused, where steps move the clock over sound never played) the
// window is decoded afresh, so a paused frame has the levels a still has.
const float* soundGetSpectrum()
{
    SoundStream* s = soundLayer.playing;
    if (!soundLayer.analyserOn || !s)
        return nullptr;
    ClockReading r = readClock(s);
    float mono[SPECTRUM_WINDOW];
    if (soundLayer.output == SOUND_OUTPUT_DEVICE && r.running) {
        heardWindow(s, (int64_t)std::floor(r.count - offsetFrames()), mono);
        s->spectrumFrame = -1;
    } else {
        int64_t end = (int64_t)std::floor(r.clock);
        if (end == s->spectrumFrame && r.generation == s->spectrumGeneration)
            return soundLayer.spectrum;
        holdPlayers();
        decodedWindow(s, end, mono);
        releasePlayers();
        s->spectrumFrame = end;
        s->spectrumGeneration = r.generation;
    }
    computeSpectrum(mono, soundLayer.spectrum);
    return soundLayer.spectrum;
}
