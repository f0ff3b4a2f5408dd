#include "app/frameloop.h"

#include "app/devlog.h"
#include "app/reload.h"
#include "core/errors.h"
#include "core/random.h"
#include "core/runstate.h"
#include "devtools/text.h"
#include "music/music.h"
#include "platform/events.h"
#include "platform/window.h"
#include "render/caps.h"
#include "scenes/timeline.h"

// A paused picture must hold still, but the flicker draws new random values
// every frame: while paused, every frame at one sample draws the values the
// first one drew. Playing frames never rewind, so they stay as they were.
struct PausedFrame {
    bool held = false;
    long long sample = 0;
    uint32_t randState = 0;
    uint64_t randDraws = 0;
};
static PausedFrame paused;

static void holdRandomWhilePaused()
{
    if (!songPaused()) {
        paused.held = false;
        return;
    }
    long long sample = songSample();
    if (paused.held && paused.sample == sample) {
        rand15State = paused.randState;
        rand15Draws = paused.randDraws;
        return;
    }
    paused = PausedFrame{true, sample, rand15State, rand15Draws};
}

unsigned int drawShowFrame()
{
    pollDataWatch();
    holdRandomWhilePaused();
    if (logClock())
        logMessage(LOG_INFO, "frame at ms %d (sample %lld)", songMillis(), songSample());
    runTimeline();
    if (overlayEnabled || bandMeterEnabled) {
        int ms = songMillis();
        float t = (float)songTime();
        if (overlayEnabled)
            drawStatusOverlay(t, ms);
        if (bandMeterEnabled)
            drawBandMeter(t, ms);
    }
    swapFrame();
    return takeGlError();
}

void drawWindowFrame()
{
    failOnGlError(drawShowFrame());
}

void runFrameLoop(const FrameLoopIo& io)
{
    while (quitRequested == 0) {
        Event event;
        if (io.pollEvent(event)) {
            if (event.type == EVENT_QUIT)
                quitRequested += 1;
            io.handleEvent(event);
            continue;
        }
        io.drawFrame();
    }
}
