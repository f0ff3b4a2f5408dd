// MP3 decoding from an in-memory file image with libmpg123: gapless, with an
// index built at open so the length is exact and seeks land on the sample.
#pragma once
#include <cstddef>
#include <cstdint>

struct Mp3Decoder;

struct Mp3Info {
    int rate;               // source sample rate in Hz
    int channels;           // 1 or 2
    int64_t lengthSamples;  // per channel, encoder delay and padding removed
};

enum Mp3OpenResult { MP3_OK = 0, MP3_NOT_MP3 = 1, MP3_NO_MEMORY = 2 };

// The image must outlive the decoder. Returns null with *result set when the
// data holds no decodable MPEG audio.
Mp3Decoder* mp3Open(const unsigned char* data, size_t size, Mp3OpenResult* result);
void mp3Close(Mp3Decoder* decoder);
Mp3Info mp3Info(const Mp3Decoder* decoder);
// Decodes up to `frames` frames of interleaved signed 16-bit samples at the
// source rate and channel count; returns the frames written, 0 at the end.
int mp3Read(Mp3Decoder* decoder, int16_t* out, int frames);
// Moves to the given sample (per channel); past the end leaves it at the end.
bool mp3Seek(Mp3Decoder* decoder, int64_t sample);
