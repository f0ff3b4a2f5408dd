// The program's own sound layer: one MP3 stream from a memory image, played
// through SDL2's default audio device or silently against a monotonic clock,
// with the play clock, seeking, the end notification and the spectrum.
#pragma once
#include <cstdint>

const float SOUND_LAYER_VERSION = 3.62f;

// Outputs. Non-realtime plays nothing and moves only when the position is
// set: for rendering stills and video frame by frame.
const int SOUND_OUTPUT_NOSOUND = 0;
const int SOUND_OUTPUT_SYSTEM = 2;
const int SOUND_OUTPUT_NONREALTIME = 7;

// Stream modes: the data is a memory image, positions are sample-exact, the
// sound is 16-bit signed. These three together are all the layer plays.
const unsigned SOUND_LOADMEMORY = 0x8000;
const unsigned SOUND_MPEGACCURATE = 0x20000;
const unsigned SOUND_NORMAL = 0x130;

const int SOUND_FREE = -1;  // "any free channel" for soundStreamPlayEx

// Error codes, as numbered in fmodErrorText's table.
enum SoundError {
    SOUND_ERR_NONE = 0,
    SOUND_ERR_BUSY = 1,
    SOUND_ERR_UNINITIALIZED = 2,
    SOUND_ERR_INIT = 3,
    SOUND_ERR_PLAY = 5,
    SOUND_ERR_FILE_FORMAT = 10,
    SOUND_ERR_FILE_BAD = 11,
    SOUND_ERR_MEMORY = 12,
    SOUND_ERR_INVALID_PARAM = 14,
    SOUND_ERR_CHANNEL_ALLOC = 16,
};

struct SoundStream;
struct SoundDspUnit;

// Called with a null buffer and length 0 once the last sample has been
// heard; may come from the audio thread. The return value is ignored.
typedef bool (*SoundStreamCallback)(SoundStream* stream, void* buffer, int length, int userValue);

float soundGetVersion();
bool soundSetOutput(int output);
bool soundSetDriver(int driver);
bool soundInit(int mixRate, int maxChannels, unsigned flags);
void soundClose();
int soundGetError();

SoundStream* soundStreamOpen(const char* data, unsigned mode, int length);
bool soundStreamClose(SoundStream* stream);
bool soundStreamSetEndCallback(SoundStream* stream, SoundStreamCallback callback, int userValue);
// MP3 streams carry no sync points, so this callback is kept but never called.
bool soundStreamSetSynchCallback(SoundStream* stream, SoundStreamCallback callback, int userValue);
int soundStreamPlayEx(int channel, SoundStream* stream, SoundDspUnit* dsp, bool paused);
bool soundSetPaused(int channel, bool paused);
// The position the listener hears now, in ms; smooth between device periods.
int soundStreamGetTime(SoundStream* stream);
// Negative goes to 0; at or past the end the stream ends.
bool soundStreamSetTime(SoundStream* stream, int ms);
int soundStreamGetLengthMs(SoundStream* stream);

SoundDspUnit* soundDspGetFFTUnit();
bool soundDspSetActive(SoundDspUnit* unit, bool active);
// 512 values in 0..1 for the 1024 samples before the play position; null
// while the analyser is off or nothing plays.
const float* soundDspGetSpectrum();

// How many ms the clock runs behind the sound (outputs with extra latency).
void soundSetClockOffset(int ms);

// Pulls the next frames of the stream as the device would receive them
// (output rate, stereo, signed 16-bit), advancing it; the rest of `out` is
// zeroed once the stream has ended. Returns the frames of sound written.
// Only for streams not playing on a device.
int soundStreamRender(SoundStream* stream, int16_t* out, int frames);
