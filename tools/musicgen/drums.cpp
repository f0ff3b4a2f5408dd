// The drums: a swept-sine kick, claps and snare of noise with a tuned
// crack, and hats, ride and crash from noise mixed with six detuned square
// waves; plus the riser and the impact that frame the drops.
#include <cmath>
#include <vector>

#include "voice_kit.h"

// The kick: a sine that sweeps from 600 Hz down to E1 within a few
// milliseconds, saturated into a short hard punch that spreads its energy
// over the whole range below 700 Hz (the low band of the show's spectrum
// jumps on every beat), then drops to a clean sub tail. The punch is over
// by the time the clap's main burst arrives, so the two share the headroom.
void renderKick(const NoteEvent& ev, float* l, float* r, int n)
{
    Rng rng = rngSeeded(ev.seed);
    const float endHz = 41.2f, startHz = 600.0f;
    const int hold = seconds(0.021f);
    Osc body = oscAt(endHz, 0.25);  // starts on the crest: the first half-cycle is the punch
    Svf clickHp{};
    svfSet(clickHp, 2500.0f, 0.7f);
    float pitchEnv = 1.0f, clickEnv = 1.0f, punch = 1.0f, tail = 1.0f;
    const float pitchCoef = decayCoef(0.0055f), clickCoef = decayCoef(0.003f);
    const float punchCoef = decayCoef(0.0025f), tailCoef = decayCoef(0.11f);
    const float drive = 2.5f, norm = 1.0f / std::tanh(drive), tailLevel = 0.11f;
    for (int i = 0; i < n; ++i) {
        oscSetHz(body, endHz + (startHz - endHz) * pitchEnv);
        float amp = 1.0f;
        if (i >= hold) {
            amp = (1.0f - tailLevel) * punch + tailLevel * tail;
            punch *= punchCoef;
            tail *= tailCoef;
        }
        float s = std::tanh(drive * sineTick(body) * amp) * norm;
        float click = svfTick(clickHp, rngNoise(rng)).hp * clickEnv * 0.3f;
        l[i] = (s + click) * ev.vel * attackRamp(i, 20) * tailFade(i, n, seconds(0.05f));
        pitchEnv *= pitchCoef;
        clickEnv *= clickCoef;
    }
    copyMono(l, r, n);
}

