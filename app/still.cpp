#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

#include "app/headless.h"
#include "app/options.h"
#include "app/shell.h"
#include "app/window.h"
#include "devtools/png.h"
#include "music/music.h"
#include "render/gl.h"
#include "render/state.h"
#include "scenes/scenes.h"
#include "scenes/timeline.h"
#include "texture/assets.h"

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

// Rounded up, so a still at an exact pattern (22) shows that pattern's row
// rather than the last millisecond of the row before it.
int millisForPatterns(double t)
{
    return (int)std::ceil(t * 16.0 / 180.0 * 60000.0 - 1e-6);
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
        readFrameRgb(rgb, 640, 480);
        char err[512];
        if (!writePng(options.outs[i].c_str(), rgb.data(), 640, 480, err, sizeof err)) {
            std::fprintf(stderr, "zant: %s\n", err);
            return 1;
        }
        std::fprintf(stderr, "zant: wrote %s (song time %.4f)\n", options.outs[i].c_str(), options.stills[i]);
    }
    return 0;
}
