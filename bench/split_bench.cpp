// Where a timeline row's frame time goes: the scene and each effect timed
// apart (each followed by glFinish), median per row, headless at 640x480.
// Usage: bench_split [frames-per-row] [--row N] [--cpu] [--data DIR]
// Without --data: the default data ctest made in the build folder when it is
// there (so the figures never depend on pictures someone put in data/),
// otherwise ./data.
// --row N times only row N (0-based), handy under a profiler; --cpu counts
// the process's CPU time (all renderer threads) instead of wall time, which
// other work on a shared machine disturbs less.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include <unistd.h>

#include "app/headless.h"
#include "bench/timeline_rows.h"
#include "platform/gl.h"
#include "scenes/timeline.h"
#include "texture/assets.h"

enum Part { SCENE, SMEAR, MIRROR, MOSAIC, OVERLAY, FLICKER, PART_COUNT };
static const char* partNames[PART_COUNT] = {"scene", "smear", "mirror", "mosaic", "overlay", "flicker"};
static double frameParts[PART_COUNT];

static bool cpuClock = false;

static double nowSeconds()
{
    if (cpuClock) {
        timespec ts;
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
        return ts.tv_sec + ts.tv_nsec * 1e-9;
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

static double startTimer()
{
    glFinish();
    return nowSeconds();
}

static void stopTimer(Part part, double t0)
{
    glFinish();
    frameParts[part] += (nowSeconds() - t0) * 1000.0;
}

static void timedSilhouette(float t)
{
    double t0 = startTimer();
    realTimelineOps.silhouette(t);
    stopTimer(SCENE, t0);
}
static void timedCubeSwarm(float t)
{
    double t0 = startTimer();
    realTimelineOps.cubeSwarm(t);
    stopTimer(SCENE, t0);
}
static void timedBoxes(float t)
{
    double t0 = startTimer();
    realTimelineOps.breakingBoxes(t);
    stopTimer(SCENE, t0);
}
static void timedHall(float t, int mode)
{
    double t0 = startTimer();
    realTimelineOps.columnHall(t, mode);
    stopTimer(SCENE, t0);
}
static void timedTunnel(float t)
{
    double t0 = startTimer();
    realTimelineOps.slabTunnel(t);
    stopTimer(SCENE, t0);
}
static void timedMetal(float t)
{
    double t0 = startTimer();
    realTimelineOps.metalModel(t);
    stopTimer(SCENE, t0);
}
static void timedFlicker(float t)
{
    double t0 = startTimer();
    realTimelineOps.flicker(t);
    stopTimer(FLICKER, t0);
}

static void timedSmear(Texture* tex, int count, float spread, float dir, int flags)
{
    double t0 = startTimer();
    realTimelineOps.smear(tex, count, spread, dir, flags);
    stopTimer(SMEAR, t0);
}

static void timedMirror(Texture* tex, float intensity, int flags)
{
    double t0 = startTimer();
    realTimelineOps.mirror(tex, intensity, flags);
    stopTimer(MIRROR, t0);
}

static void timedMosaic(float intensity, int flags)
{
    double t0 = startTimer();
    realTimelineOps.mosaic(intensity, flags);
    stopTimer(MOSAIC, t0);
}

static void timedOverlay(const Texture* tex, float intensity, int flags)
{
    double t0 = startTimer();
    realTimelineOps.overlay(tex, intensity, flags);
    stopTimer(OVERLAY, t0);
}

static TimelineOps timedOps()
{
    TimelineOps ops = realTimelineOps;
    ops.silhouette = timedSilhouette;
    ops.cubeSwarm = timedCubeSwarm;
    ops.breakingBoxes = timedBoxes;
    ops.columnHall = timedHall;
    ops.slabTunnel = timedTunnel;
    ops.metalModel = timedMetal;
    ops.flicker = timedFlicker;
    ops.smear = timedSmear;
    ops.mirror = timedMirror;
    ops.mosaic = timedMosaic;
    ops.overlay = timedOverlay;
    return ops;
}

static double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

static void timeRow(const Row& row, int frames)
{
    std::vector<double> total;
    std::vector<double> parts[PART_COUNT];
    for (int i = 0; i < frames; i++) {
        std::fill(frameParts, frameParts + PART_COUNT, 0.0);
        double t = row.from + (row.to - row.from) * (i + 0.5) / frames;
        double t0 = nowSeconds();
        drawFrameAt(t);
        total.push_back((nowSeconds() - t0) * 1000.0);
        for (int p = 0; p < PART_COUNT; p++)
            parts[p].push_back(frameParts[p]);
    }
    std::printf("| %-32s | %7.2f |", row.name, median(total));
    for (int p = 0; p < PART_COUNT; p++)
        std::printf(" %7.2f |", median(parts[p]));
    std::printf("\n");
}

int main(int argc, char** argv)
{
    int perRow = 30;
    int only = -1;
    if (access(ZANT_BENCH_DATA "/tunemix.mp3", R_OK) == 0)
        dataDir = ZANT_BENCH_DATA;
    for (int i = 1; i < argc; i++) {
        if (!std::strcmp(argv[i], "--data") && i + 1 < argc)
            dataDir = argv[++i];
        else if (!std::strcmp(argv[i], "--row") && i + 1 < argc)
            only = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--cpu"))
            cpuClock = true;
        else
            perRow = std::max(1, std::atoi(argv[i]));
    }
    if (!headlessStartup())
        return 1;
    static const TimelineOps ops = timedOps();
    timelineOps = &ops;
    std::printf("GL renderer: %s; %s time\n\n", (const char*)glGetString(GL_RENDERER), cpuClock ? "CPU" : "wall");
    std::printf("| %-32s | %7s |", "row (median ms)", "frame");
    for (int p = 0; p < PART_COUNT; p++)
        std::printf(" %7s |", partNames[p]);
    std::printf("\n");
    const int rowCount = (int)(sizeof rows / sizeof rows[0]);
    for (int r = 0; r < rowCount; r++)
        if (only < 0 || only == r)
            timeRow(rows[r], perRow);
    return 0;
}
