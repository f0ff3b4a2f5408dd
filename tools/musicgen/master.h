// Mastering of the finished mix: DC removal, clean fades at both ends,
// loudness normalisation measured with libebur128 and a look-ahead limiter.
#pragma once

#include <string>

#include "mix.h"

struct MasterSettings {
    double targetLufs;  // integrated loudness to reach
    float ceilingDb;    // sample peak never exceeds this
    int fadeOutStart;   // sample where the closing fade begins (may lie past the end)
    int fadeOutEnd;     // sample where it reaches silence
};

struct MasterResult {
    double lufs;
    float peakDb;
    float gainDb;          // make-up gain applied before the limiter
    float maxReductionDb;  // deepest gain reduction of the limiter
};

// Integrated loudness of a stereo buffer, or false with a message.
bool measureLoudness(const StereoBuffer& audio, double& lufs, std::string& error);

float peakDb(const StereoBuffer& audio);

// Removes DC and applies the fades, in place; run once per mix.
void shapeMix(StereoBuffer& mix, const MasterSettings& settings);

// Writes the shaped mix to `out` at the target loudness under the ceiling.
bool masterMix(const StereoBuffer& mix, const MasterSettings& settings, StereoBuffer& out, MasterResult& result,
               std::string& error);
