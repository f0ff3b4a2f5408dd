#include "app/startup.h"

#include "core/frame.h"
#include "core/runstate.h"
#include "devtools/text.h"
#include "mesh/meshes.h"
#include "platform/window.h"
#include "render/caps.h"
#include "render/state.h"
#include "scenes/scenes.h"
#include "texture/assets.h"

int startupPauseAfter(StartupPhase phase)
{
    switch (phase) {
    case STARTUP_OPEN_DISPLAY: return 1000;  // a black window before the loading starts
    case STARTUP_FIRST_FRAME: return 2000;   // stillness before music and animation start together
    default: return 0;
    }
}

static bool runPhase(Startup& s, StartupPhase phase)
{
    switch (phase) {
    case STARTUP_OPEN_DISPLAY:
        screenwidth = FRAME_WIDTH;
        screenheight = FRAME_HEIGHT;
        return s.openDisplay(s.failure);
    case STARTUP_FIRST_MOSAIC:
        texwidth = nextPowerOfTwo(screenwidth);
        texheight = nextPowerOfTwo(screenheight);
        makeMosaicTexture(0);
        return true;
    case STARTUP_CAPABILITIES:
        checkGlCapabilities();
        return true;
    case STARTUP_DISPLAY_REST:
        for (int i = 1; i < 4; i++)
            makeMosaicTexture(i);
        createOutlineFont();
        presentLoadingFrame();
        return true;
    case STARTUP_ASSETS:
        prepareAssets();
        return true;
    case STARTUP_HALL_BUILD:
        drawColumnHallScene(0.0f, DF_BUILD);
        return true;
    case STARTUP_FIRST_FRAME:
        applyRenderState(&blackPreset);
        swapFrame();
        return true;
    case STARTUP_MUSIC:
        musicStarted += 1;
        s.startSoundtrack();
        return true;
    case STARTUP_DONE:
        return true;
    }
    return true;
}

int startupStep(Startup& s)
{
    if (s.next == STARTUP_DONE)
        return STARTUP_FINISHED;
    StartupPhase phase = s.next;
    if (!runPhase(s, phase))
        return STARTUP_FAILED;
    s.next = (StartupPhase)(phase + 1);
    return startupPauseAfter(phase);
}
