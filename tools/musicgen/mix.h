// Renders the score to one stereo buffer: every track's notes with its
// automation, side-chain pump and sends, then the shared reverb and echo.
#pragma once

#include <vector>

#include "score.h"

struct StereoBuffer {
    std::vector<float> left, right;
};

// Per-track figures for tuning the balance (filled when asked for).
struct TrackStats {
    double rms[kInstrumentCount];
    float peak[kInstrumentCount];
    double lowRms[kInstrumentCount];   // below ~700 Hz, over the climax
    double highRms[kInstrumentCount];  // ~2.7-5.5 kHz, over the climax
};

// Renders the first lengthSamples samples of the song.
void renderMix(const Score& score, int lengthSamples, StereoBuffer& out, TrackStats* stats);
