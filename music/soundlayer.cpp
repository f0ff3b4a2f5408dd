#include "music/soundlayer.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "music/analyser.h"
#include "music/mp3decode.h"
#include "platform/audio.h"

using Clock = std::chrono::steady_clock;

// What the device has been given is kept as a mono mix, so the spectrum can
// look at the samples the listener hears now, a few periods behind the writes.
const int RING_FRAMES = 1 << 17;
const int DEVICE_PERIOD = 512;
const int CONVERT_CHUNK = 1024;
// The offline spectrum's decoded copy: at most about 6 s of it is held, it
// grows in steps, and a window further ahead than the jump is reached by a
// seek rather than by decoding everything before it.
const int64_t COPY_MAX_FRAMES = 1 << 18;
const int64_t COPY_JUMP_FRAMES = 1 << 16;
const int COPY_STEP = 4096;

// Where the stream is, shared between the audio thread and its readers.
struct PlayClock {
    bool running = false;       // playing and not paused
    int64_t baseFrame = 0;      // where the last start or seek put the stream
    int64_t writtenFrames = 0;  // frames handed to the device since then
    double heardAtMark = 0.0;   // output frame heard at `mark`
    double capAtMark = 0.0;     // what the next device period will report
    Clock::time_point mark{};
    int64_t endFrame = -1;      // one past the last frame; -1 until known
    bool endFired = false;
    unsigned generation = 0;    // bumped by every seek
};

// One decode-and-convert position: an MP3 decoder feeding the rate
// converter, and where its output stands against the song's frames.
struct Conversion {
    Mp3Decoder* decoder = nullptr;
    AudioConverter* converter = nullptr;
    // Source frames go to the converter in chunks of chunkFrames only.
    int16_t* pending = nullptr;
    int pendingFrames = 0;
    int64_t skipFrames = 0;  // converted frames before the seek target
    int64_t fedFrames = 0;   // source frames converted since the last seek
    int64_t seekFrame = 0;   // output frame where conversion restarted
    int64_t outFrame = 0;    // output frame the next render starts at
    int64_t outLimit = 0;    // output frame where the sound ends
    bool flushed = false;    // the decoder is exhausted and the converter flushed
};

// Without a device the spectrum reads the sound from here: a stretch of the
// converted sound as mono samples, decoded once in order by its own
// decoder, so a frame's window is a copy instead of a seek and a decode.
// It slides along with the frames asked for and holds at most
// COPY_MAX_FRAMES of them.
struct DecodedCopy {
    Conversion conversion;
    std::vector<float> mono;  // mono[i] is output frame from + i
    int64_t from = 0;
};

struct SoundStream {
    const char* data = nullptr;
    int dataLength = 0;
    Mp3Info info{};
    Conversion play;
    int chunkFrames = 0;
    int64_t chunkOutFrames = 0;  // what one chunk converts to, exactly
    int64_t lengthFrames = 0;
    int lengthMs = 0;
    SoundStreamCallback endCallback = nullptr;
    int endUser = 0;

    std::mutex lock;  // guards clock and ring
    PlayClock clock;
    float* ring = nullptr;
    int64_t ringFrom = 0, ringTo = 0;

    // Read side: readings never run backwards between seeks.
    double lastReported = 0.0;
    unsigned lastGeneration = 0;
    // Decoded-window spectrum of the last position asked for.
    int64_t spectrumFrame = -1;
    unsigned spectrumGeneration = 0;
    DecodedCopy* copy = nullptr;  // made by the first decoded window
};

static SoundOutput outputType = SOUND_OUTPUT_DEVICE;
static int lastError = SOUND_ERR_NONE;
static bool initialised = false;
static int outputRate = 44100;
static int periodFrames = DEVICE_PERIOD;
static int clockOffsetMs = 0;
static SoundStream* playing = nullptr;  // the one stream that plays
static bool analyserOn = false;
static float spectrum[SPECTRUM_BINS];

// The silent player of SOUND_OUTPUT_SILENT: a thread that wakes when the
// song would have ended and sends the end notification. Never destroyed, so
// an exit while it runs (a fatal error mid-show) does not tear it down.
struct SilentPlayer {
    std::thread* thread = nullptr;
    std::mutex mutex;
    std::condition_variable wake;
    bool quit = false;
};
static SilentPlayer& silent = *new SilentPlayer;

