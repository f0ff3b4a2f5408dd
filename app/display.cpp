#include "app/display.h"

#include <cstdio>

#include "core/errors.h"
#include "core/frame.h"
#include "devtools/text.h"
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

// Many displays (virtual machines, laptop panels under Wayland, Xvfb) have
// no 640x480 mode to switch to: the show then fills the desktop as
// --fullscreen-desktop does, the picture kept 4:3 on black.
static void openDesktopFullscreenInstead(const DisplayOptions& options)
{
    logMessage(LOG_INFO,
               "the display has no %dx%d mode to switch to; showing the picture fullscreen at the desktop's "
               "resolution, kept 4:3 (as --fullscreen-desktop does)",
               screenwidth, screenheight);
    DisplayOptions desktop = options;
    desktop.fullscreenDesktop = true;
    desktop.scale = 1;
    openScaledDisplay(desktop);
}

void initDisplay(const DisplayOptions& options)
{
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
        if (fullscreen && !displayHasMode(screenwidth, screenheight))
            openDesktopFullscreenInstead(options);
        else if (!createGlWindow(fullscreen, screenwidth, screenheight, 32, 32, "ZANT", 0, 0, options.vsync))
            initFailed(platformError());
    }
    finishDisplaySetup();
}

bool initHeadlessDisplay(char* err, int errSize)
{
    screenwidth = FRAME_WIDTH;
    screenheight = FRAME_HEIGHT;
    dialogsAllowed = false;
    if (!createHeadlessContext(err, errSize))
        return false;
    finishDisplaySetup();
    return true;
}
