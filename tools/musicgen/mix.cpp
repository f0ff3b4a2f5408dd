// Renders the score to one stereo buffer (see mix.h). Tracks are rendered
// one after another into a reused buffer, so memory stays at a few
// song-length buffers however many tracks there are.
#include "mix.h"

#include <algorithm>
#include <cmath>

#include "dsp.h"
#include "fx.h"

namespace {

constexpr int kBlock = 32;  // samples between automation updates

struct Buses {
    StereoBuffer dry;
    std::vector<float> reverb, echo;
    std::vector<float> pump;     // 0..1, 1 right at a kick
    std::vector<float> clapDip;  // 0..1, 1 while a clap cracks
};

void resizeStereo(StereoBuffer& b, int n)
{
    b.left.assign(size_t(n), 0.0f);
    b.right.assign(size_t(n), 0.0f);
}

// Adds one side-chain shape to a bus (keeping the larger value): a linear
// rise over `attack` samples that reaches 1 at `at`, `hold` samples at 1,
// then a raised-cosine release.
void addDuckShape(std::vector<float>& bus, int at, int attack, int hold, int release)
{
    const int n = int(bus.size());
    for (int i = std::max(0, at - attack); i < std::min(n, at + hold + release); ++i) {
        int t = i - at;
        float v = t < 0 ? float(t + attack) / attack
            : t < hold  ? 1.0f
                        : float(0.5 + 0.5 * std::cos(kPi * double(t - hold) / release));
        bus[size_t(i)] = std::max(bus[size_t(i)], v);
    }
}

// The kick pump: the level is already down when the kick starts (a look-
// ahead of 3 ms) and swells back over most of the beat.
void buildPump(const Score& score, std::vector<float>& pump)
{
    for (const NoteEvent& ev : score.events)
        if (ev.inst == kKick)
            addDuckShape(pump, ev.start, 130, 0, int(0.30 * kSampleRate));
}

// The dip under a clap's crack: the other parts step aside while it sounds
// (masked by the clap itself), so the crack has the headroom.
void buildClapDip(const Score& score, std::vector<float>& dip)
{
    const int crack = int(kClapCrackDelay * kSampleRate);
    for (const NoteEvent& ev : score.events)
        if (ev.inst == kClap)
            addDuckShape(dip, ev.start + crack, 180, int(0.03 * kSampleRate), int(0.04 * kSampleRate));
}

void renderNotes(const Score& score, Instrument inst, StereoBuffer& track, StereoBuffer& scratch)
{
    const int n = int(track.left.size());
    for (const NoteEvent& ev : score.events) {
        if (ev.inst != inst || ev.start >= n)
            continue;
        int len = std::min(ev.length + voiceTail(ev), n - ev.start);
        if (int(scratch.left.size()) < len)
            resizeStereo(scratch, len);
        renderVoice(ev, scratch.left.data(), scratch.right.data(), len);
        for (int i = 0; i < len; ++i) {
            track.left[size_t(ev.start + i)] += scratch.left[size_t(i)];
            track.right[size_t(ev.start + i)] += scratch.right[size_t(i)];
        }
    }
}

enum FilterKind { kLowpass, kHighpass };

void sweepFilter(const Curve& curve, FilterKind kind, StereoBuffer& track)
{
    if (curve.empty())
        return;
    Svf fl{}, fr{};
    const int n = int(track.left.size());
    for (int i = 0; i < n; ++i) {
        if (i % kBlock == 0) {
            float hz = curveAtLog(curve, double(i) / kSamplesPerPattern);
            svfSet(fl, hz, 0.707f);
            svfSet(fr, hz, 0.707f);
        }
        SvfOut l = svfTick(fl, track.left[size_t(i)]), r = svfTick(fr, track.right[size_t(i)]);
        track.left[size_t(i)] = kind == kLowpass ? l.lp : l.hp;
        track.right[size_t(i)] = kind == kLowpass ? r.lp : r.hp;
    }
}

// Level, pump and pan, then into the dry bus and the sends.
void mixTrack(const TrackMix& m, const StereoBuffer& track, Buses& buses)
{
    const int n = int(track.left.size());
    const float panL = std::min(1.0f, 1.0f - m.pan), panR = std::min(1.0f, 1.0f + m.pan);
    float gainNow = dbToGain(curveAt(m.gainDb, 0.0));
    for (int block = 0; block < n; block += kBlock) {
        float gainNext = dbToGain(curveAt(m.gainDb, double(block + kBlock) / kSamplesPerPattern));
        int end = std::min(n, block + kBlock);
        for (int i = block; i < end; ++i) {
            float u = float(i - block) / kBlock;
            float g = (gainNow + (gainNext - gainNow) * u) * (1.0f - m.duck * buses.pump[size_t(i)]) *
                (1.0f - m.clapDuck * buses.clapDip[size_t(i)]);
            float l = track.left[size_t(i)] * g, r = track.right[size_t(i)] * g;
            buses.dry.left[size_t(i)] += l * panL;
            buses.dry.right[size_t(i)] += r * panR;
            float mono = 0.5f * (l + r);
            buses.reverb[size_t(i)] += mono * m.reverbSend;
            buses.echo[size_t(i)] += mono * m.delaySend;
        }
        gainNow = gainNext;
    }
}

void applySectionGain(const Curve& curve, StereoBuffer& mix)
{
    const int n = int(mix.left.size());
    for (int i = 0; i < n; ++i) {
        float g = dbToGain(curveAt(curve, double(i) / kSamplesPerPattern));
        mix.left[size_t(i)] *= g;
        mix.right[size_t(i)] *= g;
    }
}

void trackStats(const TrackMix& m, const StereoBuffer& track, Instrument inst, TrackStats& stats)
{
    double sum = 0.0, low = 0.0, high = 0.0;
    float peak = 0.0f;
    float g = dbToGain(curveAt(m.gainDb, 30.0));
    Svf lp{}, hp{}, hpLp{};
    svfSet(lp, 690.0f, 0.707f);
    svfSet(hp, 2700.0f, 0.707f);
    svfSet(hpLp, 5500.0f, 0.707f);
    const size_t from = size_t(22) * kSamplesPerPattern, to = size_t(32) * kSamplesPerPattern;
    for (size_t i = 0; i < track.left.size(); ++i) {
        float l = track.left[i] * g, r = track.right[i] * g;
        sum += 0.5 * (double(l) * l + double(r) * r);
        peak = std::max(peak, std::max(std::fabs(l), std::fabs(r)));
        float mono = 0.5f * (l + r);
        float lo = svfTick(lp, mono).lp, hi = svfTick(hpLp, svfTick(hp, mono).hp).lp;
        if (i >= from && i < to)
            low += double(lo) * lo, high += double(hi) * hi;
    }
    stats.rms[inst] = std::sqrt(sum / double(std::max<size_t>(1, track.left.size())));
    stats.peak[inst] = peak;
    stats.lowRms[inst] = std::sqrt(low / double(to - from));
    stats.highRms[inst] = std::sqrt(high / double(to - from));
}

}  // namespace

