// Entry point: start-up in a fixed order, the frame loop, shutdown.
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/display.h"
#include "app/frameloop.h"
#include "app/headless.h"
#include "app/keys.h"
#include "app/options.h"
#include "core/datadirs.h"
#include "app/reload.h"
#include "core/datapath.h"
#include "core/errors.h"
#include "core/runstate.h"
#include "core/songtime.h"
#include "mesh/meshes.h"
#include "music/music.h"
#include "music/ticks.h"
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
        std::fprintf(stderr,
                     "zant: no display (DISPLAY and WAYLAND_DISPLAY are unset). Run it on a "
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
    writeUnsavedTicks();  // Escape wrote them; the song's end, a close or Ctrl+C did not
    stopDataWatch();
    stopMusic();
    destroyGlWindow();
    return 0;
}

// A --data that names no folder would otherwise surface as a missing
// picture inside it.
static int checkDataFolder(const Options& options)
{
    if (!options.dataGiven)
        return 0;
    struct stat info;
    if (stat(options.dataDir.c_str(), &info) != 0) {
        std::fprintf(stderr, "zant: --data %s: no such folder\n", options.dataDir.c_str());
        return 1;
    }
    if (!S_ISDIR(info.st_mode)) {
        std::fprintf(stderr,
                     "zant: --data %s: not a folder (give the folder that holds tunemix.mp3 and the pictures)\n",
                     options.dataDir.c_str());
        return 1;
    }
    return 0;
}

// Times past the song's end are refused before anything starts.
static int checkTimesAgainstSong(const Options& options)
{
    int length = probeSongMillis(dataPath("tunemix.mp3").c_str());
    if (length < 0)
        return 0;
    songBpm = songBpmConstant;  // the tempo is fixed; the conversions need it before the music starts
    int status = checkSongTimes(options, patternsForMillis(length));
    bool showing = options.renderOut.empty() && options.stills.empty();
    if (status == 0 && options.loop && showing && !loopFitsSong(options, length))
        status = 2;
    return status;
}

int main(int argc, char** argv)
{
    Options options;
    int status = parseOptions(argc, argv, options);
    if (status >= 0)
        return status;
    installFatalErrorDisplay();
    status = checkDataFolder(options);
    if (status != 0)
        return status;
    std::string noData;
    dataDir = chooseDataFolder(options.dataDir, noData);
    if (dataDir.empty()) {
        dialogsAllowed = options.stills.empty() && options.renderOut.empty();
        fatalError(noData.c_str());
    }
    status = checkTimesAgainstSong(options);
    if (status != 0)
        return status;
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
