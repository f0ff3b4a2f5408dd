// Process-wide run state every layer may read: the quit counter, whether
// the music has started, and the switches of the status overlay and of its
// band meter.
#pragma once
#include <atomic>

// Nonzero ends the frame loop; writers only ever add 1 (the audio thread too).
extern std::atomic<int> quitRequested;
extern int musicStarted;
extern int overlayEnabled;
extern int bandMeterEnabled;