void renderMix(const Score& score, int lengthSamples, StereoBuffer& out, TrackStats* stats)
{
    Buses buses;
    resizeStereo(buses.dry, lengthSamples);
    buses.reverb.assign(size_t(lengthSamples), 0.0f);
    buses.echo.assign(size_t(lengthSamples), 0.0f);
    buses.pump.assign(size_t(lengthSamples), 0.0f);
    buildPump(score, buses.pump);
    buses.clapDip.assign(size_t(lengthSamples), 0.0f);
    buildClapDip(score, buses.clapDip);

    StereoBuffer track, scratch;
    for (int inst = 0; inst < kInstrumentCount; ++inst) {
        const TrackMix& m = score.mix[inst];
        resizeStereo(track, lengthSamples);
        renderNotes(score, Instrument(inst), track, scratch);
        sweepFilter(m.highpassHz, kHighpass, track);
        sweepFilter(m.lowpassHz, kLowpass, track);
        if (stats)
            trackStats(m, track, Instrument(inst), *stats);
        mixTrack(m, track, buses);
    }
    track = StereoBuffer{};
    scratch = StereoBuffer{};

    // A dotted-eighth echo: three 16th steps.
    addEcho(buses.echo, 3 * kSamplesPerStep, 0.42f, 0.6f, buses.dry.left, buses.dry.right);
    addReverb(buses.reverb, 1.0f, buses.dry.left, buses.dry.right);
    applySectionGain(score.sectionGainDb, buses.dry);
    out = std::move(buses.dry);
}
