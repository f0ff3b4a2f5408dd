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

static bool openDisplay(Startup& s)
{
    screenwidth = FRAME_WIDTH;
    screenheight = FRAME_HEIGHT;
    return s.openDisplay(s.failure);
}

static void makeFirstMosaic()
{
    texwidth = nextPowerOfTwo(screenwidth);
    texheight = nextPowerOfTwo(screenheight);
    makeMosaicTexture(0);
}

static void finishDisplay()
{
    for (int i = 1; i < 4; i++)
        makeMosaicTexture(i);
    createOutlineFont();
    presentLoadingFrame();
}

static void presentFirstFrame()
{
    applyRenderState(&blackPreset);
    swapFrame();
}

static void startTheMusic(Startup& s)
{
    musicStarted += 1;
    s.startSoundtrack();
}

static bool runPhase(Startup& s, StartupPhase phase)
{
    switch (phase) {
    case STARTUP_OPEN_DISPLAY: return openDisplay(s);
    case STARTUP_FIRST_MOSAIC: makeFirstMosaic(); break;
    case STARTUP_CAPABILITIES: checkGlCapabilities(); break;
    case STARTUP_DISPLAY_REST: finishDisplay(); break;
    case STARTUP_ASSETS: prepareAssets(); break;
    case STARTUP_HALL_BUILD: drawColumnHallScene(0.0f, DF_BUILD); break;
    case STARTUP_FIRST_FRAME: presentFirstFrame(); break;
    case STARTUP_MUSIC: startTheMusic(s); break;
    case STARTUP_DONE: break;
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
