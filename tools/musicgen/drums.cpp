// The drums: a swept-sine kick, noise claps and snare, and hats, ride and
// crash from noise mixed with six detuned square waves; plus the riser and
// the impact that frame the drops.
#include <cmath>

#include "voice_kit.h"

void renderKick(const NoteEvent& ev, float* l, float* r, int n) {
  Rng rng = rngSeeded(ev.seed);
  Osc body = oscAt(50.0f, 0.25);  // starts on the crest: the first half-cycle is the punch
  Svf clickHp{};
  svfSet(clickHp, 2500.0f, 0.7f);
  float pitchEnv = 1.0f, clickEnv = 1.0f, amp = 1.0f;
  const float pitchCoef = decayCoef(0.028f), clickCoef = decayCoef(0.003f), ampCoef = decayCoef(0.055f);
  const float drive = 3.0f, norm = 1.0f / std::tanh(drive);
  for (int i = 0; i < n; ++i) {
    oscSetHz(body, 55.0f + 150.0f * pitchEnv + 400.0f * clickEnv * clickEnv);
    float s = std::tanh(drive * sineTick(body) * amp) * norm;
    float click = svfTick(clickHp, rngNoise(rng)).hp * clickEnv * 0.3f;
    l[i] = (s + click) * ev.vel * attackRamp(i, 20) * tailFade(i, n, seconds(0.05f));
    pitchEnv *= pitchCoef;
    clickEnv *= clickCoef;
    amp *= ampCoef;
  }
  copyMono(l, r, n);
}

namespace {

// Hand claps are a few fast noise bursts followed by a short room tail.
float clapEnvelope(float t) {
  const float burstGap = 0.0085f;
  float env = 0.0f;
  for (int b = 0; b < 4; ++b) {
    float tb = t - b * burstGap;
    if (tb >= 0.0f) env = std::max(env, (b == 3 ? 1.0f : 0.8f) * std::exp(-tb / (b == 3 ? 0.085f : 0.004f)));
  }
  return env;
}

}  // namespace

void renderClap(const NoteEvent& ev, float* l, float* r, int n) {
  Rng rng = rngSeeded(ev.seed);
  Svf body{}, bright{}, clean{};
  svfSet(body, 1200.0f, 1.2f);
  svfSet(bright, 3700.0f, 0.8f);
  svfSet(clean, 700.0f, 0.7f);
  for (int i = 0; i < n; ++i) {
    float x = rngNoise(rng);
    float v = svfTick(body, x).bp * 0.6f + svfTick(bright, x).bp * 1.6f;
    // Saturating the loud start flattens the noise peaks: more body for
    // the same peak level.
    float shaped = std::tanh(2.5f * v * clapEnvelope(float(i) / kSampleRate)) * 0.4f;
    l[i] = svfTick(clean, shaped).hp * ev.vel * tailFade(i, n, seconds(0.03f));
  }
  copyMono(l, r, n);
}

void renderSnare(const NoteEvent& ev, float* l, float* r, int n) {
  Rng rng = rngSeeded(ev.seed);
  Osc body = oscAt(190.0f, 0.0);
  Svf hp{};
  svfSet(hp, 1800.0f, 0.7f);
  float bodyEnv = 1.0f, noiseEnv = 1.0f;
  const float bodyCoef = decayCoef(0.045f), noiseCoef = decayCoef(0.10f);
  for (int i = 0; i < n; ++i) {
    float v = sineTick(body) * bodyEnv * 0.5f + svfTick(hp, rngNoise(rng)).hp * noiseEnv * 0.8f;
    l[i] = v * ev.vel * attackRamp(i, 30) * tailFade(i, n, seconds(0.03f));
    bodyEnv *= bodyCoef;
    noiseEnv *= noiseCoef;
  }
  copyMono(l, r, n);
}

namespace {

// Six detuned square waves: the metallic core shared by hats, ride, crash.
struct Metal {
  Osc osc[6];
};

Metal metalAt(float scale) {
  static const float kRatios[6] = {205.3f, 304.4f, 369.6f, 522.7f, 540.0f, 800.0f};
  Metal m{};
  for (int i = 0; i < 6; ++i) m.osc[i] = oscAt(kRatios[i] * scale, 0.17 * i);
  return m;
}

float metalTick(Metal& m) {
  float v = 0.0f;
  for (Osc& o : m.osc) v += squareTick(o);
  return v * (1.0f / 6.0f);
}

}  // namespace

