// The instruments of the soundtrack (see voices.h). Drums are noise and
// swept sines; the tonal voices are detuned band-limited saws through
// state-variable filters with exponential envelopes.
#include "voices.h"

#include <algorithm>
#include <cmath>

#include "dsp.h"

namespace {

constexpr int kFilterRefresh = 16;  // samples between coefficient updates

int seconds(float s) { return int(s * kSampleRate); }

// Linear ramp to silence over the last `fade` samples, so no voice ends on
// a step.
float tailFade(int i, int n, int fade) {
  int left = n - i;
  return left >= fade ? 1.0f : float(left) / float(fade);
}

float attackRamp(int i, int len) { return i >= len ? 1.0f : float(i) / float(len); }

void copyMono(const float* left, float* right, int n) { std::copy(left, left + n, right); }

void renderKick(const NoteEvent& ev, float* l, float* r, int n) {
  Rng rng = rngSeeded(ev.seed);
  Osc body = oscAt(50.0f, 0.25);  // starts on the crest: the first half-cycle is the punch
  Svf clickHp{};
  svfSet(clickHp, 2500.0f, 0.7f);
  float pitchEnv = 1.0f, clickEnv = 1.0f, amp = 1.0f;
  const float pitchCoef = decayCoef(0.028f), clickCoef = decayCoef(0.003f), ampCoef = decayCoef(0.055f);
  const float drive = 3.0f, norm = 1.0f / std::tanh(drive);
  for (int i = 0; i < n; ++i) {
    oscSetHz(body, 47.0f + 150.0f * pitchEnv + 400.0f * clickEnv * clickEnv);
    float s = std::tanh(drive * sineTick(body) * amp) * norm;
    float click = svfTick(clickHp, rngNoise(rng)).hp * clickEnv * 0.3f;
    l[i] = (s + click) * ev.vel * attackRamp(i, 20) * tailFade(i, n, seconds(0.05f));
    pitchEnv *= pitchCoef;
    clickEnv *= clickCoef;
    amp *= ampCoef;
  }
  copyMono(l, r, n);
}

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

// Amplitude gate shared by the sustained voices: attack, hold for the note
// length, then an exponential release over the tail.
float gateEnvelope(int i, int noteLen, int attack, float& releaseEnv, float releaseCoef) {
  if (i < noteLen) return attackRamp(i, attack);
  releaseEnv *= releaseCoef;
  return releaseEnv;
}

// Offbeat and rolling bass: saw plus a sine on the fundamental, plucked
// through a low-pass. param is the resting cutoff.
void renderBass(const NoteEvent& ev, float* l, float* r, int n) {
  float hz = midiToHz(ev.pitch);
  Osc saw = oscAt(hz, 0.0), sub = oscAt(hz, 0.0);
  Svf lp{};
  float filterEnv = 1.0f, release = 1.0f;
  const float filterCoef = decayCoef(0.06f), releaseCoef = decayCoef(0.012f);
  for (int i = 0; i < n; ++i) {
    if (i % kFilterRefresh == 0) svfSet(lp, ev.param * (1.0f + 5.0f * filterEnv * ev.vel), 1.3f);
    float v = svfTick(lp, sawTick(saw)).lp * 0.75f + sineTick(sub) * 0.55f;
    l[i] = v * ev.vel * gateEnvelope(i, ev.length, 60, release, releaseCoef) * tailFade(i, n, 60);
    filterEnv *= filterCoef;
  }
  copyMono(l, r, n);
}

// Squelchy resonant line; loud notes (vel > 0.9) are accents with a wider
// filter sweep.
void renderAcid(const NoteEvent& ev, float* l, float* r, int n) {
  float hz = midiToHz(ev.pitch);
  Osc saw = oscAt(hz, 0.0);
  Svf lp{};
  bool accent = ev.vel > 0.9f;
  float filterEnv = 1.0f, release = 1.0f;
  const float filterCoef = decayCoef(accent ? 0.09f : 0.05f), releaseCoef = decayCoef(0.01f);
  const float sweep = accent ? 7.0f : 3.0f, q = accent ? 9.0f : 6.0f;
  for (int i = 0; i < n; ++i) {
    if (i % kFilterRefresh == 0) svfSet(lp, ev.param * (1.0f + sweep * filterEnv), q);
    float v = std::tanh(1.6f * svfTick(lp, sawTick(saw)).lp);
    l[i] = v * 0.6f * ev.vel * gateEnvelope(i, ev.length, 40, release, releaseCoef) * tailFade(i, n, 60);
    filterEnv *= filterCoef;
  }
  copyMono(l, r, n);
}

// Long detuned-saw bass with a slowly beating low-pass: weight without
// brightness.
void renderReese(const NoteEvent& ev, float* l, float* r, int n) {
  float hz = midiToHz(ev.pitch);
  Osc a = oscAt(hz * 0.993f, 0.0), b = oscAt(hz * 1.007f, 0.4), sub = oscAt(hz, 0.0);
  Svf lpL{}, lpR{};
  float release = 1.0f;
  const float releaseCoef = decayCoef(0.04f);
  for (int i = 0; i < n; ++i) {
    if (i % kFilterRefresh == 0) {
      float wobble = 0.5f + 0.5f * float(std::sin(2.0 * kPi * 1.5 * i / kSampleRate));
      svfSet(lpL, ev.param * (0.7f + 0.8f * wobble), 1.6f);
      svfSet(lpR, ev.param * (1.5f - 0.8f * wobble), 1.6f);
    }
    float sa = sawTick(a), sb = sawTick(b), s = sineTick(sub) * 0.6f;
    float g = ev.vel * gateEnvelope(i, ev.length, 200, release, releaseCoef) * tailFade(i, n, 100);
    l[i] = (svfTick(lpL, sa + 0.6f * sb).lp * 0.5f + s) * g;
    r[i] = (svfTick(lpR, 0.6f * sa + sb).lp * 0.5f + s) * g;
  }
}

// A stack of detuned saws per side: pads, stabs and the lead differ only in
// voice count, detune, envelope and filter.
struct SawStack {
  Osc osc[7];
  float pan[7];
  int count;
};

SawStack sawStack(float hz, const float* detuneCents, int count, uint32_t seed) {
  Rng rng = rngSeeded(seed);
  SawStack st{};
  st.count = count;
  for (int i = 0; i < count; ++i) {
    st.osc[i] = oscAt(hz * std::pow(2.0f, detuneCents[i] / 1200.0f), rngUniform(rng));
    st.pan[i] = count == 1 ? 0.5f : float(i) / float(count - 1);
  }
  return st;
}

// Adds one sample of the stack, spread across the stereo field, scaled by
// the pitch ratio for vibrato.
void sawStackTick(SawStack& st, double ratio, float& outL, float& outR) {
  outL = outR = 0.0f;
  for (int i = 0; i < st.count; ++i) {
    double inc = st.osc[i].inc;
    st.osc[i].inc = inc * ratio;
    float s = sawTick(st.osc[i]);
    st.osc[i].inc = inc;
    float p = 0.2f + 0.6f * st.pan[(i * 3) % st.count];
    outL += s * (1.0f - p);
    outR += s * p;
  }
}

void renderPad(const NoteEvent& ev, float* l, float* r, int n) {
  static const float kDetune[6] = {-14.0f, -7.0f, -2.0f, 3.0f, 8.0f, 15.0f};
  SawStack st = sawStack(midiToHz(ev.pitch), kDetune, 6, ev.seed);
  Svf lpL{}, lpR{};
  svfSet(lpL, 2600.0f, 0.7f);
  svfSet(lpR, 2600.0f, 0.7f);
  float release = 1.0f;
  const float releaseCoef = decayCoef(0.28f);
  for (int i = 0; i < n; ++i) {
    float sl, sr;
    sawStackTick(st, 1.0, sl, sr);
    float g = 0.22f * ev.vel * gateEnvelope(i, ev.length, seconds(0.18f), release, releaseCoef) * tailFade(i, n, 200);
    l[i] = svfTick(lpL, sl).lp * g;
    r[i] = svfTick(lpR, sr).lp * g;
  }
}

// Short bright pluck for the 16th-note arpeggios; param is the resting
// cutoff.
void renderArp(const NoteEvent& ev, float* l, float* r, int n) {
  float hz = midiToHz(ev.pitch);
  Osc a = oscAt(hz * 0.9965f, 0.0), b = oscAt(hz * 1.0035f, 0.5), c = oscAt(hz * 0.5f, 0.25);
  Svf lpL{}, lpR{};
  float filterEnv = 1.0f, amp = 1.0f;
  const float filterCoef = decayCoef(0.05f), ampCoef = decayCoef(0.10f);
  for (int i = 0; i < n; ++i) {
    if (i % kFilterRefresh == 0) {
      float fc = ev.param * (1.0f + 5.0f * filterEnv);
      svfSet(lpL, fc, 1.8f);
      svfSet(lpR, fc * 1.05f, 1.8f);
    }
    float sub = squareTick(c) * 0.25f;
    float g = 0.5f * amp * ev.vel * attackRamp(i, 40) * tailFade(i, n, 200);
    l[i] = svfTick(lpL, sawTick(a) + sub).lp * g;
    r[i] = svfTick(lpR, sawTick(b) + sub).lp * g;
    filterEnv *= filterCoef;
    amp *= ampCoef;
  }
}

void renderStab(const NoteEvent& ev, float* l, float* r, int n) {
  static const float kDetune[4] = {-11.0f, -3.0f, 4.0f, 12.0f};
  SawStack st = sawStack(midiToHz(ev.pitch), kDetune, 4, ev.seed);
  Svf lpL{}, lpR{};
  float filterEnv = 1.0f, amp = 1.0f;
  const float filterCoef = decayCoef(0.07f), ampCoef = decayCoef(0.16f);
  for (int i = 0; i < n; ++i) {
    if (i % kFilterRefresh == 0) {
      svfSet(lpL, ev.param * (1.0f + 6.0f * filterEnv), 1.2f);
      svfSet(lpR, ev.param * (1.0f + 6.0f * filterEnv), 1.2f);
    }
    float sl, sr;
    sawStackTick(st, 1.0, sl, sr);
    float g = 0.3f * amp * ev.vel * attackRamp(i, 40) * tailFade(i, n, 200);
    l[i] = svfTick(lpL, sl).lp * g;
    r[i] = svfTick(lpR, sr).lp * g;
    filterEnv *= filterCoef;
    amp *= ampCoef;
  }
}

// The supersaw lead: seven saws, delayed vibrato, a touch of filter
// envelope for bite; param is the resting cutoff.
void renderLead(const NoteEvent& ev, float* l, float* r, int n) {
  static const float kDetune[7] = {-22.0f, -13.0f, -5.0f, 0.0f, 6.0f, 14.0f, 21.0f};
  SawStack st = sawStack(midiToHz(ev.pitch), kDetune, 7, ev.seed);
  Svf lpL{}, lpR{}, biteL{}, biteR{};
  svfSet(biteL, 3800.0f, 0.9f);
  svfSet(biteR, 3800.0f, 0.9f);
  float filterEnv = 1.0f, decay = 1.0f, release = 1.0f;
  const float filterCoef = decayCoef(0.12f), decayC = decayCoef(0.15f), releaseCoef = decayCoef(0.07f);
  double ratio = 1.0;
  for (int i = 0; i < n; ++i) {
    if (i % kFilterRefresh == 0) {
      float t = float(i) / kSampleRate;
      float depth = std::clamp((t - 0.16f) / 0.25f, 0.0f, 1.0f) * 0.14f;
      ratio = std::pow(2.0, depth * std::sin(2.0 * kPi * 5.5 * t) / 12.0);
      svfSet(lpL, ev.param * (1.0f + 1.5f * filterEnv), 0.9f);
      svfSet(lpR, ev.param * (1.0f + 1.5f * filterEnv), 0.9f);
    }
    float sl, sr;
    sawStackTick(st, ratio, sl, sr);
    float sustain = 0.7f + 0.3f * decay;
    float g = 0.2f * ev.vel * sustain * gateEnvelope(i, ev.length, 150, release, releaseCoef) * tailFade(i, n, 100);
    // A band of raw saw around 4 kHz on top of the filtered body: bite.
    l[i] = (svfTick(lpL, sl).lp + 0.6f * svfTick(biteL, sl).bp) * g;
    r[i] = (svfTick(lpR, sr).lp + 0.6f * svfTick(biteR, sr).bp) * g;
    filterEnv *= filterCoef;
    decay *= decayC;
  }
}

}  // namespace