static bool fail(int error)
{
    lastError = error;
    return false;
}

static bool realtime()
{
    return outputType != SOUND_OUTPUT_OFFLINE;
}

static double secondsSince(Clock::time_point mark, Clock::time_point now)
{
    return std::chrono::duration<double>(now - mark).count();
}

// --- decoding and conversion ------------------------------------------------

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
static int convertChunk(int sourceRate)
{
    int unit = (int)(sourceRate / greatestDivisor(sourceRate, outputRate));
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
    int64_t converted = (c.fedFrames * outputRate + s->info.rate - 1) / s->info.rate;
    c.outLimit = std::min(s->lengthFrames, c.seekFrame + converted);
}

// Pulls converted frames (output rate, stereo, s16) through the decoder and
// the converter; zero-fills what the stream can no longer give.
static int renderFrames(const SoundStream* s, Conversion& c, int16_t* out, int frames)
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

// Conversion restarts on the chunk grid one chunk ahead of the target, and
// the frames up to the target are dropped: the converter then has the same
// input around every frame as in a run from the start, so what follows a
// seek is exactly what a full decode gives at that frame.
static void seekDecoder(const SoundStream* s, Conversion& c, int64_t frame)
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

// Each conversion has its own decoder on the stream's data.
static bool openConversion(const SoundStream* s, Conversion& c)
{
    Mp3OpenResult result;
    c.decoder = mp3Open((const unsigned char*)s->data, (size_t)s->dataLength, &result);
    c.converter = c.decoder ? newAudioConverter(s->info.channels, s->info.rate, outputRate) : nullptr;
    if (!c.converter)
        return false;
    c.pending = new int16_t[(size_t)s->chunkFrames * s->info.channels];
    c.outLimit = s->lengthFrames;
    return true;
}

static void closeConversion(Conversion& c)
{
    mp3Close(c.decoder);
    freeAudioConverter(c.converter);
    delete[] c.pending;
    c = Conversion{};
}

// --- the clock ----------------------------------------------------------------

// Caller holds s->lock.
static double heardFrame(const SoundStream* s, Clock::time_point now)
{
    const PlayClock& c = s->clock;
    if (!realtime() || !c.running)
        return c.heardAtMark;
    double moved = c.heardAtMark + secondsSince(c.mark, now) * outputRate;
    if (outputType == SOUND_OUTPUT_SILENT)
        return std::min(moved, (double)c.endFrame);
    return std::min(moved, c.capAtMark);
}

static void resetClock(SoundStream* s, int64_t frame)
{
    PlayClock& c = s->clock;
    c.baseFrame = frame;
    c.writtenFrames = 0;
    c.heardAtMark = c.capAtMark = (double)frame;
    c.mark = Clock::now();
    c.endFrame = outputType == SOUND_OUTPUT_SILENT ? s->lengthFrames : -1;
    c.generation++;
    s->ringFrom = s->ringTo = frame;
}

static void wakeSilentPlayer()
{
    std::lock_guard<std::mutex> guard(silent.mutex);
    silent.wake.notify_all();
}

// --- the device ---------------------------------------------------------------

static void keepHeard(SoundStream* s, const int16_t* out, int frames)
{
    for (int i = 0; i < frames; i++) {
        int64_t f = s->ringTo + i;
        s->ring[f & (RING_FRAMES - 1)] = (out[2 * i] + out[2 * i + 1]) / 65536.0f;
    }
    s->ringTo += frames;
}

// After this period is written the device holds it and the one playing, so
// the listener is two periods behind the writes; one period later the next
// call will say so again, which caps the clock until then.
static void deviceCallback(int16_t* out, int frames)
{
    SoundStream* s = playing;
    bool running = false;
    if (s) {
        std::lock_guard<std::mutex> guard(s->lock);
        running = s->clock.running;
    }
    if (!running) {
        std::memset(out, 0, (size_t)frames * 4);
        return;
    }
    int got = renderFrames(s, s->play, out, frames);
    Clock::time_point now = Clock::now();
    std::lock_guard<std::mutex> guard(s->lock);
    PlayClock& c = s->clock;
    if (got < frames && c.endFrame < 0)
        c.endFrame = c.baseFrame + c.writtenFrames + got;
    keepHeard(s, out, frames);
    c.writtenFrames += frames;
    c.heardAtMark = (double)(c.baseFrame + std::max<int64_t>(0, c.writtenFrames - 2 * periodFrames));
    c.capAtMark = (double)(c.baseFrame + std::max<int64_t>(0, c.writtenFrames - periodFrames));
    c.mark = now;
    if (c.endFrame >= 0 && c.heardAtMark >= c.endFrame && !c.endFired) {
        c.endFired = true;
        if (s->endCallback)
            s->endCallback(s, nullptr, 0, s->endUser);
    }
}

