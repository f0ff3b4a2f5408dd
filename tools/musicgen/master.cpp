// Mastering of the finished mix (see master.h). The loudness target is met
// by a few rounds of measure, gain and limit, because the limiter itself
// takes off a little loudness each time.
#include "master.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <deque>

#include "dsp.h"

namespace {

void removeDc(StereoBuffer& audio)
{
    Svf l{}, r{};
    svfSet(l, 18.0f, 0.707f);
    svfSet(r, 18.0f, 0.707f);
    for (size_t i = 0; i < audio.left.size(); ++i) {
        audio.left[i] = svfTick(l, audio.left[i]).hp;
        audio.right[i] = svfTick(r, audio.right[i]).hp;
    }
}

// A short raised-cosine fade in, the song's own closing fade, and a last
// short fade so even a shortened render ends at exactly zero.
void applyFades(StereoBuffer& audio, const MasterSettings& s)
{
    const int n = int(audio.left.size());
    const int edge = kSampleRate / 100;  // 10 ms
    for (int i = 0; i < n; ++i) {
        float g = 1.0f;
        if (i < edge)
            g *= float(0.5 - 0.5 * std::cos(kPi * i / edge));
        if (i >= s.fadeOutStart) {
            float u = std::min(1.0f, float(i - s.fadeOutStart) / float(std::max(1, s.fadeOutEnd - s.fadeOutStart)));
            g *= (1.0f - u) * (1.0f - u);
        }
        int left = n - 1 - i;
        if (left < edge * 2)
            g *= float(0.5 - 0.5 * std::cos(kPi * left / (edge * 2)));
        audio.left[size_t(i)] *= g;
        audio.right[size_t(i)] *= g;
    }
}

// Gain that keeps every sample under the ceiling: the required gain is
// taken as a running minimum over a look-ahead window, released slowly,
// then averaged over the same window, so the gain is already down when a
// peak arrives and moves without steps.
float limit(const StereoBuffer& in, float gain, float ceiling, StereoBuffer& out)
{
    const size_t n = in.left.size();
    const size_t window = 256;
    std::vector<float> need(n);
    for (size_t i = 0; i < n; ++i) {
        float a = gain * std::max(std::fabs(in.left[i]), std::fabs(in.right[i]));
        need[i] = a > ceiling ? ceiling / a : 1.0f;
    }
    // Running minimum over [i, i + window), computed back to front.
    std::vector<float> ahead(n);
    std::deque<size_t> mins;
    for (size_t k = n; k-- > 0;) {
        while (!mins.empty() && need[mins.back()] >= need[k])
            mins.pop_back();
        mins.push_back(k);
        if (mins.front() >= k + window)
            mins.pop_front();
        ahead[k] = need[mins.front()];
    }
    const float release = 1.0f - decayCoef(0.12f);
    float held = 1.0f;
    for (size_t k = 0; k < n; ++k) {
        held = std::min(ahead[k], held + (1.0f - held) * release);
        ahead[k] = held;
    }
    out.left.resize(n);
    out.right.resize(n);
    double sum = 0.0;
    float deepest = 1.0f;
    for (size_t i = 0; i < n; ++i) {
        sum += ahead[i];
        if (i >= window)
            sum -= ahead[i - window];
        float g = float(sum / double(std::min(i + 1, window)));
        deepest = std::min(deepest, g);
        out.left[i] = in.left[i] * gain * g;
        out.right[i] = in.right[i] * gain * g;
    }
    return gainToDb(deepest);
}

}  // namespace

bool measureLoudness(const StereoBuffer& audio, double& lufs, std::string& error)
{
    ebur128_state* st = ebur128_init(2, kSampleRate, EBUR128_MODE_I);
    if (!st) {
        error = "cannot start the loudness meter";
        return false;
    }
    const size_t chunk = 4096;
    std::vector<float> frames(chunk * 2);
    for (size_t at = 0; at < audio.left.size(); at += chunk) {
        size_t count = std::min(chunk, audio.left.size() - at);
        for (size_t i = 0; i < count; ++i) {
            frames[2 * i] = audio.left[at + i];
            frames[2 * i + 1] = audio.right[at + i];
        }
        ebur128_add_frames_float(st, frames.data(), count);
    }
    int rc = ebur128_loudness_global(st, &lufs);
    ebur128_destroy(&st);
    if (rc != EBUR128_SUCCESS || !std::isfinite(lufs)) {
        error = "the loudness meter found no audible signal";
        return false;
    }
    return true;
}

float peakDb(const StereoBuffer& audio)
{
    float peak = 0.0f;
    for (size_t i = 0; i < audio.left.size(); ++i)
        peak = std::max(peak, std::max(std::fabs(audio.left[i]), std::fabs(audio.right[i])));
    return gainToDb(peak);
}

void shapeMix(StereoBuffer& mix, const MasterSettings& settings)
{
    removeDc(mix);
    applyFades(mix, settings);
}

bool masterMix(const StereoBuffer& mix, const MasterSettings& s, StereoBuffer& out, MasterResult& result,
               std::string& error)
{
    double lufs = 0.0;
    if (!measureLoudness(mix, lufs, error))
        return false;
    const float ceiling = dbToGain(s.ceilingDb);
    float gainDb = float(s.targetLufs - lufs);
    for (int round = 0; round < 4; ++round) {
        result.maxReductionDb = limit(mix, dbToGain(gainDb), ceiling, out);
        if (!measureLoudness(out, lufs, error))
            return false;
        double miss = s.targetLufs - lufs;
        if (std::fabs(miss) < 0.05)
            break;
        gainDb += float(miss);
    }
    result.lufs = lufs;
    result.gainDb = gainDb;
    result.peakDb = peakDb(out);
    return true;
}
