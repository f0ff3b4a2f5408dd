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
float sawTick(Osc& osc);
float squareTick(Osc& osc);
float sineTick(Osc& osc);

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
SvfOut svfTick(Svf& filter, float in);

// One-pole low-pass for smoothing and gentle tone control.
struct OnePole {
  float state;
  float coef;
};
void onePoleSet(OnePole& filter, float cutoffHz);
float onePoleTick(OnePole& filter, float in);

// Per-sample multiplier that makes an exponential decay with this time
// constant (seconds).
float decayCoef(float seconds);
