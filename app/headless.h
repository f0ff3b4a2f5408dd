// Headless runs: the normal start-up on an EGL pbuffer (no window, no sound
// device, no question, no pauses), then frames drawn at chosen song times.
#pragma once
#include <string>
#include "core/songtime.h"
#include <vector>

struct Options;

// Seconds spent in each start-up phase of the last headlessStartup (for the
// start-up benchmark; the pauses a screen run makes are not part of it).
struct StartupTimes {
    double display, textures, hallBuild, firstFrame, music;
};
extern StartupTimes startupTimes;

// Runs the start-up exactly as a normal run does, without the pauses.
// Returns false (after printing why) when no headless context can be made.
bool headlessStartup();
// Draws the frame the show has at song time t (patterns) into the back
// buffer, through the window's frame function. Returns the GL error the
// frame left (0 for none).
unsigned int drawFrameAt(double t);
unsigned int drawFrameAtMillis(int ms);
// The same without waiting for the GL to finish it: a read-back that
// follows waits only as long as it has to.
unsigned int drawFrameAtMillisNoWait(int ms);

// --still T --out F.png pairs, in the order given. Returns the exit status.
int runStills(const Options& options);
// --render OUT: the show to a video or PNG sequence. Returns the exit status.
int runVideo(const Options& options);
