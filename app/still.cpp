#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

#include "app/display.h"
#include "app/headless.h"
#include "app/options.h"
#include "core/datapath.h"
#include "core/frame.h"
#include "core/runstate.h"
#include "core/songtime.h"
#include "devtools/png.h"
#include "mesh/meshes.h"
#include "music/music.h"
#include "platform/gl.h"
#include "platform/window.h"
#include "render/state.h"
#include "scenes/scenes.h"
#include "scenes/timeline.h"

StartupTimes startupTimes = {};

static double secondsSince(std::chrono::steady_clock::time_point& mark)
{
    auto now = std::chrono::steady_clock::now();
    double s = std::chrono::duration<double>(now - mark).count();
    mark = now;
    return s;
}

bool headlessStartup()
{
    auto mark = std::chrono::steady_clock::now();
    char err[256] = "";
    if (!initHeadlessDisplay(err, sizeof err)) {
        std::fprintf(stderr, "zant: cannot make a headless GL context: %s\n", err);
        return false;
    }
    startupTimes.display = secondsSince(mark);
    prepareAssets();
    startupTimes.textures = secondsSince(mark);
    drawColumnHallScene(0.0f, DF_BUILD);
    startupTimes.hallBuild = secondsSince(mark);
    applyRenderState(&blackPreset);
    swapFrame();
    glFinish();
    startupTimes.firstFrame = secondsSince(mark);
    musicStarted += 1;
    startMusicOffline(dataPath("tunemix.mp3").c_str(), 180.0f);
    startupTimes.music = secondsSince(mark);
    return true;
}

void drawFrameAtMillis(int ms)
{
    setSongMillis(ms);
    runTimeline();
    glFinish();
}

void drawFrameAt(double t)
{
    drawFrameAtMillis(millisForPatterns(t));
}

int runStills(const Options& options)
{
    if (!headlessStartup())
        return 1;
    std::vector<uint8_t> rgb;
    for (size_t i = 0; i < options.stills.size(); i++) {
        drawFrameAt(options.stills[i]);
        readFrameRgb(rgb, FRAME_WIDTH, FRAME_HEIGHT);
        char err[512];
        if (!writePng(options.outs[i].c_str(), rgb.data(), FRAME_WIDTH, FRAME_HEIGHT, err, sizeof err)) {
            std::fprintf(stderr, "zant: %s\n", err);
            return 1;
        }
        std::fprintf(stderr, "zant: wrote %s (song time %.4f)\n", options.outs[i].c_str(), options.stills[i]);
    }
    return 0;
}
