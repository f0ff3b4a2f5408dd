// The composition: the arrangement of the whole song as note events, plus
// each track's mix settings and automation (levels, filter sweeps, sends).
#pragma once

#include <vector>

#include "voices.h"

// 180 beats per minute at 44.1 kHz: a beat is exactly 14700 samples.
constexpr int kSamplesPerStep = 3675;  // one 16th note
constexpr int kStepsPerBar = 16;
constexpr int kStepsPerPattern = 64;  // 16 beats, 5333 1/3 ms
constexpr int kPatternCount = 38;
constexpr int kSamplesPerPattern = kStepsPerPattern * kSamplesPerStep;
constexpr int kSongSamples = kPatternCount * kSamplesPerPattern;

// A piecewise-linear curve over song time in patterns, held flat before the
// first key and after the last. An empty curve means "not automated".
struct Key {
    float pattern;
    float value;
};
using Curve = std::vector<Key>;

float curveAt(const Curve& curve, double pattern);
float curveAtLog(const Curve& curve, double pattern);  // for frequencies

struct TrackMix {
    Curve gainDb;
    Curve lowpassHz;
    Curve highpassHz;
    float pan;       // -1 left .. 1 right
    float duck;      // depth of the kick side-chain pump, 0..1
    float clapDuck;  // depth of the short dip under every clap, 0..1
    float reverbSend;
    float delaySend;
};

struct Score {
    std::vector<NoteEvent> events;
    TrackMix mix[kInstrumentCount];
    Curve sectionGainDb;  // whole-mix level per section: the climax stands out
};

// Writes the whole arrangement.
Score composeSong();

// Fills score.mix: levels, filter sweeps, side-chain depth and sends of
// every track.
void setTrackMixes(Score& score);
