#include "platform/audio.h"

#include <SDL.h>
#include <cstdio>

static SDL_AudioDeviceID device = 0;
static AudioFill deviceFill = nullptr;

static void SDLCALL deviceCallback(void*, Uint8* buffer, int bytes)
{
    deviceFill((int16_t*)buffer, bytes / 4);
}

int openAudioDevice(int rate, int period, AudioFill fill, char* why, int whySize)
{
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        std::snprintf(why, (size_t)whySize, "no audio driver could start (%s)", SDL_GetError());
        return 0;
    }
    SDL_AudioSpec want{}, have{};
    want.freq = rate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = (Uint16)period;
    want.callback = deviceCallback;
    deviceFill = fill;
    device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device == 0) {
        std::snprintf(why, (size_t)whySize, "the %s driver opened no output (%s)", SDL_GetCurrentAudioDriver(), SDL_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return 0;
    }
    SDL_PauseAudioDevice(device, 0);
    return have.samples;
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
