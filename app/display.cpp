#include "app/display.h"

#include <cstdio>

#include "core/errors.h"
#include "core/frame.h"
#include "devtools/text.h"
#include "gl/dispatch.h"
#include "platform/dialogs.h"
#include "platform/window.h"
#include "render/caps.h"
#include "texture/assets.h"

// "Init failed!" is all the box says; stderr also gets the platform's reason
// and the ways around a display that can't do what was asked.
[[noreturn]] static void initFailed(const char* reason)
{
    std::fprintf(stderr, "zant: the display could not be set up: %s\n", reason && *reason ? reason : "no reason given");
    std::fprintf(stderr, "zant: answer No to \"Fullscreen?\", or run with --windowed or --fullscreen-desktop\n");
    fatalError("Init failed!");
}

static void finishDisplaySetup()
{
    texwidth = nextPowerOfTwo(screenwidth);
    texheight = nextPowerOfTwo(screenheight);
    makeMosaicTextures();
    createOutlineFont();
    presentLoadingFrame();
}

// The show at 640x480 in a bigger window or on the whole desktop, through
// the offscreen frame; no display-mode switch.
static void openScaledDisplay(const DisplayOptions& options)
{
    char err[256] = "";
    ScaledWindowResult result =
        createScaledWindow(options.scale, options.fullscreenDesktop, options.vsync, err, sizeof err);
    if (result == SCALED_NO_WINDOW)
        initFailed(err);
    if (result == SCALED_NO_FRAME)
        fatalError(err);
}

void initDisplay(const DisplayOptions& options)
{
    setContextReadyHook(selectGlPath);
    screenwidth = FRAME_WIDTH;
    screenheight = FRAME_HEIGHT;
    if (!startVideo())
        initFailed(platformError());
    if (options.scale > 1 || options.fullscreenDesktop) {
        openScaledDisplay(options);
    } else {
        // Only an explicit No gives a window.
        bool fullscreen =
            options.fullscreenChoice < 0 ? askYesNo("ZANT", "Fullscreen?") != 0 : options.fullscreenChoice == 1;
        if (!createGlWindow(fullscreen, screenwidth, screenheight, 32, 32, "ZANT", 0, 0, options.vsync))
            initFailed(platformError());
    }
    finishDisplaySetup();
}

bool initHeadlessDisplay(char* err, int errSize)
{
    screenwidth = FRAME_WIDTH;
    screenheight = FRAME_HEIGHT;
    dialogsAllowed = false;
    setContextReadyHook(selectGlPath);
    if (!createHeadlessContext(err, errSize))
        return false;
    finishDisplaySetup();
    return true;
}
