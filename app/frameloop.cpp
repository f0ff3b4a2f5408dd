#include "app/frameloop.h"

#include "core/runstate.h"
#include "devtools/text.h"
#include "music/music.h"
#include "platform/events.h"
#include "platform/window.h"
#include "render/caps.h"
#include "scenes/timeline.h"

void drawShowFrame()
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
