// The sound layer's public calls: start-up, streams, play, pause, seek,
// loop and the clock's readings. The work is in soundconvert.cpp (decoding),
// soundclock.cpp (the play clock), soundplayers.cpp (device and silent
// player) and soundcopy.cpp (the spectrum's decoded copy).
#include <algorithm>
#include <cmath>

#include "music/soundlayer_testing.h"
#include "music/soundstate.h"

static bool fail(SoundFailure* why, SoundProblem problem)
{
    if (why)
        why->problem = problem;
    return false;
}

bool soundInit(SoundOutput output, int mixRate, SoundFailure* why)
{
    SoundFailure local;
    SoundFailure* said = why ? why : &local;
    *said = SoundFailure{};
    if (soundLayer.initialised)
        return fail(said, SOUND_ALREADY_STARTED);
    if (mixRate < 8000)
        return fail(said, SOUND_BAD_ARGUMENT);
    soundLayer.output = output;
    soundLayer.rate = mixRate;
    resetLateCalls();
    if (output == SOUND_OUTPUT_DEVICE && !openSoundDevice(said))
        return fail(said, SOUND_NO_DEVICE);
    if (output == SOUND_OUTPUT_SILENT)
        startSilentPlayer();
    soundLayer.initialised = true;
    return true;
}

void soundClose()
{
    stopSilentPlayer();
    closeAudioDevice();
    soundLayer.playing = nullptr;
    soundLayer.analyserOn = false;
    soundLayer.initialised = false;
}

static SoundProblem openProblem(const char* data, int length)
{
    if (!soundLayer.initialised)
        return SOUND_NOT_STARTED;
    if (!data || length < 0)
        return SOUND_BAD_ARGUMENT;
    return length == 0 ? SOUND_NO_DATA : SOUND_NO_PROBLEM;
}

SoundStream* soundStreamOpen(const char* data, int length, SoundFailure* why)
{
    if (why)
        *why = SoundFailure{};
    SoundProblem problem = openProblem(data, length);
    if (problem != SOUND_NO_PROBLEM) {
        fail(why, problem);
        return nullptr;
    }
    Mp3OpenResult result;
    Mp3Decoder* decoder = mp3Open((const unsigned char*)data, (size_t)length, &result);
    if (!decoder) {
        fail(why, result == MP3_NOT_MP3 ? SOUND_NOT_MP3 : SOUND_NO_MEMORY);
        return nullptr;
    }
    const int rate = soundLayer.rate;
    Mp3Info info = mp3Info(decoder);
    AudioConverter* converter = newAudioConverter(info.channels, info.rate, rate);
    if (!converter) {
        mp3Close(decoder);
        fail(why, SOUND_NO_MEMORY);
        return nullptr;
    }
    SoundStream* s = new SoundStream;
    s->data = data;
    s->dataLength = length;
    s->info = info;
    s->play.decoder = decoder;
    s->play.converter = converter;
    s->lengthFrames = (info.lengthSamples * rate + info.rate - 1) / info.rate;
    s->lengthMs = (int)(info.lengthSamples * 1000 / info.rate);
    s->play.outLimit = s->lengthFrames;
    s->chunkFrames = convertChunk(info.rate);
    s->chunkOutFrames = (int64_t)s->chunkFrames * rate / info.rate;
    s->play.pending = new int16_t[(size_t)s->chunkFrames * info.channels];
    s->ring = new float[RING_FRAMES]();
    resetClockLocked(s, 0);
    return s;
}

bool soundStreamClose(SoundStream* stream)
{
    if (!stream)
        return false;
    if (soundLayer.playing == stream) {
        holdPlayers();
        soundLayer.playing = nullptr;
        releasePlayers();
    }
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
        return false;
    holdPlayers();
    stream->endCallback = callback;
    stream->endUser = userValue;
    releasePlayers();
    return true;
}

bool soundStreamPlay(SoundStream* stream, bool paused)
{
    if (!soundLayer.initialised || !stream || soundLayer.playing)
        return false;
    holdPlayers();
    {
        std::lock_guard<std::mutex> guard(stream->lock);
        stream->clock.running = !paused;
        stream->clock.mark = Clock::now();
    }
    soundLayer.playing = stream;
    releasePlayers();
    return true;
}

