// Reads an MP3 file back to float samples (see decode.h). Gapless decoding
// drops the encoder's padding, so the length matches what was encoded.
#include "decode.h"

#include <mpg123.h>

#include <cstring>

bool decodeMp3(const std::string& path, DecodedAudio& out, std::string& error)
{
    int err = MPG123_OK;
    mpg123_handle* mh = mpg123_new(nullptr, &err);
    if (!mh) {
        error = std::string("cannot start the MP3 decoder: ") + mpg123_plain_strerror(err);
        return false;
    }
    mpg123_param(mh, MPG123_FLAGS, MPG123_GAPLESS | MPG123_QUIET, 0.0);
    mpg123_format_none(mh);
    for (long rate : {32000L, 44100L, 48000L})
        mpg123_format(mh, rate, MPG123_MONO | MPG123_STEREO, MPG123_ENC_FLOAT_32);
    if (mpg123_open(mh, path.c_str()) != MPG123_OK) {
        error = path + ": cannot open: " + mpg123_strerror(mh);
        mpg123_delete(mh);
        return false;
    }
    long rate = 0;
    int channels = 0, encoding = 0;
    if (mpg123_getformat(mh, &rate, &channels, &encoding) != MPG123_OK) {
        error = path + ": not an MP3 stream: " + mpg123_strerror(mh);
        mpg123_close(mh);
        mpg123_delete(mh);
        return false;
    }
    out.rate = rate;
    out.channels = channels;
    out.samples.clear();
    std::vector<unsigned char> buf(1 << 16);
    for (;;) {
        size_t got = 0;
        int rc = mpg123_read(mh, buf.data(), buf.size(), &got);
        size_t have = out.samples.size(), count = got / sizeof(float);
        out.samples.resize(have + count);
        std::memcpy(out.samples.data() + have, buf.data(), count * sizeof(float));
        if (rc == MPG123_DONE)
            break;
        if (rc != MPG123_OK && rc != MPG123_NEW_FORMAT) {
            error = path + ": decoding failed: " + mpg123_strerror(mh);
            mpg123_close(mh);
            mpg123_delete(mh);
            return false;
        }
    }
    mpg123_close(mh);
    mpg123_delete(mh);
    if (out.samples.empty()) {
        error = path + ": no audio in the file";
        return false;
    }
    return true;
}
