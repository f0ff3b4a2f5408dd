// Signal-processing kit of the soundtrack generator: a fixed-seed random
// source, band-limited oscillators, state-variable filters and small helpers.
#pragma once

#include <cstdint>

constexpr int kSampleRate = 44100;
constexpr double kPi = 3.14159265358979323846;

// xorshift32: the whole song draws from seeds fixed in the score, so the
// same generator always writes the same samples.
struct Rng {
    uint32_t state;
};
Rng rngSeeded(uint32_t seed);
uint32_t rngNext(Rng& rng);
float rngUniform(Rng& rng);  // [0, 1)
float rngNoise(Rng& rng);    // [-1, 1)

float midiToHz(float note);
float dbToGain(float db);
float gainToDb(float gain);

// Phase runs over [0, 1); inc is frequency / sample rate.
struct Osc {
    double phase;
    double inc;
};
Osc oscAt(float hz, double phase);
void oscSetHz(Osc& osc, float hz);
float sineTick(Osc& osc);  // exact sine, for the few voices that need one

// Zero-delay-feedback state-variable filter; coefficients are cheap to keep
// but not free to compute, so modulated users refresh them every few samples.
struct Svf {
    float ic1, ic2;
    float a1, a2, a3, k;
};
struct SvfOut {
    float lp, bp, hp;
};
void svfSet(Svf& filter, float cutoffHz, float q);

// One-pole low-pass for smoothing and gentle tone control.
struct OnePole {
    float state;
    float coef;
};
void onePoleSet(OnePole& filter, float cutoffHz);

// Per-sample multiplier that makes an exponential decay with this time
// constant (seconds).
float decayCoef(float seconds);

// The per-sample primitives are inline: they run hundreds of millions of
// times per song.

// Removes the aliasing step of a hard edge over the two samples around it.
inline float polyBlep(double t, double dt)
{
    if (t < dt) {
        t /= dt;
        return float(t + t - t * t - 1.0);
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return float(t * t + t + t + 1.0);
    }
    return 0.0f;
}

inline void oscAdvance(Osc& osc)
{
    osc.phase += osc.inc;
    if (osc.phase >= 1.0)
        osc.phase -= 1.0;
}

inline float sawTick(Osc& osc)
{
    float v = float(2.0 * osc.phase - 1.0) - polyBlep(osc.phase, osc.inc);
    oscAdvance(osc);
    return v;
}

inline float squareTick(Osc& osc)
{
    float v = osc.phase < 0.5 ? 1.0f : -1.0f;
    v += polyBlep(osc.phase, osc.inc);
    double shifted = osc.phase + 0.5;
    if (shifted >= 1.0)
        shifted -= 1.0;
    v -= polyBlep(shifted, osc.inc);
    oscAdvance(osc);
    return v;
}

inline SvfOut svfTick(Svf& f, float in)
{
    float v3 = in - f.ic2;
    float v1 = f.a1 * f.ic1 + f.a2 * v3;
    float v2 = f.ic2 + f.a2 * f.ic1 + f.a3 * v3;
    f.ic1 = 2.0f * v1 - f.ic1;
    f.ic2 = 2.0f * v2 - f.ic2;
    return SvfOut{v2, v1, in - f.k * v1 - v2};
}

inline float onePoleTick(OnePole& filter, float in)
{
    filter.state += filter.coef * (in - filter.state);
    return filter.state;
}
