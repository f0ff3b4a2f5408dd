#include "music/mp3decode.h"

#include <mpg123.h>

#include <cstdio>
#include <cstring>
#include <mutex>

struct MemoryImage {
    const unsigned char* data;
    size_t size;
    size_t pos;
};

struct Mp3Decoder {
    mpg123_handle* handle;
    MemoryImage image;
    Mp3Info info;
    int64_t position;  // next sample mp3Read returns
    bool ended;
};

static mpg123_ssize_t readImage(void* h, void* buffer, size_t bytes)
{
    MemoryImage* image = (MemoryImage*)h;
    size_t left = image->size - image->pos;
    size_t n = bytes < left ? bytes : left;
    std::memcpy(buffer, image->data + image->pos, n);
    image->pos += n;
    return (mpg123_ssize_t)n;
}

static off_t seekImage(void* h, off_t offset, int whence)
{
    MemoryImage* image = (MemoryImage*)h;
    off_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? (off_t)image->pos : (off_t)image->size;
    off_t target = base + offset;
    if (target < 0 || target > (off_t)image->size)
        return -1;
    image->pos = (size_t)target;
    return target;
}

static void releaseImage(void*)
{
}

static bool initLibrary()
{
    static std::once_flag once;
    static bool ok = false;
    std::call_once(once, [] { ok = mpg123_init() == MPG123_OK; });
    return ok;
}

// Signed 16-bit at whatever rate and channel count the file has: conversion
// to the output format is the mixer's job, not the decoder's.
static void allowNativeFormats(mpg123_handle* mh)
{
    const long* rates = nullptr;
    size_t count = 0;
    mpg123_rates(&rates, &count);
    mpg123_format_none(mh);
    for (size_t i = 0; i < count; i++)
        mpg123_format(mh, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
}

static mpg123_handle* newHandle()
{
    int err = MPG123_OK;
    mpg123_handle* mh = mpg123_new(nullptr, &err);
    if (!mh)
        return nullptr;
    mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_GAPLESS | MPG123_QUIET, 0.0);
    mpg123_param(mh, MPG123_REMOVE_FLAGS, MPG123_FUZZY, 0.0);
    // A layer III frame may take its data from up to 511 bytes back; at low
    // VBR rates that spans many small frames, and a seek that decodes fewer
    // in advance starts with silence instead of the sound at that sample.
    mpg123_param(mh, MPG123_PREFRAMES, 16, 0.0);
    allowNativeFormats(mh);
    return mh;
}

// The first format the stream announces is the one it keeps: a file whose
// later frames claim another rate must not change the output under us.
static bool fixFormat(Mp3Decoder* d)
{
    long rate = 0;
    int channels = 0, encoding = 0;
    if (mpg123_getformat(d->handle, &rate, &channels, &encoding) != MPG123_OK)
        return false;
    if (rate <= 0 || (channels != 1 && channels != 2) || encoding != MPG123_ENC_SIGNED_16)
        return false;
    mpg123_format_none(d->handle);
    mpg123_format(d->handle, rate, channels, MPG123_ENC_SIGNED_16);
    d->info.rate = (int)rate;
    d->info.channels = channels;
    return true;
}

Mp3Decoder* mp3Open(const unsigned char* data, size_t size, Mp3OpenResult* result)
{
    *result = MP3_NO_MEMORY;
    if (!initLibrary())
        return nullptr;
    Mp3Decoder* d = new Mp3Decoder{};
    d->image = MemoryImage{data, size, 0};
    d->handle = newHandle();
    if (!d->handle) {
        delete d;
        return nullptr;
    }
    *result = MP3_NOT_MP3;
    bool ok = size > 0 && mpg123_replace_reader_handle(d->handle, readImage, seekImage, releaseImage) == MPG123_OK &&
        mpg123_open_handle(d->handle, &d->image) == MPG123_OK && mpg123_scan(d->handle) == MPG123_OK && fixFormat(d);
    if (ok) {
        off_t length = mpg123_length(d->handle);
        d->info.lengthSamples = length;
        ok = length > 0 && mpg123_seek(d->handle, 0, SEEK_SET) == 0;
    }
    if (!ok) {
        mp3Close(d);
        return nullptr;
    }
    *result = MP3_OK;
    return d;
}

void mp3Close(Mp3Decoder* decoder)
{
    if (!decoder)
        return;
    if (decoder->handle) {
        mpg123_close(decoder->handle);
        mpg123_delete(decoder->handle);
    }
    delete decoder;
}

Mp3Info mp3Info(const Mp3Decoder* decoder)
{
    return decoder->info;
}

// Reading stops at the scanned length, so what plays and what the clock calls
// the end agree even where damaged data would decode a few frames more.
int mp3Read(Mp3Decoder* decoder, int16_t* out, int frames)
{
    const size_t frameBytes = sizeof(int16_t) * decoder->info.channels;
    int64_t left = decoder->info.lengthSamples - decoder->position;
    if (left < frames)
        frames = left > 0 ? (int)left : 0;
    size_t wanted = (size_t)frames * frameBytes;
    size_t got = 0;
    while (got < wanted && !decoder->ended) {
        size_t done = 0;
        int err = mpg123_read(decoder->handle, (unsigned char*)out + got, wanted - got, &done);
        got += done;
        if (err == MPG123_NEW_FORMAT || (err == MPG123_OK && done > 0))
            continue;
        // The end, a truncated last frame or damage past repair: what was
        // decoded plays, then the stream ends as if it were complete.
        if (err != MPG123_OK || done == 0)
            decoder->ended = true;
    }
    decoder->position += (int64_t)(got / frameBytes);
    return (int)(got / frameBytes);
}

bool mp3Seek(Mp3Decoder* decoder, int64_t sample)
{
    if (sample < 0)
        sample = 0;
    if (sample >= decoder->info.lengthSamples) {
        decoder->position = decoder->info.lengthSamples;
        decoder->ended = true;
        return true;
    }
    off_t at = mpg123_seek(decoder->handle, (off_t)sample, SEEK_SET);
    decoder->position = sample;
    decoder->ended = at < 0;
    return at == (off_t)sample;
}
