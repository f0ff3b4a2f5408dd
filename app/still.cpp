#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/display.h"
#include "app/encoder.h"
#include "app/frameloop.h"
#include "app/headless.h"
#include "app/options.h"
#include "app/outsize.h"
#include "app/startup.h"
#include "core/datapath.h"
#include "core/errors.h"
#include "core/frame.h"
#include "core/outfile.h"
#include "core/runstate.h"
#include "core/songtime.h"
#include "devtools/png.h"
#include "music/music.h"
#include "platform/gl.h"
#include "platform/signals.h"
#include "render/caps.h"

StartupTimes startupTimes = {};

static double secondsSince(std::chrono::steady_clock::time_point& mark)
{
    auto now = std::chrono::steady_clock::now();
    double s = std::chrono::duration<double>(now - mark).count();
    mark = now;
    return s;
}

// The phases' seconds, summed into the parts the start-up benchmark shows.
static double* startupTimeSlot(StartupPhase phase)
{
    switch (phase) {
    case STARTUP_OPEN_DISPLAY:
    case STARTUP_FIRST_MOSAIC:
    case STARTUP_CAPABILITIES:
    case STARTUP_DISPLAY_REST: return &startupTimes.display;
    case STARTUP_ASSETS: return &startupTimes.textures;
    case STARTUP_HALL_BUILD: return &startupTimes.hallBuild;
    case STARTUP_FIRST_FRAME: return &startupTimes.firstFrame;
    default: return &startupTimes.music;
    }
}

bool headlessStartup()
{
    startupTimes = {};
    Startup startup;
    startup.openDisplay = openHeadlessDisplay;
    startup.startSoundtrack = [] { startMusicOffline(dataPath("tunemix.mp3").c_str(), 180.0f); };
    auto mark = std::chrono::steady_clock::now();
    // No pauses: nobody watches.
    while (startup.next != STARTUP_DONE) {
        StartupPhase phase = startup.next;
        if (startupStep(startup) == STARTUP_FAILED) {
            logMessage(LOG_ERROR, "cannot make a headless GL context: %s", startup.failure.c_str());
            return false;
        }
        glFinish();
        *startupTimeSlot(phase) += secondsSince(mark);
    }
    return true;
}

unsigned int drawFrameAtMillis(int ms)
{
    unsigned int error = drawFrameAtMillisNoWait(ms);
    glFinish();
    return error;
}

unsigned int drawFrameAtMillisNoWait(int ms)
{
    setSongMillis(ms);
    return drawShowFrame();
}

unsigned int drawFrameAt(double t)
{
    return drawFrameAtMillis(millisForPatterns(t));
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
    if (!startFfmpeg(args, &scaler, why)) {
        logMessage(LOG_ERROR, "could not start ffmpeg: %s", why.c_str());
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
        logMessage(LOG_ERROR, "the ffmpeg command is needed for --size and was not found (install the ffmpeg package)");
        return 1;
    }
    if (!outputNamesUsable(options))
        return 1;
    if (!headlessStartup())
        return 1;
    reportFailedWritesAsErrors();  // a failed ffmpeg or a size limit shows up as a failed write
    std::vector<uint8_t> rgb;
    for (size_t i = 0; i < options.stills.size(); i++) {
        if (unsigned int error = drawFrameAt(options.stills[i])) {
            logMessage(LOG_ERROR, "the GL failed (%s) drawing song time %.4f; %s not written", glErrorName(error),
                       options.stills[i], options.outs[i].c_str());
            return 1;
        }
        readFrameRgb(rgb, FRAME_WIDTH, FRAME_HEIGHT);
        char err[512];
        if (scaled) {
            if (!writeScaledPng(options, options.outs[i], rgb))
                return 1;
        } else if (!writePng(options.outs[i].c_str(), rgb.data(), FRAME_WIDTH, FRAME_HEIGHT, err, sizeof err)) {
            logMessage(LOG_ERROR, "%s", err);
            return 1;
        }
        logMessage(LOG_INFO, "wrote %s (song time %.4f)", options.outs[i].c_str(), options.stills[i]);
    }
    return 0;
}
