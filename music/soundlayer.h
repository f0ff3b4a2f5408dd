// The program's own sound layer: one MP3 stream from a memory image, played
// on the audio device, silently against a monotonic clock, or offline (for
// stills and video), with the play clock, seeking, the end notification and
// the spectrum of what is heard. What music.cpp calls; tests reach a little
// more through music/soundlayer_testing.h.
#pragma once
#include <cstdint>

enum SoundOutput {
    SOUND_OUTPUT_DEVICE,   // the default audio device
    SOUND_OUTPUT_SILENT,   // no device; the clock runs on a monotonic timer
    SOUND_OUTPUT_OFFLINE,  // the clock moves only when the position is set
};

// Why soundInit or soundStreamOpen failed.
enum SoundProblem : int {
    SOUND_NO_PROBLEM,
    SOUND_ALREADY_STARTED,  // soundInit twice without soundClose
    SOUND_NOT_STARTED,      // a stream opened before soundInit
    SOUND_NO_DEVICE,        // no audio output could be opened
    SOUND_NOT_MP3,          // the data holds no MPEG audio
    SOUND_NO_DATA,          // the data is empty
    SOUND_NO_MEMORY,
    SOUND_BAD_ARGUMENT,
};
struct SoundFailure {
    SoundProblem problem = SOUND_NO_PROBLEM;
    char detail[256] = "";  // the device's own words, when it gave any
};

struct SoundStream;

// Called with a null buffer and length 0 once the last sample has been
// heard; may come from the audio thread. The return value is ignored.
typedef bool (*SoundStreamCallback)(SoundStream* stream, void* buffer, int length, int userValue);

// A failure says why in *why (when given).
bool soundInit(SoundOutput output, int mixRate, SoundFailure* why = nullptr);
void soundClose();

// The data must outlive the stream. Null when it holds no MPEG audio.
SoundStream* soundStreamOpen(const char* data, int length, SoundFailure* why = nullptr);
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

// How many ms the clock runs behind the sound (outputs with extra latency).
void soundSetClockOffset(int ms);

// Times the device asked for sound later than what it held could last, so
// that the listener heard a gap, and about how long those gaps were in all;
// counted from soundInit.
struct SoundUnderruns {
    int count;
    int ms;
};
SoundUnderruns soundUnderruns();

void soundSetSpectrumActive(bool active);
// 512 values in 0..1 for the 1024 samples before the play position; null
// while the analyser is off or nothing plays.
const float* soundGetSpectrum();