static bool openDevice()
{
    periodFrames = openAudioDevice(outputRate, DEVICE_PERIOD, deviceCallback);
    return periodFrames > 0;
}

// --- the silent player -------------------------------------------------------

// Returns when the end is due, or "never" while paused or already ended;
// sends the notification (under silent.mutex, so a closing stream waits).
static bool silentEndDue(Clock::time_point* due)
{
    SoundStream* s = playing;
    if (!s)
        return false;
    std::lock_guard<std::mutex> guard(s->lock);
    PlayClock& c = s->clock;
    if (!c.running || c.endFired)
        return false;
    double left = (c.endFrame - c.heardAtMark) / outputRate;
    *due = c.mark + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(left));
    if (Clock::now() < *due)
        return true;
    c.endFired = true;
    if (s->endCallback)
        s->endCallback(s, nullptr, 0, s->endUser);
    return false;
}

static void silentLoop()
{
    std::unique_lock<std::mutex> lock(silent.mutex);
    while (!silent.quit) {
        Clock::time_point due;
        if (silentEndDue(&due))
            silent.wake.wait_until(lock, due);
        else
            silent.wake.wait(lock);
    }
}

static void startSilentPlayer()
{
    silent.quit = false;
    silent.thread = new std::thread(silentLoop);
}

static void stopSilentPlayer()
{
    if (!silent.thread)
        return;
    {
        std::lock_guard<std::mutex> guard(silent.mutex);
        silent.quit = true;
        silent.wake.notify_all();
    }
    silent.thread->join();
    delete silent.thread;
    silent.thread = nullptr;
}

// --- the library calls -------------------------------------------------------

bool soundInit(SoundOutput output, int mixRate)
{
    if (initialised)
        return fail(SOUND_ERR_BUSY);
    if (mixRate < 8000)
        return fail(SOUND_ERR_INVALID_PARAM);
    outputType = output;
    outputRate = mixRate;
    if (outputType == SOUND_OUTPUT_DEVICE && !openDevice())
        return fail(SOUND_ERR_INIT);
    if (outputType == SOUND_OUTPUT_SILENT)
        startSilentPlayer();
    initialised = true;
    lastError = SOUND_ERR_NONE;
    return true;
}

void soundClose()
{
    stopSilentPlayer();
    closeAudioDevice();
    playing = nullptr;
    analyserOn = false;
    initialised = false;
}

int soundGetError()
{
    return lastError;
}

SoundStream* soundStreamOpen(const char* data, int length)
{
    if (!initialised) {
        fail(SOUND_ERR_UNINITIALIZED);
        return nullptr;
    }
    if (!data || length < 0) {
        fail(SOUND_ERR_INVALID_PARAM);
        return nullptr;
    }
    if (length == 0) {
        fail(SOUND_ERR_FILE_BAD);
        return nullptr;
    }
    Mp3OpenResult result;
    Mp3Decoder* decoder = mp3Open((const unsigned char*)data, (size_t)length, &result);
    if (!decoder) {
        fail(result == MP3_NOT_MP3 ? SOUND_ERR_FILE_FORMAT : SOUND_ERR_MEMORY);
        return nullptr;
    }
    Mp3Info info = mp3Info(decoder);
    AudioConverter* converter = newAudioConverter(info.channels, info.rate, outputRate);
    if (!converter) {
        mp3Close(decoder);
        fail(SOUND_ERR_MEMORY);
        return nullptr;
    }
    SoundStream* s = new SoundStream;
    s->data = data;
    s->dataLength = length;
    s->info = info;
    s->play.decoder = decoder;
    s->play.converter = converter;
    s->lengthFrames = (info.lengthSamples * outputRate + info.rate - 1) / info.rate;
    s->lengthMs = (int)(info.lengthSamples * 1000 / info.rate);
    s->play.outLimit = s->lengthFrames;
    s->chunkFrames = convertChunk(info.rate);
    s->chunkOutFrames = (int64_t)s->chunkFrames * outputRate / info.rate;
    s->play.pending = new int16_t[(size_t)s->chunkFrames * info.channels];
    s->ring = new float[RING_FRAMES]();
    resetClock(s, 0);
    return s;
}

