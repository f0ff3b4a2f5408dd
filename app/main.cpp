// Entry point: start-up in a fixed order, the frame loop, shutdown.
#include <SDL.h>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/headless.h"
#include "app/keys.h"
#include "app/options.h"
#include "app/shell.h"
#include "app/window.h"
#include "core/datadirs.h"
#include "devtools/text.h"
#include "music/music.h"
#include "render/gl.h"
#include "render/state.h"
#include "scenes/scenes.h"
#include "scenes/timeline.h"
#include "texture/assets.h"

static const float songBpmConstant = 180.0f;

static bool haveDisplay()
{
    const char* x = std::getenv("DISPLAY");
    const char* wl = std::getenv("WAYLAND_DISPLAY");
    return (x && *x) || (wl && *wl);
}

static void drawFrame()
{
    runTimeline();
    if (overlayEnabled) {
        int ms = songMillis();
        float t = (float)songTime();
        drawStatusOverlay(t, ms);
    }
    swapFrame();
    checkGlError();
}

// One event per iteration; a frame only when none was waiting.
static void frameLoop()
{
    while (quitRequested == 0) {
        SDL_Event event;
        if (SDL_PollEvent(&event)) {
            if (event.type == SDL_QUIT)
                quitRequested += 1;
            windowProc(event);
            continue;
        }
        drawFrame();
    }
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
    if (options.startPattern > 0.0)
        seekSong((float)options.startPattern);
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
    frameLoop();
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
    std::string noData;
    dataDir = chooseDataFolder(options.dataDir, noData);
    if (dataDir.empty()) {
        dialogsAllowed = options.stills.empty() && options.renderOut.empty();
        fatalError(noData.c_str());
    }
    int result;
    if (!options.renderOut.empty())
        result = runVideo(options);
    else if (!options.stills.empty())
        result = runStills(options);
    else
        result = runShow(options);
    SDL_Quit();
    return result;
}
