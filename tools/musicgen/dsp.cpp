// Signal-processing kit of the soundtrack generator (see dsp.h).
#include "dsp.h"

#include <algorithm>
#include <cmath>

Rng rngSeeded(uint32_t seed)
{
    Rng rng{seed * 2654435761u + 0x9e3779b9u};
    if (rng.state == 0)
        rng.state = 0x12345678u;
    for (int i = 0; i < 4; ++i)
        rngNext(rng);
    return rng;
}

uint32_t rngNext(Rng& rng)
{
    uint32_t x = rng.state;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    rng.state = x;
    return x;
}

float rngUniform(Rng& rng)
{
    return float(rngNext(rng) >> 8) * (1.0f / 16777216.0f);
}

float rngNoise(Rng& rng)
{
    return rngUniform(rng) * 2.0f - 1.0f;
}

float midiToHz(float note)
{
    return 440.0f * std::pow(2.0f, (note - 69.0f) / 12.0f);
}

float dbToGain(float db)
{
    return std::pow(10.0f, db / 20.0f);
}

float gainToDb(float gain)
{
    return gain > 1e-9f ? 20.0f * std::log10(gain) : -180.0f;
}

Osc oscAt(float hz, double phase)
{
    return Osc{phase - std::floor(phase), double(hz) / kSampleRate};
}

void oscSetHz(Osc& osc, float hz)
{
    osc.inc = double(hz) / kSampleRate;
}

float sineTick(Osc& osc)
{
    float v = float(std::sin(2.0 * kPi * osc.phase));
    oscAdvance(osc);
    return v;
}

void svfSet(Svf& filter, float cutoffHz, float q)
{
    float fc = std::clamp(cutoffHz, 10.0f, 0.45f * kSampleRate);
    float g = float(std::tan(kPi * fc / kSampleRate));
    filter.k = 1.0f / std::max(q, 0.3f);
    filter.a1 = 1.0f / (1.0f + g * (g + filter.k));
    filter.a2 = g * filter.a1;
    filter.a3 = g * filter.a2;
}

void onePoleSet(OnePole& filter, float cutoffHz)
{
    filter.coef = 1.0f - float(std::exp(-2.0 * kPi * cutoffHz / kSampleRate));
}

float decayCoef(float seconds)
{
    return float(std::exp(-1.0 / (double(seconds) * kSampleRate)));
}