namespace {

// Hand claps: a flam of three soft bursts under the kick's punch, then the
// crack, then the noise of the clap's body and room, which rises as the
// crack fades so the two never stack up on the same peak.
float clapEnvelope(float t)
{
    const float gap = kClapCrackDelay / 3, bodyFrom = kClapCrackDelay + 0.015f, bodyRise = 0.01f;
    float env = 0.0f;
    for (int b = 0; b < 3; ++b) {
        float tb = t - b * gap;
        if (tb >= 0.0f)
            env = std::max(env, 0.35f * std::exp(-tb / 0.004f));
    }
    float tm = t - bodyFrom;
    if (tm >= 0.0f)
        env = std::max(env, std::min(1.0f, tm / bodyRise) * std::exp(-std::max(0.0f, tm - bodyRise) / 0.07f));
    return env;
}

// The crack: one 1024-sample period of noise whose energy lies exactly on
// the 64 harmonics of 43 Hz from 2.76 to 5.5 kHz, the band the flicker
// follows. Every harmonic has the same level; the phases are reshaped by
// repeated clipping so the peaks stay low (about 1.75 times the RMS, where
// plain noise of that band reaches 3.5), which lets the crack be loud
// without the mix running into its ceiling.
constexpr int kCrackPeriod = 1024;
constexpr int kCrackLow = 64, kCrackLines = 64;

struct CrackWork {
    std::vector<double> cosT, sinT;  // one period of the lowest harmonic
    std::vector<double> phase;       // one per harmonic
    std::vector<double> wave;        // one period
};

void crackSynth(CrackWork& w)
{
    const int n = kCrackPeriod;
    std::fill(w.wave.begin(), w.wave.end(), 0.0);
    for (int j = 0; j < kCrackLines; ++j) {
        const int k = kCrackLow + j;
        const double c = std::cos(w.phase[size_t(j)]), s = std::sin(w.phase[size_t(j)]);
        for (int i = 0; i < n; ++i) {
            size_t at = size_t((k * i) % n);
            w.wave[size_t(i)] += c * w.cosT[at] - s * w.sinT[at];
        }
    }
}

// Takes each harmonic's phase from the current (clipped) wave.
void crackMeasurePhases(CrackWork& w)
{
    const int n = kCrackPeriod;
    for (int j = 0; j < kCrackLines; ++j) {
        const int k = kCrackLow + j;
        double re = 0.0, im = 0.0;
        for (int i = 0; i < n; ++i) {
            size_t at = size_t((k * i) % n);
            re += w.wave[size_t(i)] * w.cosT[at];
            im += w.wave[size_t(i)] * w.sinT[at];
        }
        w.phase[size_t(j)] = std::atan2(-im, re);
    }
}

std::vector<float> makeCrack()
{
    const size_t n = kCrackPeriod;
    CrackWork w{std::vector<double>(n), std::vector<double>(n), std::vector<double>(kCrackLines),
                std::vector<double>(n)};
    for (size_t i = 0; i < n; ++i) {
        w.cosT[i] = std::cos(2.0 * kPi * double(i) / double(n));
        w.sinT[i] = std::sin(2.0 * kPi * double(i) / double(n));
    }
    Rng rng = rngSeeded(0xc7acu);
    for (double& p : w.phase)
        p = 2.0 * kPi * rngUniform(rng);
    const double limit = 1.5 * std::sqrt(kCrackLines * 0.5);  // 1.5 times the RMS
    for (int round = 0; round < 150; ++round) {
        crackSynth(w);
        for (double& v : w.wave)
            v = std::clamp(v, -limit, limit);
        crackMeasurePhases(w);
    }
    crackSynth(w);
    double peak = 0.0;
    for (double v : w.wave)
        peak = std::max(peak, std::fabs(v));
    std::vector<float> table(n);
    for (size_t i = 0; i < n; ++i)
        table[i] = float(w.wave[i] / peak);
    return table;
}

const std::vector<float>& crackTable()
{
    static const std::vector<float> table = makeCrack();
    return table;
}

// Level of the crack over time: full at once, held for `hold` seconds, then
// a fast fall. A hold of about one analysis window (23 ms) lets some frame
// of the show catch nearly all of it, while little loudness is spent
// outside the flash.
float crackEnvelope(float t, float hold, float fall)
{
    if (t < 0.0f)
        return 0.0f;
    float rise = std::min(1.0f, t / 0.0008f);
    return t < hold ? rise : std::exp(-(t - hold) / fall);
}

}  // namespace

void renderCrack(const NoteEvent& ev, float* out, int n, float delay, float hold, float fall, float level)
{
    const std::vector<float>& table = crackTable();
    // Each hit starts somewhere else in the period, so repeats are not
    // sample-identical.
    Rng rng = rngSeeded(ev.seed ^ 0x5bd1e995u);
    int at = int(rngNext(rng) % kCrackPeriod);
    for (int i = 0; i < n; ++i) {
        out[i] += table[size_t(at)] * crackEnvelope(float(i) / kSampleRate - delay, hold, fall) * level;
        if (++at == kCrackPeriod)
            at = 0;
    }
}