void renderHat(const NoteEvent& ev, float* l, float* r, int n, float decay) {
  Rng rng = rngSeeded(ev.seed);
  Metal metal = metalAt(1.0f);
  Svf hp{}, body{}, clean{};
  svfSet(hp, 9000.0f, 0.7f);
  svfSet(body, 4200.0f, 0.9f);
  svfSet(clean, 1500.0f, 0.7f);
  float env = 1.0f;
  const float coef = decayCoef(decay);
  for (int i = 0; i < n; ++i) {
    float x = rngNoise(rng) * 0.7f + metalTick(metal) * 0.6f;
    float v = svfTick(body, x).bp + svfTick(hp, x).hp * 0.2f;
    float shaped = std::tanh(2.0f * v * env) * 0.5f;
    l[i] = svfTick(clean, shaped).hp * ev.vel * attackRamp(i, 12) * tailFade(i, n, seconds(0.02f));
    env *= coef;
  }
  copyMono(l, r, n);
}

void renderRide(const NoteEvent& ev, float* l, float* r, int n) {
  Rng rng = rngSeeded(ev.seed);
  Metal metal = metalAt(2.4f);
  Svf hp{}, body{};
  svfSet(hp, 5500.0f, 0.9f);
  svfSet(body, 3600.0f, 2.0f);
  float env = 1.0f;
  const float coef = decayCoef(0.35f);
  for (int i = 0; i < n; ++i) {
    float x = metalTick(metal) * 0.8f + rngNoise(rng) * 0.3f;
    float v = svfTick(hp, x).hp + svfTick(body, x).bp * 0.5f;
    l[i] = v * env * ev.vel * attackRamp(i, 20) * tailFade(i, n, seconds(0.1f));
    env *= coef;
  }
  copyMono(l, r, n);
}

void renderCrash(const NoteEvent& ev, float* l, float* r, int n) {
  Rng rngL = rngSeeded(ev.seed), rngR = rngSeeded(ev.seed + 7919u);
  Metal metal = metalAt(3.1f);
  Svf hpL{}, hpR{};
  svfSet(hpL, 3000.0f, 0.7f);
  svfSet(hpR, 3000.0f, 0.7f);
  float env = 1.0f;
  const float coef = decayCoef(0.9f);
  for (int i = 0; i < n; ++i) {
    float m = metalTick(metal) * 0.35f;
    float g = env * ev.vel * attackRamp(i, 40) * tailFade(i, n, seconds(0.4f));
    l[i] = svfTick(hpL, rngNoise(rngL) + m).hp * g;
    r[i] = svfTick(hpR, rngNoise(rngR) + m).hp * g;
    env *= coef;
  }
}

// Noise through a band-pass that sweeps up while the level swells: the
// classic build-up before a drop. The note length is the whole sweep.
void renderRiser(const NoteEvent& ev, float* l, float* r, int n) {
  Rng rngL = rngSeeded(ev.seed), rngR = rngSeeded(ev.seed + 104729u);
  Svf bpL{}, bpR{};
  const float lo = 250.0f, hi = 9000.0f;
  int len = std::max(ev.length, 1);
  for (int i = 0; i < n; ++i) {
    float u = std::min(1.0f, float(i) / float(len));
    if (i % kFilterRefresh == 0) {
      float fc = lo * std::pow(hi / lo, u);
      svfSet(bpL, fc, 2.5f);
      svfSet(bpR, fc * 1.03f, 2.5f);
    }
    float g = u * u * ev.vel * attackRamp(i, 200) * tailFade(i, n, seconds(0.02f));
    l[i] = svfTick(bpL, rngNoise(rngL)).bp * g;
    r[i] = svfTick(bpR, rngNoise(rngR)).bp * g;
  }
}

// A deep falling boom that marks a drop.
void renderImpact(const NoteEvent& ev, float* l, float* r, int n) {
  Osc osc = oscAt(90.0f, 0.25);
  float pitchEnv = 1.0f, amp = 1.0f;
  const float pitchCoef = decayCoef(0.25f), ampCoef = decayCoef(0.45f);
  for (int i = 0; i < n; ++i) {
    oscSetHz(osc, 32.0f + 60.0f * pitchEnv);
    l[i] = std::tanh(1.5f * sineTick(osc) * amp) * ev.vel * attackRamp(i, 60) * tailFade(i, n, seconds(0.2f));
    pitchEnv *= pitchCoef;
    amp *= ampCoef;
  }
  copyMono(l, r, n);
}
