// The play clock: the output count the listener hears now, between device
// periods on a monotonic timer, and the stream frame at any count through
// the seams that seeks, loops and resumes leave.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "music/soundstate.h"

static double secondsSince(Clock::time_point mark, Clock::time_point now)
{
    return std::chrono::duration<double>(now - mark).count();
}

bool realtime()
{
    return soundLayer.output != SOUND_OUTPUT_OFFLINE;
}

double offsetFrames()
{
    return realtime() ? soundLayer.clockOffsetMs * (double)soundLayer.rate / 1000.0 : 0.0;
}

// The output count at which a silent song ends; -1 while a loop keeps it
// going.
double silentEndCountLocked(const SoundStream* s)
{
    const Seam& last = s->clock.seams[s->clock.seamCount - 1];
    if (s->loop.on && last.frame < s->loop.end)
        return -1.0;
    return last.at + ((double)s->lengthFrames - last.frame);
}

double heardCountLocked(const SoundStream* s, Clock::time_point now)
{
    const PlayClock& c = s->clock;
    if (!realtime() || !c.running)
        return c.heardAtMark;
    double moved = c.heardAtMark + secondsSince(c.mark, now) * soundLayer.rate;
    if (soundLayer.output == SOUND_OUTPUT_SILENT) {
        double end = silentEndCountLocked(s);
        return end < 0.0 ? moved : std::min(moved, end);
    }
    return std::min(moved, c.capAtMark);
}

// On from the last seam before the count, and past the last seam round the
// loop as the renderer will go (counts not rendered yet, and the silent
// clock, which renders nothing).
double frameAtCountLocked(const SoundStream* s, double count)
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

// Seams from `at` on are replaced; those no reading can reach any more
// (before the heard count, less the clock offset) go.
void addSeamLocked(SoundStream* s, Seam seam, double oldestRead)
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

void resetClockLocked(SoundStream* s, int64_t frame)
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

// The periods the device still held at the pause are written again, and
// the clock counts on from where it stopped.
void resumeDeviceLocked(SoundStream* s)
{
    PlayClock& c = s->clock;
    int64_t count = (int64_t)c.heardAtMark;
    int64_t frame = (int64_t)std::llround(frameAtCountLocked(s, (double)count));
    seekDecoder(s, s->play, frame);
    addSeamLocked(s, Seam{(double)count, (double)frame}, (double)count - std::max(0.0, offsetFrames()));
    c.writtenFrames = c.restartCount = count;
    c.heardAtMark = c.capAtMark = (double)count;
    if (c.endCount > count)
        c.endCount = -1;
    s->ringTo = std::min(s->ringTo, count);
    s->ringFrom = std::min(s->ringFrom, count);
}

ClockReading readClock(SoundStream* s)
{
    std::lock_guard<std::mutex> guard(s->lock);
    ClockReading r;
    r.generation = s->clock.generation;
    r.running = s->clock.running;
    double count = heardCountLocked(s, Clock::now());
    if (s->lastGeneration == s->clock.generation && count < s->lastReported)
        count = s->lastReported;
    s->lastReported = count;
    s->lastGeneration = s->clock.generation;
    r.count = count;
    r.heard = frameAtCountLocked(s, count);
    r.clock = frameAtCountLocked(s, count - offsetFrames());
    return r;
}
