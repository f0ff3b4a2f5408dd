// Sound in a browser is the page's (Web Audio plays the decoded song), so no
// device opens here. The converter only turns the song's own samples into
// the stereo frames the sound layer counts in: the page decodes at the
// song's rate, which is the clock's rate for the show's songs.
#include "platform/audio.h"

#include <cstdio>
#include <cstring>
#include <deque>

AudioDeviceShape openAudioDevice(int, int, AudioFill, char* why, int whySize)
{
    std::snprintf(why, whySize, "the page plays the sound");
    return AudioDeviceShape{0, 0};
}

void closeAudioDevice() {}

bool audioDeviceOpen()
{
    return false;
}

void lockAudioDevice() {}

void unlockAudioDevice() {}

struct AudioConverter {
    int channels;
    double step;     // source frames per output frame
    double at = 0.0; // position of the next output frame in `frames`
    std::deque<int16_t> frames;  // stereo source frames, interleaved
};

AudioConverter* newAudioConverter(int channels, int sourceRate, int outputRate)
{
    if (channels < 1 || channels > 2 || sourceRate <= 0 || outputRate <= 0)
        return nullptr;
    AudioConverter* c = new AudioConverter;
    c->channels = channels;
    c->step = (double)sourceRate / outputRate;
    return c;
}

void freeAudioConverter(AudioConverter* converter)
{
    delete converter;
}

void converterPut(AudioConverter* c, const int16_t* samples, int frames)
{
    for (int i = 0; i < frames; i++) {
        int16_t left = samples[i * c->channels];
        c->frames.push_back(left);
        c->frames.push_back(c->channels == 2 ? samples[i * 2 + 1] : left);
    }
}

int converterAvailable(AudioConverter* c)
{
    double held = (double)(c->frames.size() / 2) - c->at;
    return held > 0.0 ? (int)(held / c->step) : 0;
}

// Nearest source frame: the rates are the same for the show's songs, where
// this copies every frame unchanged.
int converterGet(AudioConverter* c, int16_t* out, int frames)
{
    int n = 0;
    while (n < frames && (size_t)c->at < c->frames.size() / 2) {
        size_t i = (size_t)c->at;
        out[n * 2] = c->frames[i * 2];
        out[n * 2 + 1] = c->frames[i * 2 + 1];
        c->at += c->step;
        n++;
    }
    size_t used = (size_t)c->at;
    c->frames.erase(c->frames.begin(), c->frames.begin() + (long)(used * 2));
    c->at -= (double)used;
    return n;
}

void converterFlush(AudioConverter*) {}

void converterClear(AudioConverter* c)
{
    c->frames.clear();
    c->at = 0.0;
}