const char* instrumentName(Instrument inst) {
  static const char* kNames[kInstrumentCount] = {"kick", "clap", "snare", "hat",  "open hat", "ride",
                                                 "crash", "riser", "impact", "bass", "acid",     "reese",
                                                 "pad",  "arp",  "stab",  "lead"};
  return inst >= 0 && inst < kInstrumentCount ? kNames[inst] : "?";
}

int voiceTail(const NoteEvent& ev) {
  switch (ev.inst) {
    case kKick: return seconds(0.30f);
    case kClap: return seconds(0.35f);
    case kSnare: return seconds(0.25f);
    case kHatClosed: return seconds(0.12f);
    case kHatOpen: return seconds(0.55f);
    case kRide: return seconds(1.3f);
    case kCrash: return seconds(3.2f);
    case kRiser: return seconds(0.01f);
    case kImpact: return seconds(1.8f);
    case kBass: return seconds(0.06f);
    case kAcid: return seconds(0.05f);
    case kReese: return seconds(0.2f);
    case kPad: return seconds(1.2f);
    case kArp: return seconds(0.45f);
    case kStab: return seconds(0.7f);
    case kLead: return seconds(0.35f);
    default: return 0;
  }
}

void renderVoice(const NoteEvent& ev, float* l, float* r, int n) {
  switch (ev.inst) {
    case kKick: renderKick(ev, l, r, n); break;
    case kClap: renderClap(ev, l, r, n); break;
    case kSnare: renderSnare(ev, l, r, n); break;
    case kHatClosed: renderHat(ev, l, r, n, 0.028f); break;
    case kHatOpen: renderHat(ev, l, r, n, 0.16f); break;
    case kRide: renderRide(ev, l, r, n); break;
    case kCrash: renderCrash(ev, l, r, n); break;
    case kRiser: renderRiser(ev, l, r, n); break;
    case kImpact: renderImpact(ev, l, r, n); break;
    case kBass: renderBass(ev, l, r, n); break;
    case kAcid: renderAcid(ev, l, r, n); break;
    case kReese: renderReese(ev, l, r, n); break;
    case kPad: renderPad(ev, l, r, n); break;
    case kArp: renderArp(ev, l, r, n); break;
    case kStab: renderStab(ev, l, r, n); break;
    case kLead: renderLead(ev, l, r, n); break;
    default: std::fill(l, l + n, 0.0f); std::fill(r, r + n, 0.0f); break;
  }
}
