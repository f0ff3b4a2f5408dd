// Decoding and conversion: the MP3 decoder feeding the rate converter, on
// a chunk grid that keeps every frame where a full decode puts it, and the
// loop's sample-exact seams.
#include <algorithm>
#include <cstring>

#include "music/soundstate.h"

static int64_t greatestDivisor(int64_t a, int64_t b)
{
    while (b) {
        int64_t t = a % b;
        a = b;
        b = t;
    }
    return a;
}

// SDL's converter rounds each batch's output down to whole frames and starts
// the next batch afresh, so batches of any size slowly lose time (about 0.04%
// at 48 kHz in 1152-frame batches). A batch whose length converts to a whole
// number of output frames loses nothing.
int convertChunk(int sourceRate)
{
    int unit = (int)(sourceRate / greatestDivisor(sourceRate, soundLayer.rate));
    return unit * ((CONVERT_CHUNK + unit - 1) / unit);
}

static void putChunk(const SoundStream* s, Conversion& c)
{
    converterPut(c.converter, c.pending, s->chunkFrames);
    c.pendingFrames = 0;
}

// At the end the last batch is padded with silence, one more silent batch
// pushes the resampler's look-ahead through, and the flush hands it all
// over; outLimit then cuts the output where the sound ends.
static void feedConverter(const SoundStream* s, Conversion& c)
{
    const int channels = s->info.channels;
    while (c.pendingFrames < s->chunkFrames) {
        int n = mp3Read(c.decoder, c.pending + c.pendingFrames * channels, s->chunkFrames - c.pendingFrames);
        if (n <= 0)
            break;
        c.pendingFrames += n;
        c.fedFrames += n;
    }
    if (c.pendingFrames == s->chunkFrames) {
        putChunk(s, c);
        return;
    }
    std::memset(c.pending + c.pendingFrames * channels, 0,
                (size_t)(s->chunkFrames - c.pendingFrames) * channels * sizeof(int16_t));
    putChunk(s, c);
    std::memset(c.pending, 0, (size_t)s->chunkFrames * channels * sizeof(int16_t));
    putChunk(s, c);
    converterFlush(c.converter);
    c.flushed = true;
    int64_t converted = (c.fedFrames * soundLayer.rate + s->info.rate - 1) / s->info.rate;
    c.outLimit = std::min(s->lengthFrames, c.seekFrame + converted);
}

int renderFrames(const SoundStream* s, Conversion& c, int16_t* out, int frames)
{
    int filled = 0;
    while (filled < frames && c.outFrame < c.outLimit) {
        int available = converterAvailable(c.converter);
        if (available > 0 && c.skipFrames > 0) {
            int16_t scratch[CONVERT_CHUNK * 2];
            int want = (int)std::min<int64_t>(std::min(available, CONVERT_CHUNK), c.skipFrames);
            int got = converterGet(c.converter, scratch, want);
            if (got <= 0)
                break;
            c.skipFrames -= got;
            c.outFrame += got;
            continue;
        }
        if (available > 0) {
            int64_t want = std::min<int64_t>(std::min(available, frames - filled), c.outLimit - c.outFrame);
            int got = converterGet(c.converter, out + filled * 2, (int)want);
            if (got <= 0)
                break;
            filled += got;
            c.outFrame += got;
            continue;
        }
        if (c.flushed)
            break;
        feedConverter(s, c);
    }
    std::memset(out + filled * 2, 0, (size_t)(frames - filled) * 4);
    return filled;
}

int64_t nextFrame(const SoundStream* s)
{
    return s->play.outFrame + s->play.skipFrames;
}

// Going back to the loop's start each time the loop's end is reached: the
// seam is sample-exact (the frame before the end, then the start), so the
// beat keeps its place. At most MAX_SEAMS seams are noted.
int renderLooped(SoundStream* s, int16_t* out, int frames, Seam* seams, int* seamCount)
{
    int filled = 0;
    while (filled < frames) {
        const LoopRange& loop = s->loop;
        int want = frames - filled;
        bool bounded = loop.on && nextFrame(s) < loop.end;
        if (bounded)
            want = (int)std::min<int64_t>(want, loop.end - nextFrame(s));
        int got = renderFrames(s, s->play, out + filled * 2, want);
        filled += got;
        if (bounded && s->play.outFrame >= loop.end) {
            seekDecoder(s, s->play, loop.start);
            if (*seamCount < MAX_SEAMS)
                seams[(*seamCount)++] = Seam{(double)filled, (double)loop.start};
            continue;
        }
        if (got < want)
            break;
    }
    std::memset(out + filled * 2, 0, (size_t)(frames - filled) * 4);
    return filled;
}

// Conversion restarts on the chunk grid one chunk ahead of the target, and
// the frames up to the target are dropped: the converter then has the same
// input around every frame as in a run from the start, so what follows a
// seek is exactly what a full decode gives at that frame.
void seekDecoder(const SoundStream* s, Conversion& c, int64_t frame)
{
    int64_t chunk = std::max<int64_t>(0, frame / s->chunkOutFrames - 1);
    mp3Seek(c.decoder, chunk * s->chunkFrames);
    converterClear(c.converter);
    c.pendingFrames = 0;
    c.fedFrames = 0;
    c.seekFrame = c.outFrame = chunk * s->chunkOutFrames;
    c.skipFrames = frame - c.outFrame;
    c.outLimit = s->lengthFrames;
    c.flushed = false;
}

bool openConversion(const SoundStream* s, Conversion& c)
{
    Mp3OpenResult result;
    c.decoder = mp3Open((const unsigned char*)s->data, (size_t)s->dataLength, &result);
    c.converter = c.decoder ? newAudioConverter(s->info.channels, s->info.rate, soundLayer.rate) : nullptr;
    if (!c.converter)
        return false;
    c.pending = new int16_t[(size_t)s->chunkFrames * s->info.channels];
    c.outLimit = s->lengthFrames;
    return true;
}

void closeConversion(Conversion& c)
{
    mp3Close(c.decoder);
    freeAudioConverter(c.converter);
    delete[] c.pending;
    c = Conversion{};
}
