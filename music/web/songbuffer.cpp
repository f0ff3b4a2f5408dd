// The song's samples in a browser: the page decodes the MP3 once
// (decodeAudioData at the file's own rate) and copies the samples into the
// buffer it asks for here; every decoder opened afterwards reads from it, so
// the sound layer's spectrum and clock work on the same samples as natively.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "music/mp3decode.h"

static struct {
    int16_t* samples = nullptr;
    int64_t frames = 0;
    int channels = 0;
    int rate = 0;
} song;

// Exported by the link (web/CMakeLists.txt) for the page to call.
extern "C" int16_t* zantWebSongBuffer(int frames, int channels, int rate)
{
    std::free(song.samples);
    song = {};
    if (frames <= 0 || channels < 1 || channels > 2 || rate <= 0)
        return nullptr;
    song.samples = (int16_t*)std::malloc((size_t)frames * channels * sizeof(int16_t));
    if (!song.samples)
        return nullptr;
    song.frames = frames;
    song.channels = channels;
    song.rate = rate;
    return song.samples;
}

struct Mp3Decoder {
    int64_t at;
};

Mp3Decoder* mp3Open(const unsigned char*, size_t, Mp3OpenResult* result)
{
    if (!song.samples) {
        *result = MP3_NOT_MP3;
        return nullptr;
    }
    *result = MP3_OK;
    return new Mp3Decoder{0};
}

void mp3Close(Mp3Decoder* decoder)
{
    delete decoder;
}

Mp3Info mp3Info(const Mp3Decoder*)
{
    return Mp3Info{song.rate, song.channels, song.frames};
}

int mp3Read(Mp3Decoder* decoder, int16_t* out, int frames)
{
    int64_t n = std::max<int64_t>(0, std::min<int64_t>(frames, song.frames - decoder->at));
    std::memcpy(out, song.samples + decoder->at * song.channels, (size_t)(n * song.channels) * sizeof(int16_t));
    decoder->at += n;
    return (int)n;
}

bool mp3Seek(Mp3Decoder* decoder, int64_t sample)
{
    decoder->at = std::max<int64_t>(0, std::min(sample, song.frames));
    return true;
}
