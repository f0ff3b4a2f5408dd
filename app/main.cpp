// Entry point: start-up in a fixed order, the frame loop, shutdown.
#include <sys/stat.h>

#include <string>

#include "app/datafolder.h"
#include "app/display.h"
#include "app/frameloop.h"
#include "app/headless.h"
#include "app/keys.h"
#include "app/options.h"
#include "app/reload.h"
#include "app/startup.h"
#include "core/datapath.h"
#include "core/errors.h"
#include "core/runstate.h"
#include "core/songtime.h"
#include "music/music.h"
#include "music/ticks.h"
#include "platform/dialogs.h"
#include "platform/events.h"
#include "platform/window.h"

static const float songBpmConstant = 180.0f;

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

// The window, the assets and the music, with the show's pauses between.
static void startShow(const Options& options)
{
    DisplayOptions display;
    display.fullscreenChoice = options.fullscreenChoice;
    display.vsync = options.vsync;
    display.scale = options.scale;
    display.fullscreenDesktop = options.fullscreenDesktop;
    Startup startup;
    startup.openDisplay = [&display](std::string& why) { return openWindowDisplay(display, why); };
    startup.startSoundtrack = [&options] { startSoundtrack(options); };
    int pause;
    while ((pause = startupStep(startup)) >= 0)
        sleepMillis(pause);
    if (pause == STARTUP_FAILED)
        fatalError(startup.failure.c_str());
}

static int runShow(const Options& options)
{
    if (!displayAvailable()) {
        logMessage(LOG_ERROR,
                   "no display (DISPLAY and WAYLAND_DISPLAY are unset). Run it on a "
                   "desktop or under xvfb-run, or use the headless modes --still or --render.");
        return 1;
    }
    startShow(options);
    if (options.watch)
        startDataWatch();
    runFrameLoop(FrameLoopIo{pollEvent, windowProc, drawWindowFrame});
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
        logMessage(LOG_ERROR, "--data %s: no such folder", options.dataDir.c_str());
        return 1;
    }
    if (!S_ISDIR(info.st_mode)) {
        logMessage(LOG_ERROR, "--data %s: not a folder (give the folder that holds tunemix.mp3 and the pictures)",
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
    dataDir = chooseDataFolder(options.dataDir, currentDataSearchInputs(), noData);
    if (dataDir.empty()) {
        dialogsAllowed = options.stills.empty() && options.renderOut.empty();
        fatalError(noData.c_str());
    }
    status = checkTimesAgainstSong(options);
    if (status != 0)
        return status;
    glesRequested = options.gles;
    overlayEnabled = options.overlay ? 1 : 0;
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
