// The sound layer's own records and the calls its files share (conversion,
// play clock, players, decoded copy): for music/sound*.cpp only.
#pragma once
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "music/analyser.h"
#include "music/mp3decode.h"
#include "music/soundlayer.h"
#include "platform/audio.h"

using Clock = std::chrono::steady_clock;

// What the device has been given is kept as a mono mix, so the spectrum can
// look at the samples the listener hears now, a few periods behind the writes.
const int RING_FRAMES = 1 << 17;
// About 46 ms at 44.1 kHz: a sound server's scheduling hiccups fit in it.
const int DEVICE_PERIOD = 2048;
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
    // Read by the renderer, changed only with the players held and `lock`.
    LoopRange loop;

    // Read side: readings never run backwards between seeks.
    double lastReported = 0.0;
    unsigned lastGeneration = 0;
    // Decoded-window spectrum of the last position asked for.
    int64_t spectrumFrame = -1;
    unsigned spectrumGeneration = 0;
    DecodedCopy* copy = nullptr;  // made by the first decoded window
};

// The silent player of SOUND_OUTPUT_SILENT: a thread that wakes when the
// song would have ended and sends the end notification.
struct SilentPlayer {
    std::thread* thread = nullptr;
    std::mutex mutex;
    std::condition_variable wake;
    bool quit = false;
};

// Device calls that came later than the sound the device held could last:
// each one is a gap the listener heard. Written by the audio thread; the
// counts are read by others.
struct LateCalls {
    std::atomic<int> count{0};
    std::atomic<int64_t> frames{0};  // how much later, in all
    Clock::time_point last{};        // the audio thread's previous call
    bool lastRunning = false;
    double held = 0.0;  // frames the device held after that call
};

// Everything the layer holds beside its streams.
struct SoundLayer {
    SoundOutput output = SOUND_OUTPUT_DEVICE;
    bool initialised = false;
    int rate = 44100;
    int periodFrames = DEVICE_PERIOD;
    int queuedFrames = 2 * DEVICE_PERIOD;  // from a write until it is heard
    LateCalls late;
    int clockOffsetMs = 0;
    SoundStream* playing = nullptr;  // the one stream that plays
    bool analyserOn = false;
    float spectrum[SPECTRUM_BINS];
    SilentPlayer silent;
};
// Never destroyed, so an exit while the silent player runs (a fatal error
// mid-show) does not tear it down.
extern SoundLayer& soundLayer;

// --- conversion (soundconvert.cpp) ---
// Source frames per conversion chunk at this source rate.
int convertChunk(int sourceRate);
// Pulls converted frames (output rate, stereo, s16) through the decoder and
// the converter; zero-fills what the stream can no longer give.
int renderFrames(const SoundStream* s, Conversion& c, int16_t* out, int frames);
// renderFrames round the loop; each seam's offset in `out` goes to seams.
int renderLooped(SoundStream* s, int16_t* out, int frames, Seam* seams, int* seamCount);
// The next frame the renderer gives.
int64_t nextFrame(const SoundStream* s);
void seekDecoder(const SoundStream* s, Conversion& c, int64_t frame);
// Each conversion has its own decoder on the stream's data.
bool openConversion(const SoundStream* s, Conversion& c);
void closeConversion(Conversion& c);

// --- the play clock (soundclock.cpp); "locked" calls need s->lock held ---
bool realtime();
// The clock offset in output frames (none offline).
double offsetFrames();
double silentEndCountLocked(const SoundStream* s);
double heardCountLocked(const SoundStream* s, Clock::time_point now);
double frameAtCountLocked(const SoundStream* s, double count);
void addSeamLocked(SoundStream* s, Seam seam, double oldestRead);
void resetClockLocked(SoundStream* s, int64_t frame);
// Caller also holds the players: the device goes on from the clock's frame.
void resumeDeviceLocked(SoundStream* s);
struct ClockReading {
    double count;  // output count heard now
    double heard;  // stream frame heard now
    double clock;  // stream frame the clock shows (the offset taken off)
    bool running;
    unsigned generation;
};
// The reading, held from running backwards between seeks.
ClockReading readClock(SoundStream* s);

// --- the players (soundplayers.cpp) ---
bool openSoundDevice(SoundFailure* why);
void resetLateCalls();
void startSilentPlayer();
void stopSilentPlayer();
// Holds off both players (the device callback and the silent player) while
// the caller changes what they read; the release wakes the silent player so
// that it looks again.
void holdPlayers();
void releasePlayers();
