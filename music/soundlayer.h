// The program's own sound layer: one MP3 stream from a memory image, played
// on the audio device, silently against a monotonic clock, or offline (for
// stills and video), with the play clock, seeking, the end notification and
// the spectrum of what is heard.
#pragma once
#include <cstdint>

enum SoundOutput {
    SOUND_OUTPUT_DEVICE,   // the default audio device
    SOUND_OUTPUT_SILENT,   // no device; the clock runs on a monotonic timer
    SOUND_OUTPUT_OFFLINE,  // the clock moves only when the position is set
};

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

// Called with a null buffer and length 0 once the last sample has been
// heard; may come from the audio thread. The return value is ignored.
typedef bool (*SoundStreamCallback)(SoundStream* stream, void* buffer, int length, int userValue);

// Failures leave their code for soundGetError.
bool soundInit(SoundOutput output, int mixRate);
void soundClose();
int soundGetError();

// The data must outlive the stream. Null when it holds no MPEG audio.
SoundStream* soundStreamOpen(const char* data, int length);
bool soundStreamClose(SoundStream* stream);
bool soundStreamSetEndCallback(SoundStream* stream, SoundStreamCallback callback, int userValue);
// One stream plays at a time.
bool soundStreamPlay(SoundStream* stream, bool paused);
// The clock stops with the sound and goes on from the same sample.
bool soundStreamSetPaused(SoundStream* stream, bool paused);
// The position the listener hears now, in ms; smooth between device periods.
int soundStreamGetTime(SoundStream* stream);
// Negative goes to 0; at or past the end the stream ends.
bool soundStreamSetTime(SoundStream* stream, int ms);
int soundStreamGetLengthMs(SoundStream* stream);
// The same position in output frames, exact to the sample: the frame heard
// now (before the clock offset), and a seek that lands on the given frame.
int64_t soundStreamGetFrame(SoundStream* stream);
bool soundStreamSetFrame(SoundStream* stream, int64_t frame);
int64_t soundStreamGetLengthFrames(SoundStream* stream);
// While on, reaching endFrame goes on from startFrame without a gap: the
// frame before endFrame, then startFrame. A position past the end plays on.
// The end is cut to the stream's length; off keeps the range.
bool soundStreamSetLoop(SoundStream* stream, bool on, int64_t startFrame, int64_t endFrame);
// Output frames per second (the rate given to soundInit).
int soundOutputRate();

// How many ms the clock runs behind the sound (outputs with extra latency).
void soundSetClockOffset(int ms);

// Pulls the next frames of the stream as the device would receive them
// (output rate, stereo, signed 16-bit, round the loop when one is on),
// advancing it; the rest of `out` is zeroed once the stream has ended.
// Returns the frames of sound written. Only for streams not playing on a
// device.
int soundStreamRender(SoundStream* stream, int16_t* out, int frames);

void soundSetSpectrumActive(bool active);
// 512 values in 0..1 for the 1024 samples before the play position; null
// while the analyser is off or nothing plays.
const float* soundGetSpectrum();
// For tests: output frames the offline spectrum holds decoded (it keeps a
// bounded stretch of the song, not the whole song).
int64_t soundSpectrumCopyFrames();
