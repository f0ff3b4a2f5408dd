// Command-line options. With none the program behaves exactly as the show
// always did: it asks "Fullscreen?" and plays from ./data.
#pragma once
#include <string>
#include <vector>

#include "core/frame.h"

struct Options {
    int fullscreenChoice = -1;  // -1 ask, 0 windowed, 1 fullscreen
    bool vsync = true;
    bool nosound = false;
    int audioOffsetMs = 0;
    std::string dataDir = "data";
    double startPattern = 0.0;       // seek here once the music starts
    double freezePattern = -1.0;     // >= 0: hold the clock at this pattern
    std::vector<double> stills;      // song times in patterns
    std::vector<std::string> outs;   // one PNG per still
    std::string renderOut;           // video or numbered PNG pattern
    double fps = 60.0;
    double fromPattern = 0.0;
    double toPattern = -1.0;         // -1: end of song
    std::string sizeText;            // --size as given
    int outWidth = FRAME_WIDTH;      // what --size asked for, checked
    int outHeight = FRAME_HEIGHT;
    int scale = 1;
    bool fullscreenDesktop = false;
};

// Parses argv. Returns -1 to go on, or the exit status to leave with
// (0 after --help/--version, 2 after a usage error).
int parseOptions(int argc, char** argv, Options& options);
