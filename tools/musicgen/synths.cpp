// The tonal voices: basses, pads, plucks and the lead, all band-limited
// saws (and a sine or square for weight) through state-variable filters
// with exponential envelopes.
#include <cmath>

#include "voice_kit.h"

// Offbeat and rolling bass: saw plus a sine on the fundamental, plucked
// through a low-pass. param is the resting cutoff.
void renderBass(const NoteEvent& ev, float* l, float* r, int n)
{
    float hz = midiToHz(ev.pitch);
    Osc saw = oscAt(hz, 0.0), sub = oscAt(hz, 0.0);
    Svf lp{};
    float filterEnv = 1.0f, release = 1.0f;
    const float filterCoef = decayCoef(0.06f), releaseCoef = decayCoef(0.012f);
    for (int i = 0; i < n; ++i) {
        if (i % kFilterRefresh == 0)
            svfSet(lp, ev.param * (1.0f + 5.0f * filterEnv * ev.vel), 1.3f);
        float v = svfTick(lp, sawTick(saw)).lp * 0.75f + sineTick(sub) * 0.55f;
        l[i] = v * ev.vel * gateEnvelope(i, ev.length, 60, release, releaseCoef) * tailFade(i, n, 60);
        filterEnv *= filterCoef;
    }
    copyMono(l, r, n);
}

// Squelchy resonant line; loud notes (vel > 0.9) are accents with a wider
// filter sweep.
void renderAcid(const NoteEvent& ev, float* l, float* r, int n)
{
    float hz = midiToHz(ev.pitch);
    Osc saw = oscAt(hz, 0.0);
    Svf lp{};
    bool accent = ev.vel > 0.9f;
    float filterEnv = 1.0f, release = 1.0f;
    const float filterCoef = decayCoef(accent ? 0.09f : 0.05f), releaseCoef = decayCoef(0.01f);
    const float sweep = accent ? 7.0f : 3.0f, q = accent ? 9.0f : 6.0f;
    for (int i = 0; i < n; ++i) {
        if (i % kFilterRefresh == 0)
            svfSet(lp, ev.param * (1.0f + sweep * filterEnv), q);
        float v = std::tanh(1.6f * svfTick(lp, sawTick(saw)).lp);
        l[i] = v * 0.6f * ev.vel * gateEnvelope(i, ev.length, 40, release, releaseCoef) * tailFade(i, n, 60);
        filterEnv *= filterCoef;
    }
    copyMono(l, r, n);
}

// Long detuned-saw bass with a slowly beating low-pass: weight without
// brightness.
void renderReese(const NoteEvent& ev, float* l, float* r, int n)
{
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

namespace {

// A stack of detuned saws per side: pads, stabs and the lead differ only in
// voice count, detune, envelope and filter.
struct SawStack {
    Osc osc[7];
    float pan[7];
    int count;
};

SawStack sawStack(float hz, const float* detuneCents, int count, uint32_t seed)
{
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
void sawStackTick(SawStack& st, double ratio, float& outL, float& outR)
{
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

}  // namespace

void renderPad(const NoteEvent& ev, float* l, float* r, int n)
{
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
        float g =
            0.22f * ev.vel * gateEnvelope(i, ev.length, seconds(0.18f), release, releaseCoef) * tailFade(i, n, 200);
        l[i] = svfTick(lpL, sl).lp * g;
        r[i] = svfTick(lpR, sr).lp * g;
    }
}

// Short bright pluck for the 16th-note arpeggios; param is the resting
// cutoff.
void renderArp(const NoteEvent& ev, float* l, float* r, int n)
{
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

void renderStab(const NoteEvent& ev, float* l, float* r, int n)
{
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
void renderLead(const NoteEvent& ev, float* l, float* r, int n)
{
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
