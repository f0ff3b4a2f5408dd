#include "platform/audio.h"

#include <SDL.h>
#include <pthread.h>
#include <sched.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

static SDL_AudioDeviceID device = 0;
static AudioFill deviceFill = nullptr;

// The thread that fills the device asks for real-time scheduling once
// (granted to root, or where RLIMIT_RTPRIO allows): on a busy machine the
// picture may wait, the sound must not. Refused, it keeps the high
// priority SDL gave it.
static void raiseFillThread()
{
    static thread_local bool asked = false;
    if (asked)
        return;
    asked = true;
    sched_param param{};
    param.sched_priority = 10;
    pthread_setschedparam(pthread_self(), SCHED_RR, &param);
}

static void SDLCALL deviceCallback(void*, Uint8* buffer, int bytes)
{
    raiseFillThread();
    deviceFill((int16_t*)buffer, bytes / 4);
}

// SDL's PulseAudio stream asks the server for one period in all, so the
// server asks for the next period only when the last is nearly played out
// and any delay on our side is heard as a gap. libpulse's own
// PULSE_LATENCY_MSEC sets the stream's target length: two periods, like the
// other drivers' double buffer, unless the user chose a length. Returns the
// frames the device then holds.
static int prepareDriver(int rate, int period)
{
    const char* chosen = std::getenv("PULSE_LATENCY_MSEC");
    int ms = chosen ? std::atoi(chosen) : 0;
    if (ms <= 0) {
        ms = (2 * period * 1000 + rate - 1) / rate;
        char text[16];
        std::snprintf(text, sizeof text, "%d", ms);
        setenv("PULSE_LATENCY_MSEC", text, 1);
    }
    return (int)((int64_t)ms * rate / 1000);
}

static int queuedFrames(const char* driver, int pulseFrames, int period)
{
    return driver && std::strcmp(driver, "pulseaudio") == 0 ? pulseFrames : 2 * period;
}

AudioDeviceShape openAudioDevice(int rate, int period, AudioFill fill, char* why, int whySize)
{
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        std::snprintf(why, (size_t)whySize, "no audio driver could start (%s)", SDL_GetError());
        return AudioDeviceShape{0, 0};
    }
    const int pulseFrames = prepareDriver(rate, period);
    SDL_AudioSpec want{}, have{};
    want.freq = rate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = (Uint16)period;
    want.callback = deviceCallback;
    deviceFill = fill;
    device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    const char* driver = SDL_GetCurrentAudioDriver();
    if (device == 0) {
        std::snprintf(why, (size_t)whySize, "the %s driver opened no output (%s)", driver ? driver : "audio",
                      SDL_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return AudioDeviceShape{0, 0};
    }
    SDL_PauseAudioDevice(device, 0);
    return AudioDeviceShape{have.samples, queuedFrames(driver, pulseFrames, have.samples)};
}

void closeAudioDevice()
{
    if (device == 0)
        return;
    SDL_CloseAudioDevice(device);
    device = 0;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool audioDeviceOpen()
{
    return device != 0;
}

void lockAudioDevice()
{
    if (device)
        SDL_LockAudioDevice(device);
}

void unlockAudioDevice()
{
    if (device)
        SDL_UnlockAudioDevice(device);
}

struct AudioConverter {
    SDL_AudioStream* stream;
    int channels;
};

AudioConverter* newAudioConverter(int channels, int sourceRate, int outputRate)
{
    SDL_AudioStream* stream =
        SDL_NewAudioStream(AUDIO_S16SYS, (Uint8)channels, sourceRate, AUDIO_S16SYS, 2, outputRate);
    if (!stream)
        return nullptr;
    return new AudioConverter{stream, channels};
}

void freeAudioConverter(AudioConverter* converter)
{
    if (!converter)
        return;
    SDL_FreeAudioStream(converter->stream);
    delete converter;
}

void converterPut(AudioConverter* converter, const int16_t* samples, int frames)
{
    SDL_AudioStreamPut(converter->stream, samples, frames * converter->channels * (int)sizeof(int16_t));
}

int converterAvailable(AudioConverter* converter)
{
    return SDL_AudioStreamAvailable(converter->stream) / 4;
}

int converterGet(AudioConverter* converter, int16_t* out, int frames)
{
    return SDL_AudioStreamGet(converter->stream, out, frames * 4) / 4;
}

void converterFlush(AudioConverter* converter)
{
    SDL_AudioStreamFlush(converter->stream);
}

void converterClear(AudioConverter* converter)
{
    SDL_AudioStreamClear(converter->stream);
}