static void detach(SoundStream* s)
{
    if (playing != s)
        return;
    lockAudioDevice();
    {
        std::lock_guard<std::mutex> guard(silent.mutex);
        playing = nullptr;
        silent.wake.notify_all();
    }
    unlockAudioDevice();
}

bool soundStreamClose(SoundStream* stream)
{
    if (!stream)
        return fail(SOUND_ERR_INVALID_PARAM);
    detach(stream);
    closeConversion(stream->play);
    if (stream->copy)
        closeConversion(stream->copy->conversion);
    delete stream->copy;
    delete[] stream->ring;
    delete stream;
    return true;
}

bool soundStreamSetEndCallback(SoundStream* stream, SoundStreamCallback callback, int userValue)
{
    if (!stream)
        return fail(SOUND_ERR_INVALID_PARAM);
    lockAudioDevice();
    {
        std::lock_guard<std::mutex> guard(silent.mutex);
        stream->endCallback = callback;
        stream->endUser = userValue;
    }
    unlockAudioDevice();
    return true;
}

bool soundStreamPlay(SoundStream* stream, bool paused)
{
    if (!initialised)
        return fail(SOUND_ERR_UNINITIALIZED);
    if (!stream)
        return fail(SOUND_ERR_INVALID_PARAM);
    if (playing)
        return fail(SOUND_ERR_CHANNEL_ALLOC);
    lockAudioDevice();
    {
        std::lock_guard<std::mutex> guard(stream->lock);
        stream->clock.running = !paused;
        stream->clock.mark = Clock::now();
    }
    {
        std::lock_guard<std::mutex> guard(silent.mutex);
        playing = stream;
        silent.wake.notify_all();
    }
    unlockAudioDevice();
    return true;
}

bool soundStreamSetPaused(SoundStream* s, bool paused)
{
    if (!s || s != playing)
        return fail(SOUND_ERR_INVALID_PARAM);
    {
        std::lock_guard<std::mutex> guard(s->lock);
        PlayClock& c = s->clock;
        Clock::time_point now = Clock::now();
        if (paused && c.running) {
            c.heardAtMark = c.capAtMark = heardFrame(s, now);
            c.running = false;
        } else if (!paused && !c.running) {
            c.mark = now;
            c.running = true;
        }
    }
    wakeSilentPlayer();
    return true;
}

// The reading in output frames, held from running backwards between seeks.
static double readFrame(SoundStream* s, unsigned* generation = nullptr)
{
    std::lock_guard<std::mutex> guard(s->lock);
    if (generation)
        *generation = s->clock.generation;
    double frame = heardFrame(s, Clock::now());
    if (s->lastGeneration == s->clock.generation && frame < s->lastReported)
        frame = s->lastReported;
    s->lastReported = frame;
    s->lastGeneration = s->clock.generation;
    return frame;
}

static double offsetFrames()
{
    return realtime() ? clockOffsetMs * (double)outputRate / 1000.0 : 0.0;
}

int soundStreamGetTime(SoundStream* stream)
{
    if (!stream) {
        fail(SOUND_ERR_INVALID_PARAM);
        return 0;
    }
    double frame = readFrame(stream) - offsetFrames();
    int64_t ms = (int64_t)std::floor(frame * 1000.0 / outputRate);
    if (ms < 0)
        ms = 0;
    if (realtime() && ms > stream->lengthMs)
        ms = stream->lengthMs;
    return (int)ms;
}

// Frames are rounded up so that reading the time back gives the same ms.
bool soundStreamSetTime(SoundStream* stream, int ms)
{
    if (!stream)
        return fail(SOUND_ERR_INVALID_PARAM);
    if (ms < 0)
        ms = 0;
    int64_t frame = ((int64_t)ms * outputRate + 999) / 1000;
    if (realtime())
        frame = std::min(frame, stream->lengthFrames);
    bool onDevice = audioDeviceOpen() && playing == stream;
    if (onDevice)
        lockAudioDevice();
    seekDecoder(stream, stream->play, frame);
    {
        std::lock_guard<std::mutex> guard(stream->lock);
        bool running = stream->clock.running;
        resetClock(stream, frame);
        stream->clock.running = running;
    }
    if (onDevice)
        unlockAudioDevice();
    wakeSilentPlayer();
    return true;
}