// param is the level of the crack on the main burst.
void renderClap(const NoteEvent& ev, float* l, float* r, int n)
{
    Rng rng = rngSeeded(ev.seed);
    Svf body{}, upper{}, clean{};
    svfSet(body, 1200.0f, 1.2f);
    svfSet(upper, 2100.0f, 1.0f);
    svfSet(clean, 700.0f, 0.7f);
    for (int i = 0; i < n; ++i) {
        float x = rngNoise(rng);
        float v = svfTick(body, x).bp * 0.6f + svfTick(upper, x).bp * 0.45f;
        float shaped = std::tanh(2.5f * v * clapEnvelope(float(i) / kSampleRate)) * 0.3f;
        l[i] = svfTick(clean, shaped).hp;
    }
    renderCrack(ev, l, n, kClapCrackDelay, 0.020f, 0.004f, 0.5f * ev.param);
    for (int i = 0; i < n; ++i)
        l[i] *= ev.vel * tailFade(i, n, seconds(0.03f));
    copyMono(l, r, n);
}

// param is the level of the crack on top of body and noise: the rolls that
// build into a drop carry one, the snare doubled under a clap does not.
void renderSnare(const NoteEvent& ev, float* l, float* r, int n)
{
    Rng rng = rngSeeded(ev.seed);
    Osc body = oscAt(190.0f, 0.0);
    Svf hp{};
    svfSet(hp, 1800.0f, 0.7f);
    float bodyEnv = 1.0f, noiseEnv = 1.0f;
    const float bodyCoef = decayCoef(0.045f), noiseCoef = decayCoef(0.10f);
    for (int i = 0; i < n; ++i) {
        l[i] = (sineTick(body) * bodyEnv * 0.5f + svfTick(hp, rngNoise(rng)).hp * noiseEnv * 0.8f) * attackRamp(i, 30);
        bodyEnv *= bodyCoef;
        noiseEnv *= noiseCoef;
    }
    if (ev.param > 0.0f)
        renderCrack(ev, l, n, kClapCrackDelay, 0.016f, 0.004f, 2.4f * ev.param);
    for (int i = 0; i < n; ++i)
        l[i] *= ev.vel * tailFade(i, n, seconds(0.03f));
    copyMono(l, r, n);
}

namespace {

// Six detuned square waves: the metallic core shared by hats, ride, crash.
struct Metal {
    Osc osc[6];
};

Metal metalAt(float scale)
{
    static const float kRatios[6] = {205.3f, 304.4f, 369.6f, 522.7f, 540.0f, 800.0f};
    Metal m{};
    for (int i = 0; i < 6; ++i)
        m.osc[i] = oscAt(kRatios[i] * scale, 0.17 * i);
    return m;
}

float metalTick(Metal& m)
{
    float v = 0.0f;
    for (Osc& o : m.osc)
        v += squareTick(o);
    return v * (1.0f / 6.0f);
}

}  // namespace

void renderHat(const NoteEvent& ev, float* l, float* r, int n, float decay)
{
    Rng rng = rngSeeded(ev.seed);
    Metal metal = metalAt(1.0f);
    Svf hp{}, body{}, clean{};
    // Above the clap's crack, so the flicker band stays dark between accents.
    svfSet(hp, 10000.0f, 0.7f);
    svfSet(body, 7500.0f, 0.9f);
    svfSet(clean, 5000.0f, 0.7f);
    float env = 1.0f;
    const float coef = decayCoef(decay);
    for (int i = 0; i < n; ++i) {
        float x = rngNoise(rng) * 0.7f + metalTick(metal) * 0.6f;
        float v = svfTick(body, x).bp + svfTick(hp, x).hp * 0.35f;
        float shaped = std::tanh(2.0f * v * env) * 0.5f;
        l[i] = svfTick(clean, shaped).hp * ev.vel * attackRamp(i, 12) * tailFade(i, n, seconds(0.02f));
        env *= coef;
    }
    copyMono(l, r, n);
}

void renderRide(const NoteEvent& ev, float* l, float* r, int n)
{
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

void renderCrash(const NoteEvent& ev, float* l, float* r, int n)
{
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
void renderRiser(const NoteEvent& ev, float* l, float* r, int n)
{
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
void renderImpact(const NoteEvent& ev, float* l, float* r, int n)
{
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
