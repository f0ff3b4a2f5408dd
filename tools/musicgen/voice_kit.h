// Shared pieces of the instruments: envelope helpers used by every voice,
// and the per-instrument renderers that renderVoice dispatches to.
#pragma once

#include <algorithm>

#include "dsp.h"
#include "voices.h"

constexpr int kFilterRefresh = 16;  // samples between coefficient updates

inline int seconds(float s)
{
    return int(s * kSampleRate);
}

// Linear ramp to silence over the last `fade` samples, so no voice ends on
// a step.
inline float tailFade(int i, int n, int fade)
{
    int left = n - i;
    return left >= fade ? 1.0f : float(left) / float(fade);
}

inline float attackRamp(int i, int len)
{
    return i >= len ? 1.0f : float(i) / float(len);
}

inline void copyMono(const float* left, float* right, int n)
{
    std::copy(left, left + n, right);
}

// Amplitude gate shared by the sustained voices: attack, hold for the note
// length, then an exponential release over the tail.
inline float gateEnvelope(int i, int noteLen, int attack, float& releaseEnv, float releaseCoef)
{
    if (i < noteLen)
        return attackRamp(i, attack);
    releaseEnv *= releaseCoef;
    return releaseEnv;
}

// Drums (drums.cpp).
// Adds the bright crack of claps and snares to `out`: from `delay` seconds
// held at `level` for `hold` seconds, then falling with the time constant
// `fall`.
void renderCrack(const NoteEvent& ev, float* out, int n, float delay, float hold, float fall, float level);
void renderKick(const NoteEvent& ev, float* l, float* r, int n);
void renderClap(const NoteEvent& ev, float* l, float* r, int n);
void renderSnare(const NoteEvent& ev, float* l, float* r, int n);
void renderHat(const NoteEvent& ev, float* l, float* r, int n, float decay);
void renderRide(const NoteEvent& ev, float* l, float* r, int n);
void renderCrash(const NoteEvent& ev, float* l, float* r, int n);
void renderRiser(const NoteEvent& ev, float* l, float* r, int n);
void renderImpact(const NoteEvent& ev, float* l, float* r, int n);

// Tonal voices (synths.cpp).
void renderBass(const NoteEvent& ev, float* l, float* r, int n);
void renderAcid(const NoteEvent& ev, float* l, float* r, int n);
void renderReese(const NoteEvent& ev, float* l, float* r, int n);
void renderPad(const NoteEvent& ev, float* l, float* r, int n);
void renderArp(const NoteEvent& ev, float* l, float* r, int n);
void renderStab(const NoteEvent& ev, float* l, float* r, int n);
void renderLead(const NoteEvent& ev, float* l, float* r, int n);