int soundStreamGetLengthMs(SoundStream* stream)
{
    if (!stream) {
        fail(SOUND_ERR_INVALID_PARAM);
        return 0;
    }
    return stream->lengthMs;
}

void soundSetClockOffset(int ms)
{
    clockOffsetMs = ms;
}

int soundStreamRender(SoundStream* stream, int16_t* out, int frames)
{
    if (!stream || frames < 0 || (audioDeviceOpen() && playing == stream)) {
        fail(SOUND_ERR_INVALID_PARAM);
        return 0;
    }
    return renderFrames(stream, stream->play, out, frames);
}

// --- the spectrum -------------------------------------------------------------

void soundSetSpectrumActive(bool active)
{
    analyserOn = active;
}

static void heardWindow(SoundStream* s, int64_t end, float* mono)
{
    std::lock_guard<std::mutex> guard(s->lock);
    int64_t oldest = std::max(s->ringFrom, s->ringTo - RING_FRAMES);
    for (int i = 0; i < SPECTRUM_WINDOW; i++) {
        int64_t f = end - SPECTRUM_WINDOW + i;
        mono[i] = (f >= oldest && f < s->ringTo) ? s->ring[f & (RING_FRAMES - 1)] : 0.0f;
    }
}

// Without a device nothing was written, so the window comes from the
// decoded copy. The copy runs forward from where the last jump put it: a
// frame there holds exactly what a full decode gives (see seekDecoder), so
// the window does not depend on what was asked for before.
static bool fillCopy(SoundStream* s, int64_t first, int64_t end)
{
    if (!s->copy) {
        s->copy = new DecodedCopy;
        if (!openConversion(s, s->copy->conversion)) {
            closeConversion(s->copy->conversion);
            delete s->copy;
            s->copy = nullptr;
            return false;
        }
        seekDecoder(s, s->copy->conversion, first);
        s->copy->from = first;
    }
    DecodedCopy& d = *s->copy;
    int64_t to = d.from + (int64_t)d.mono.size();
    if (first < d.from || first > to + COPY_JUMP_FRAMES) {
        seekDecoder(s, d.conversion, first);
        d.from = to = first;
        d.mono.clear();
    }
    // A render moves forward: what lies before this window is not needed again.
    if ((int64_t)d.mono.size() > COPY_MAX_FRAMES) {
        d.mono.erase(d.mono.begin(), d.mono.begin() + (first - d.from));
        d.from = first;
    }
    int16_t stereo[COPY_STEP * 2];
    while (to < end) {
        renderFrames(s, d.conversion, stereo, COPY_STEP);
        for (int k = 0; k < COPY_STEP; k++)
            d.mono.push_back((stereo[2 * k] + stereo[2 * k + 1]) / 65536.0f);
        to += COPY_STEP;
    }
    return true;
}

static void decodedWindow(SoundStream* s, int64_t end, float* mono)
{
    std::fill(mono, mono + SPECTRUM_WINDOW, 0.0f);
    if (end <= 0)
        return;
    int64_t first = std::max<int64_t>(0, end - SPECTRUM_WINDOW);
    if (!fillCopy(s, first, end))
        return;
    const float* from = s->copy->mono.data() + (first - s->copy->from);
    std::copy(from, from + (end - first), mono + SPECTRUM_WINDOW - (end - first));
}

int64_t soundSpectrumCopyFrames()
{
    SoundStream* s = playing;
    return s && s->copy ? (int64_t)s->copy->mono.size() : 0;
}

const float* soundGetSpectrum()
{
    SoundStream* s = playing;
    if (!analyserOn || !s)
        return nullptr;
    unsigned generation = 0;
    int64_t end = (int64_t)std::floor(readFrame(s, &generation) - offsetFrames());
    float mono[SPECTRUM_WINDOW];
    if (outputType == SOUND_OUTPUT_DEVICE) {
        heardWindow(s, end, mono);
    } else {
        if (end == s->spectrumFrame && generation == s->spectrumGeneration)
            return spectrum;
        decodedWindow(s, end, mono);
        s->spectrumFrame = end;
        s->spectrumGeneration = generation;
    }
    computeSpectrum(mono, spectrum);
    return spectrum;
}