bool soundStreamSetPaused(SoundStream* s, bool paused)
{
    if (!s || s != soundLayer.playing)
        return false;
    holdPlayers();
    {
        std::lock_guard<std::mutex> guard(s->lock);
        PlayClock& c = s->clock;
        Clock::time_point now = Clock::now();
        if (paused && c.running) {
            // On a whole frame, so that steps from here land on whole frames.
            c.heardAtMark = c.capAtMark = std::floor(heardCountLocked(s, now));
            s->lastReported = std::min(s->lastReported, c.heardAtMark);
            c.running = false;
        } else if (!paused && !c.running) {
            if (audioDeviceOpen())
                resumeDeviceLocked(s);
            c.mark = now;
            c.running = true;
        }
    }
    releasePlayers();
    return true;
}

int soundStreamGetTime(SoundStream* stream)
{
    if (!stream)
        return 0;
    double frame = readClock(stream).clock;
    int64_t ms = (int64_t)std::floor(frame * 1000.0 / soundLayer.rate);
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
    holdPlayers();
    seekDecoder(stream, stream->play, frame);
    {
        std::lock_guard<std::mutex> guard(stream->lock);
        bool running = stream->clock.running;
        resetClockLocked(stream, frame);
        stream->clock.running = running;
    }
    releasePlayers();
    return true;
}

// Frames are rounded up so that reading the time back gives the same ms.
bool soundStreamSetTime(SoundStream* stream, int ms)
{
    if (!stream)
        return false;
    if (ms < 0)
        ms = 0;
    return setFrame(stream, ((int64_t)ms * soundLayer.rate + 999) / 1000);
}

bool soundStreamSetFrame(SoundStream* stream, int64_t frame)
{
    return stream && setFrame(stream, frame);
}

int64_t soundStreamGetFrame(SoundStream* stream)
{
    return stream ? (int64_t)std::floor(readClock(stream).heard) : 0;
}

int64_t soundStreamGetLengthFrames(SoundStream* stream)
{
    return stream ? stream->lengthFrames : 0;
}

int soundStreamGetLengthMs(SoundStream* stream)
{
    return stream ? stream->lengthMs : 0;
}

// Whatever was rendered or counted up to now keeps the old rule: a seam at
// the next frame to write on a playing device, at the heard count otherwise.
static void seamBeforeLoopChange(SoundStream* stream)
{
    PlayClock& c = stream->clock;
    Clock::time_point now = Clock::now();
    double oldestRead = c.heardAtMark - std::max(0.0, offsetFrames());
    if (audioDeviceOpen() && soundLayer.playing == stream && c.running) {
        addSeamLocked(stream, Seam{(double)c.writtenFrames, (double)nextFrame(stream)}, oldestRead);
    } else if (realtime()) {
        double count = heardCountLocked(stream, now);
        if (c.running) {
            c.heardAtMark = count;
            c.mark = now;
        }
        addSeamLocked(stream, Seam{count, frameAtCountLocked(stream, count)}, oldestRead);
    }
}

bool soundStreamSetLoop(SoundStream* stream, bool on, int64_t startFrame, int64_t endFrame)
{
    if (!stream)
        return false;
    if (on) {
        endFrame = std::min(endFrame, stream->lengthFrames);
        if (startFrame < 0 || endFrame <= startFrame)
            return false;
    }
    holdPlayers();
    {
        std::lock_guard<std::mutex> guard(stream->lock);
        seamBeforeLoopChange(stream);
        stream->loop.on = on;
        if (on) {
            stream->loop.start = startFrame;
            stream->loop.end = endFrame;
        }
    }
    releasePlayers();
    return true;
}

void soundSetClockOffset(int ms)
{
    soundLayer.clockOffsetMs = ms;
}

int soundStreamRender(SoundStream* stream, int16_t* out, int frames)
{
    if (!stream || frames < 0 || (audioDeviceOpen() && soundLayer.playing == stream))
        return 0;
    Seam seams[MAX_SEAMS];
    int seamCount = 0;
    return renderLooped(stream, out, frames, seams, &seamCount);
}
