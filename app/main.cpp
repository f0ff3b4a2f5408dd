// Entry point: start-up in a fixed order, the frame loop, shutdown.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/display.h"
#include "app/frameloop.h"
#include "app/headless.h"
#include "app/keys.h"
#include "app/options.h"
#include "app/reload.h"
#include "core/datapath.h"
#include "core/runstate.h"
#include "core/songtime.h"
#include "mesh/meshes.h"
#include "music/music.h"
#include "platform/dialogs.h"
#include "platform/events.h"
#include "platform/window.h"
#include "render/state.h"
#include "scenes/scenes.h"

static const float songBpmConstant = 180.0f;

static bool haveDisplay()
{
    const char* x = std::getenv("DISPLAY");
    const char* wl = std::getenv("WAYLAND_DISPLAY");
    return (x && *x) || (wl && *wl);
}

static void startSoundtrack(const Options& options)
{
    std::string path = dataPath("tunemix.mp3");
    if (options.freezePattern >= 0.0) {
        startMusicOffline(path.c_str(), songBpmConstant);
        setSongMillis(millisForPatterns(options.freezePattern));
        return;
    }
    setSoundOptions(options.nosound, options.audioOffsetMs);
    startMusic(path.c_str(), songBpmConstant);
    if (options.loop)
        setSongLoop(true, options.loopStart, options.loopEnd);
    if (options.startPattern > 0.0)
        seekSong((float)options.startPattern);
    else if (options.loop)
        seekSongSample(samplesAtPatterns(options.loopStart, SONG_RATE));
}

static int runShow(const Options& options)
{
    if (!haveDisplay()) {
        std::fprintf(stderr, "zant: no display (DISPLAY and WAYLAND_DISPLAY are unset). Run it on a "
                             "desktop or under xvfb-run, or use the headless modes --still or --render.\n");
        return 1;
    }
    DisplayOptions display;
    display.fullscreenChoice = options.fullscreenChoice;
    display.vsync = options.vsync;
    display.scale = options.scale;
    display.fullscreenDesktop = options.fullscreenDesktop;
    initDisplay(display);
    prepareAssets();
    drawColumnHallScene(0.0f, DF_BUILD);
    applyRenderState(&blackPreset);
    swapFrame();
    sleepMillis(2000);
    musicStarted += 1;
    startSoundtrack(options);
    if (options.watch)
        startDataWatch();
    runFrameLoop(FrameLoopIo{pollEvent, windowProc, drawShowFrame});
    stopDataWatch();
    stopMusic();
    destroyGlWindow();
    return 0;
}

int main(int argc, char** argv)
{
    Options options;
    int status = parseOptions(argc, argv, options);
    if (status >= 0)
        return status;
    installFatalErrorDisplay();
    dataDir = options.dataDir;
    if (options.loop && options.renderOut.empty() && options.stills.empty()) {
        songBpm = songBpmConstant;
        if (!loopFitsSong(options, probeSongMillis(dataPath("tunemix.mp3").c_str())))
            return 2;
    }
    int result;
    if (!options.renderOut.empty())
        result = runVideo(options);
    else if (!options.stills.empty())
        result = runStills(options);
    else
        result = runShow(options);
    platformQuit();
    return result;
}
