// Calls of the sound layer that only tests (and test tools) make: the
// stream's frames as a device would receive them, and the size of the
// offline spectrum's decoded copy.
#pragma once
#include <cstdint>

#include "music/soundlayer.h"

// Pulls the next frames of the stream as the device would receive them
// (output rate, stereo, signed 16-bit, round the loop when one is on),
// advancing it; the rest of `out` is zeroed once the stream has ended.
// Returns the frames of sound written. Only for streams not playing on a
// device.
int soundStreamRender(SoundStream* stream, int16_t* out, int frames);

// Output frames the offline spectrum holds decoded (it keeps a bounded
// stretch of the song, not the whole song).
int64_t soundSpectrumCopyFrames();
