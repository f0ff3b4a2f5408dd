#include <chrono>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/display.h"
#include "app/encoder.h"
#include "app/headless.h"
#include "app/options.h"
#include "app/outsize.h"
#include "core/datapath.h"
#include "core/errors.h"
#include "core/frame.h"
#include "core/outfile.h"
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
    drawFrameAtMillisNoWait(ms);
    glFinish();
}

void drawFrameAtMillisNoWait(int ms)
{
    setSongMillis(ms);
    runTimeline();
}

void drawFrameAt(double t)
{
    drawFrameAtMillis(millisForPatterns(t));
}

// --size: ffmpeg scales the frame and writes the PNG, as it does for video,
// into a temporary file renamed over the name once it is complete.
static bool writeScaledPng(const Options& options, const std::string& out, const std::vector<uint8_t>& rgb)
{
    OutputFile file;
    std::string why;
    if (!beginOutput(out, file, why)) {
        logMessage(LOG_ERROR, "%s", why.c_str());
        return false;
    }
    std::vector<std::string> args = rawFrameInput(1.0);
    for (const std::string& a : {std::string("-vf"), outputFilter(options.outWidth, options.outHeight, false),
                                 std::string("-pix_fmt"), std::string("rgb24"), std::string("-frames:v"),
                                 std::string("1"), std::string("-update"), std::string("1"), file.temp})
        args.push_back(a);
    Encoder scaler;
    if (!startFfmpeg(args, &scaler)) {
        logMessage(LOG_ERROR, "could not start ffmpeg: %s", std::strerror(errno));
        abandonOutput(file);
        return false;
    }
    bool sent = writeToEncoder(scaler, rgb.data(), rgb.size());
    if (!finishEncoder(scaler) || !sent) {
        logMessage(LOG_ERROR, "ffmpeg could not write %s (disk full?); nothing was changed", out.c_str());
        abandonOutput(file);
        return false;
    }
    if (!commitOutput(file, why)) {
        logMessage(LOG_ERROR, "%s", why.c_str());
        return false;
    }
    return true;
}

// Names that are devices, folders or pipes are refused before start-up.
static bool outputNamesUsable(const Options& options)
{
    for (const std::string& out : options.outs) {
        std::string why;
        if (!outputNameUsable(out, why)) {
            logMessage(LOG_ERROR, "--out %s", why.c_str());
            return false;
        }
    }
    return true;
}

int runStills(const Options& options)
{
    bool scaled = options.outWidth != FRAME_WIDTH || options.outHeight != FRAME_HEIGHT;
    if (scaled && !ffmpegOnPath()) {
        std::fprintf(stderr,
                     "zant: the ffmpeg command is needed for --size and was not found "
                     "(install the ffmpeg package)\n");
        return 1;
    }
    if (!outputNamesUsable(options))
        return 1;
    if (!headlessStartup())
        return 1;
    signal(SIGPIPE, SIG_IGN);  // a failed ffmpeg shows up as a failed write
    signal(SIGXFSZ, SIG_IGN);  // and so does a size limit
    std::vector<uint8_t> rgb;
    for (size_t i = 0; i < options.stills.size(); i++) {
        drawFrameAt(options.stills[i]);
        readFrameRgb(rgb, FRAME_WIDTH, FRAME_HEIGHT);
        char err[512];
        if (scaled) {
            if (!writeScaledPng(options, options.outs[i], rgb))
                return 1;
        } else if (!writePng(options.outs[i].c_str(), rgb.data(), FRAME_WIDTH, FRAME_HEIGHT, err, sizeof err)) {
            std::fprintf(stderr, "zant: %s\n", err);
            return 1;
        }
        std::fprintf(stderr, "zant: wrote %s (song time %.4f)\n", options.outs[i].c_str(), options.stills[i]);
    }
    return 0;
}
