// Command-line options. With none the program behaves exactly as the show
// always did: it asks "Fullscreen?" and plays from the data folder (./data first).
#pragma once
#include <string>
#include <vector>

#include "core/frame.h"

struct Options {
    int fullscreenChoice = -1;  // -1 ask, 0 windowed, 1 fullscreen
    bool vsync = true;
    bool nosound = false;
    int audioOffsetMs = 0;
    std::string dataDir;     // empty: searched for (core/datadirs.h)
    bool dataGiven = false;  // --data named the folder
    bool freezeGiven = false;
    bool toGiven = false;
    double startPattern = 0.0;      // seek here once the music starts
    double freezePattern = -1.0;    // >= 0: hold the clock at this pattern
    std::vector<double> stills;     // song times in patterns
    std::vector<std::string> outs;  // one PNG per still
    std::string renderOut;          // video or numbered PNG pattern
    double fps = 60.0;
    double fromPattern = 0.0;
    double toPattern = -1.0;     // -1: end of song
    std::string sizeText;        // --size as given
    int crf = 18;                // x264's quality for --render videos: 0 lossless .. 51 smallest
    bool crfGiven = false;
    bool overwrite = false;      // --render may replace existing files
    int outWidth = FRAME_WIDTH;  // what --size asked for, checked
    int outHeight = FRAME_HEIGHT;
    int scale = 1;
    bool fullscreenDesktop = false;
    bool loop = false;       // --loop A:B given
    double loopStart = 0.0;  // patterns
    double loopEnd = 0.0;
    bool watch = false;  // reload data files as they change
    bool gles = false;   // draw through the fixed-function layer on OpenGL ES 3
    bool overlay = false;  // start with the status overlay on, as the i key turns it on
};

// For --help and the manual: the timeline's rows with their pattern
// ranges, one a line, and a song length in ms as "38.01 patterns (3:22.7)"
// (empty for a negative length).
std::string sceneTableText();
std::string songLengthText(int songMillis);

// Parses argv. Returns -1 to go on, or the exit status to leave with
// (0 after --help/--version, 2 after a usage error).
int parseOptions(int argc, char** argv, Options& options);
// Every song time given must lie between 0 and the song's end (patterns).
// Returns 0, or 2 after saying which option is out of range.
int checkSongTimes(const Options& options, double songEnd);
// --loop against the song's length in ms: false after saying why (the
// caller exits with status 2).
bool loopFitsSong(const Options& options, int songMillis);
