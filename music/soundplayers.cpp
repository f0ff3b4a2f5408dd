// The two players: the audio device's fill callback, which renders the
// playing stream and moves the clock one period at a time, and the silent
// player's thread, which only sends the end notification when it is due.
#include <algorithm>
#include <cstring>

#include "music/soundstate.h"

SoundLayer& soundLayer = *new SoundLayer;

void holdPlayers()
{
    lockAudioDevice();
    soundLayer.silent.mutex.lock();
}

void releasePlayers()
{
    soundLayer.silent.wake.notify_all();
    soundLayer.silent.mutex.unlock();
    unlockAudioDevice();
}

static void keepHeard(SoundStream* s, const int16_t* out, int frames)
{
    for (int i = 0; i < frames; i++) {
        int64_t f = s->ringTo + i;
        s->ring[f & (RING_FRAMES - 1)] = (out[2 * i] + out[2 * i + 1]) / 65536.0f;
    }
    s->ringTo += frames;
}

static void endHeardLocked(SoundStream* s)
{
    s->clock.endFired = true;
    if (s->endCallback)
        s->endCallback(s, nullptr, 0, s->endUser);
}

// The device asks for a period when it has room for one. The frames it
// still holds at a call are what it held after the last write less what it
// played since; below none, the listener heard silence for the difference.
// Only counted while the song plays.
static void noteCallTime(Clock::time_point now, bool running, int frames)
{
    LateCalls& late = soundLayer.late;
    if (running && late.lastRunning) {
        double played = std::chrono::duration<double>(now - late.last).count() * soundLayer.rate;
        double held = late.held - played;
        if (held < 0.0) {
            late.count++;
            late.frames += (int64_t)-held;
            held = 0.0;
        }
        late.held = std::min<double>(soundLayer.queuedFrames, held + frames);
    } else {
        late.held = soundLayer.queuedFrames;
    }
    late.last = now;
    late.lastRunning = running;
}

// After this period is written the device holds `queuedFrames` (this period
// and, on most drivers, the one playing), so the listener is that far behind
// the writes; one period later the next call will say so again, which caps
// the clock until then.
static void deviceCallback(int16_t* out, int frames)
{
    SoundStream* s = soundLayer.playing;
    bool running = false;
    if (s) {
        std::lock_guard<std::mutex> guard(s->lock);
        running = s->clock.running;
    }
    noteCallTime(Clock::now(), running, frames);
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
    const int64_t queued = soundLayer.queuedFrames;
    double oldestRead = c.heardAtMark - std::max(0.0, offsetFrames());
    for (int i = 0; i < seamCount; i++)
        addSeamLocked(s, Seam{(double)c.writtenFrames + seams[i].at, seams[i].frame}, oldestRead);
    if (got < frames && c.endCount < 0)
        c.endCount = c.writtenFrames + got;
    keepHeard(s, out, frames);
    c.writtenFrames += frames;
    c.heardAtMark = (double)std::max<int64_t>(c.restartCount, c.writtenFrames - queued);
    c.capAtMark = (double)std::max<int64_t>(c.restartCount, c.writtenFrames - queued + frames);
    c.mark = now;
    if (c.endCount >= 0 && c.heardAtMark >= c.endCount && !c.endFired)
        endHeardLocked(s);
}

void resetLateCalls()
{
    soundLayer.late.count = 0;
    soundLayer.late.frames = 0;
    soundLayer.late.lastRunning = false;
}

bool openSoundDevice(SoundFailure* why)
{
    AudioDeviceShape shape =
        openAudioDevice(soundLayer.rate, DEVICE_PERIOD, deviceCallback, why->detail, (int)sizeof why->detail);
    soundLayer.periodFrames = shape.period;
    soundLayer.queuedFrames = shape.queued;
    return shape.period > 0;
}

SoundUnderruns soundUnderruns()
{
    return SoundUnderruns{soundLayer.late.count, (int)(soundLayer.late.frames * 1000 / soundLayer.rate)};
}

// Returns when the end is due, or "never" while paused or already ended;
// sends the notification (under the silent player's mutex, so a closing
// stream waits).
static bool silentEndDue(Clock::time_point* due)
{
    SoundStream* s = soundLayer.playing;
    if (!s)
        return false;
    std::lock_guard<std::mutex> guard(s->lock);
    PlayClock& c = s->clock;
    if (!c.running || c.endFired)
        return false;
    double end = silentEndCountLocked(s);
    if (end < 0.0)
        return false;
    double left = (end - c.heardAtMark) / soundLayer.rate;
    *due = c.mark + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(left));
    if (Clock::now() < *due)
        return true;
    endHeardLocked(s);
    return false;
}

static void silentLoop()
{
    SilentPlayer& silent = soundLayer.silent;
    std::unique_lock<std::mutex> lock(silent.mutex);
    while (!silent.quit) {
        Clock::time_point due;
        if (silentEndDue(&due))
            silent.wake.wait_until(lock, due);
        else
            silent.wake.wait(lock);
    }
}

void startSilentPlayer()
{
    soundLayer.silent.quit = false;
    soundLayer.silent.thread = new std::thread(silentLoop);
}

void stopSilentPlayer()
{
    SilentPlayer& silent = soundLayer.silent;
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
