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
const int MAX_SEAMS = 16;

// The clock counts output frames since the last seek; a loop makes the
// stream frame jump back while the count goes on. From count `at` on, the
// stream plays from frame `frame` (a seek's start, a loop's seam, a resume).
struct Seam {
    double at;
    double frame;
};

// The offline spectrum's decoded copy: at most about 6 s of it is held, it
// grows in steps, and a window further ahead than the jump is reached by a
// seek rather than by decoding everything before it.
const int64_t COPY_MAX_FRAMES = 1 << 18;
const int64_t COPY_JUMP_FRAMES = 1 << 16;
const int COPY_STEP = 4096;

// Where the stream is, shared between the audio thread and its readers.
struct PlayClock {
    bool running = false;       // playing and not paused
    int64_t writtenFrames = 0;  // output count handed to the device
    int64_t restartCount = 0;   // output count where playing last began
    double heardAtMark = 0.0;   // output count heard at `mark`
    double capAtMark = 0.0;     // what the next device period will report
    Clock::time_point mark{};
    int64_t endCount = -1;  // output count one past the last sound; -1 until known
    bool endFired = false;
    unsigned generation = 0;  // bumped by every seek
    Seam seams[MAX_SEAMS];    // in order of `at`; seams[0] is the seek
    int seamCount = 0;
};

// Stream frames [start, end) played round and round.
struct LoopRange {
    bool on = false;
    int64_t start = 0;
    int64_t end = 0;
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

