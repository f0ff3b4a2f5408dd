// Sound output: the audio device (stereo signed 16-bit, filled from a
// callback on the device's own thread) and the sample-rate converter that
// brings any source rate and channel count to it.
#pragma once
#include <cstdint>

// Fills `frames` stereo frames; runs on the audio thread.
typedef void (*AudioFill)(int16_t* out, int frames);

// An open device: the frames it asks for at a time, and how many frames
// it holds from a write until the listener hears them.
struct AudioDeviceShape {
    int period;
    int queued;
};

// Opens the default output at `rate` Hz with periods of about `period`
// frames and starts it. A period of 0 means no sound, with the reason in
// `why` (`whySize` bytes).
AudioDeviceShape openAudioDevice(int rate, int period, AudioFill fill, char* why, int whySize);
void closeAudioDevice();
bool audioDeviceOpen();
// Holds the fill callback off while the caller changes what it reads.
void lockAudioDevice();
void unlockAudioDevice();

// Converts interleaved s16 of the source's layout to interleaved stereo
// s16 at the output rate.
struct AudioConverter;
AudioConverter* newAudioConverter(int channels, int sourceRate, int outputRate);
void freeAudioConverter(AudioConverter* converter);
void converterPut(AudioConverter* converter, const int16_t* samples, int frames);
// Frames ready to take.
int converterAvailable(AudioConverter* converter);
int converterGet(AudioConverter* converter, int16_t* out, int frames);
// Hands over everything still held back for look-ahead (end of input).
void converterFlush(AudioConverter* converter);
void converterClear(AudioConverter* converter);
