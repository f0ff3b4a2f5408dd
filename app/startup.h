// The show's start-up, written once for every run: the display, the loading
// frames, the assets, the first black frame, the pauses and the music, in
// the order that fixes every picture (each step draws from the one random
// generator). It is a list of steps that any loop can drive: a desktop run
// sleeps through the waits, a headless run skips them, and a loop that must
// not block (a browser's) can count frames until a wait is over.
#pragma once
#include <functional>
#include <string>

enum StartupPhase {
    STARTUP_OPEN_DISPLAY,  // window or headless context, then a pause
    STARTUP_FIRST_MOSAIC,  // the 32x32 mosaic texture and the first loading frame
    STARTUP_CAPABILITIES,  // checkGlCapabilities, right after the first texture
    STARTUP_DISPLAY_REST,  // the other mosaic textures, the font, a loading frame
    STARTUP_ASSETS,        // every other texture and mesh
    STARTUP_HALL_BUILD,    // the column hall's display list
    STARTUP_FIRST_FRAME,   // a cleared frame on screen, then a pause
    STARTUP_MUSIC,         // musicStarted, then the soundtrack
    STARTUP_DONE,
};

// What differs between runs. openDisplay makes the window or context (false
// with the reason in why); startSoundtrack starts the song's clock.
struct Startup {
    std::function<bool(std::string& why)> openDisplay;
    std::function<void()> startSoundtrack;
    StartupPhase next = STARTUP_OPEN_DISPLAY;
    std::string failure;  // why the display could not be opened
};

const int STARTUP_FINISHED = -1;  // the frame loop may start
const int STARTUP_FAILED = -2;    // startup.failure says why

// Runs the next step. Returns the milliseconds the show pauses before the
// step after it (0 for none), STARTUP_FINISHED, or STARTUP_FAILED.
int startupStep(Startup& startup);
// The pause after a phase, as startupStep returns it.
int startupPauseAfter(StartupPhase phase);