    std::mutex lock;  // guards clock and ring; changes to loop hold it too
    PlayClock clock;
    float* ring = nullptr;  // indexed by output count
    int64_t ringFrom = 0, ringTo = 0;
    // Read by the renderer, changed only with the device and `lock` held.
    LoopRange loop;

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

// The next frame the renderer gives.
static int64_t nextFrame(const SoundStream* s)
{
    return s->play.outFrame + s->play.skipFrames;
}

static void seekDecoder(const SoundStream* s, Conversion& c, int64_t frame);

// renderFrames, going back to the loop's start each time the loop's end is
// reached: the seam is sample-exact (the frame before the end, then the
// start), so the beat keeps its place. Each seam's offset in `out` goes to
// seams (at most MAX_SEAMS are noted).
static int renderLooped(SoundStream* s, int16_t* out, int frames, Seam* seams, int* seamCount)
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

// Caller holds s->lock. The output count at which a silent song ends; -1
// while a loop keeps it going.
static double silentEndCount(const SoundStream* s)
{
    const Seam& last = s->clock.seams[s->clock.seamCount - 1];
    if (s->loop.on && last.frame < s->loop.end)
        return -1.0;
    return last.at + ((double)s->lengthFrames - last.frame);
}

// Caller holds s->lock. The output count the listener hears now.
static double heardCount(const SoundStream* s, Clock::time_point now)
{
    const PlayClock& c = s->clock;
    if (!realtime() || !c.running)
        return c.heardAtMark;
    double moved = c.heardAtMark + secondsSince(c.mark, now) * outputRate;
    if (outputType == SOUND_OUTPUT_SILENT) {
        double end = silentEndCount(s);
        return end < 0.0 ? moved : std::min(moved, end);
    }
    return std::min(moved, c.capAtMark);
}

// Caller holds s->lock. The stream frame at an output count: on from the
// last seam before it, and past the last seam round the loop as the renderer
// will go (counts not rendered yet, and the silent clock, which renders
// nothing).
static double frameAtCount(const SoundStream* s, double count)
{
    const PlayClock& c = s->clock;
    int i = c.seamCount - 1;
    while (i > 0 && c.seams[i].at > count)
        i--;
    double frame = c.seams[i].frame + (count - c.seams[i].at);
    const LoopRange& loop = s->loop;
    if (i == c.seamCount - 1 && loop.on && c.seams[i].frame < loop.end && frame >= loop.end)
        frame = loop.start + std::fmod(frame - loop.end, (double)(loop.end - loop.start));
    return frame;
}

// Caller holds s->lock. Seams from `at` on are replaced; those no reading
// can reach any more (before the heard count, less the clock offset) go.
static void addSeam(SoundStream* s, Seam seam, double oldestRead)
{
    PlayClock& c = s->clock;
    while (c.seamCount > 1 && c.seams[c.seamCount - 1].at >= seam.at)
        c.seamCount--;
    int drop = 0;
    while (drop + 1 < c.seamCount && c.seams[drop + 1].at <= oldestRead)
        drop++;
    if (c.seamCount - drop == MAX_SEAMS)
        drop++;
    std::memmove(c.seams, c.seams + drop, sizeof(Seam) * (size_t)(c.seamCount - drop));
    c.seamCount -= drop;
    if (c.seamCount == 1 && c.seams[0].at >= seam.at)
        c.seamCount = 0;
    c.seams[c.seamCount++] = seam;
}

static void resetClock(SoundStream* s, int64_t frame)
{
    PlayClock& c = s->clock;
    c.writtenFrames = 0;
    c.restartCount = 0;
    c.heardAtMark = c.capAtMark = 0.0;
    c.mark = Clock::now();
    c.endCount = -1;
    c.seams[0] = Seam{0.0, (double)frame};
    c.seamCount = 1;
    c.generation++;
    s->ringFrom = s->ringTo = 0;
}

static void wakeSilentPlayer()
{
    std::lock_guard<std::mutex> guard(silent.mutex);
    silent.wake.notify_all();
}

// --- the device ---------------------------------------------------------------

static double offsetFrames();

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
    Seam seams[MAX_SEAMS];
    int seamCount = 0;
    int got = renderLooped(s, out, frames, seams, &seamCount);
    Clock::time_point now = Clock::now();
    std::lock_guard<std::mutex> guard(s->lock);
    PlayClock& c = s->clock;
    double oldestRead = c.heardAtMark - std::max(0.0, offsetFrames());
    for (int i = 0; i < seamCount; i++)
        addSeam(s, Seam{(double)c.writtenFrames + seams[i].at, seams[i].frame}, oldestRead);
    if (got < frames && c.endCount < 0)
        c.endCount = c.writtenFrames + got;
    keepHeard(s, out, frames);
    c.writtenFrames += frames;
    c.heardAtMark = (double)std::max<int64_t>(c.restartCount, c.writtenFrames - 2 * periodFrames);
    c.capAtMark = (double)std::max<int64_t>(c.restartCount, c.writtenFrames - periodFrames);
    c.mark = now;
    if (c.endCount >= 0 && c.heardAtMark >= c.endCount && !c.endFired) {
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
    double end = silentEndCount(s);
    if (end < 0.0)
        return false;
    double left = (end - c.heardAtMark) / outputRate;
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

// Caller holds the device and s->lock. The stream goes on from the frame the
// clock stands at: the periods the device still held at the pause are
// written again, and the clock counts on from where it stopped.
static void resumeDevice(SoundStream* s)
{
    PlayClock& c = s->clock;
    int64_t count = (int64_t)c.heardAtMark;
    int64_t frame = (int64_t)std::llround(frameAtCount(s, (double)count));
    seekDecoder(s, s->play, frame);
    addSeam(s, Seam{(double)count, (double)frame}, (double)count - std::max(0.0, offsetFrames()));
    c.writtenFrames = c.restartCount = count;
    c.heardAtMark = c.capAtMark = (double)count;
    if (c.endCount > count)
        c.endCount = -1;
    s->ringTo = std::min(s->ringTo, count);
    s->ringFrom = std::min(s->ringFrom, count);
}

bool soundStreamSetPaused(SoundStream* s, bool paused)
{
    if (!s || s != playing)
        return fail(SOUND_ERR_INVALID_PARAM);
    bool onDevice = audioDeviceOpen();
    if (onDevice)
        lockAudioDevice();
    {
        std::lock_guard<std::mutex> guard(s->lock);
        PlayClock& c = s->clock;
        Clock::time_point now = Clock::now();
        if (paused && c.running) {
            // On a whole frame, so that steps from here land on whole frames.
            c.heardAtMark = c.capAtMark = std::floor(heardCount(s, now));
            s->lastReported = std::min(s->lastReported, c.heardAtMark);
            c.running = false;
        } else if (!paused && !c.running) {
            if (onDevice)
                resumeDevice(s);
            c.mark = now;
            c.running = true;
        }
    }
    if (onDevice)
        unlockAudioDevice();
    wakeSilentPlayer();
    return true;
}

struct ClockReading {
    double count;  // output count heard now
    double heard;  // stream frame heard now
    double clock;  // stream frame the clock shows (the offset taken off)
    bool running;
    unsigned generation;
};

static double offsetFrames()
{
    return realtime() ? clockOffsetMs * (double)outputRate / 1000.0 : 0.0;
}

// The reading, held from running backwards between seeks.
static ClockReading readClock(SoundStream* s)
{
    std::lock_guard<std::mutex> guard(s->lock);
    ClockReading r;
    r.generation = s->clock.generation;
    r.running = s->clock.running;
    double count = heardCount(s, Clock::now());
    if (s->lastGeneration == s->clock.generation && count < s->lastReported)
        count = s->lastReported;
    s->lastReported = count;
    s->lastGeneration = s->clock.generation;
    r.count = count;
    r.heard = frameAtCount(s, count);
    r.clock = frameAtCount(s, count - offsetFrames());
    return r;
}

int soundStreamGetTime(SoundStream* stream)
{
    if (!stream) {
        fail(SOUND_ERR_INVALID_PARAM);
        return 0;
    }
    double frame = readClock(stream).clock;
    int64_t ms = (int64_t)std::floor(frame * 1000.0 / outputRate);
    if (ms < 0)
        ms = 0;
    if (realtime() && ms > stream->lengthMs)
        ms = stream->lengthMs;
    return (int)ms;
}

static bool setFrame(SoundStream* stream, int64_t frame)
{
    if (frame < 0)
        frame = 0;
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

// Frames are rounded up so that reading the time back gives the same ms.
bool soundStreamSetTime(SoundStream* stream, int ms)
{
    if (!stream)
        return fail(SOUND_ERR_INVALID_PARAM);
    if (ms < 0)
        ms = 0;
    return setFrame(stream, ((int64_t)ms * outputRate + 999) / 1000);
}

bool soundStreamSetFrame(SoundStream* stream, int64_t frame)
{
    if (!stream)
        return fail(SOUND_ERR_INVALID_PARAM);
    return setFrame(stream, frame);
}

int64_t soundStreamGetFrame(SoundStream* stream)
{
    if (!stream) {
        fail(SOUND_ERR_INVALID_PARAM);
        return 0;
    }
    return (int64_t)std::floor(readClock(stream).heard);
}

int64_t soundStreamGetLengthFrames(SoundStream* stream)
{
    if (!stream) {
        fail(SOUND_ERR_INVALID_PARAM);
        return 0;
    }
    return stream->lengthFrames;
}

// Whatever was rendered or counted up to now keeps the old rule: a seam at
// the next frame to write on a playing device, at the heard count otherwise.
bool soundStreamSetLoop(SoundStream* stream, bool on, int64_t startFrame, int64_t endFrame)
{
    if (!stream)
        return fail(SOUND_ERR_INVALID_PARAM);
    if (on) {
        endFrame = std::min(endFrame, stream->lengthFrames);
        if (startFrame < 0 || endFrame <= startFrame)
            return fail(SOUND_ERR_INVALID_PARAM);
    }
    bool onDevice = audioDeviceOpen() && playing == stream;
    if (onDevice)
        lockAudioDevice();
    {
        std::lock_guard<std::mutex> guard(stream->lock);
        PlayClock& c = stream->clock;
        Clock::time_point now = Clock::now();
        double oldestRead = c.heardAtMark - std::max(0.0, offsetFrames());
        if (onDevice && c.running) {
            addSeam(stream, Seam{(double)c.writtenFrames, (double)nextFrame(stream)}, oldestRead);
        } else if (realtime()) {
            double count = heardCount(stream, now);
            if (c.running) {
                c.heardAtMark = count;
                c.mark = now;
            }
            addSeam(stream, Seam{count, frameAtCount(stream, count)}, oldestRead);
        }
        stream->loop.on = on;
        if (on) {
            stream->loop.start = startFrame;
            stream->loop.end = endFrame;
        }
    }
    if (onDevice)
        unlockAudioDevice();
    wakeSilentPlayer();
    return true;
}

int soundOutputRate()
{
    return outputRate;
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
    Seam seams[MAX_SEAMS];
    int seamCount = 0;
    return renderLooped(stream, out, frames, seams, &seamCount);
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
    // A render moves forward: what lies before this window is not needed
    // again. A short step past the held end drops all of it; the decoder
    // carries on from that end.
    if ((int64_t)d.mono.size() > COPY_MAX_FRAMES) {
        const int64_t drop = std::min(first - d.from, (int64_t)d.mono.size());
        d.mono.erase(d.mono.begin(), d.mono.begin() + drop);
        d.from += drop;
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

// A playing device has what the listener heard in its ring; otherwise (no
// device, or paused, where steps move the clock over sound never played) the
// window is decoded afresh, so a paused frame has the levels a still has.
const float* soundGetSpectrum()
{
    SoundStream* s = playing;
    if (!analyserOn || !s)
        return nullptr;
    ClockReading r = readClock(s);
    float mono[SPECTRUM_WINDOW];
    if (outputType == SOUND_OUTPUT_DEVICE && r.running) {
        heardWindow(s, (int64_t)std::floor(r.count - offsetFrames()), mono);
        s->spectrumFrame = -1;
    } else {
        int64_t end = (int64_t)std::floor(r.clock);
        if (end == s->spectrumFrame && r.generation == s->spectrumGeneration)
            return spectrum;
        bool onDevice = audioDeviceOpen();
        if (onDevice)
            lockAudioDevice();
        decodedWindow(s, end, mono);
        if (onDevice)
            unlockAudioDevice();
        s->spectrumFrame = end;
        s->spectrumGeneration = r.generation;
    }
    computeSpectrum(mono, spectrum);
    return spectrum;
}
