#include "app/display.h"

#include <cstdio>

#include "app/startup.h"
#include "core/errors.h"
#include "gl/dispatch.h"
#include "platform/dialogs.h"
#include "platform/window.h"
#include "core/frame.h"

// "Init failed!" is all the box says; stderr also gets the platform's reason
// and the ways around a display that can't do what was asked.
[[noreturn]] static void initFailed(const char* reason)
{
    logMessage(LOG_ERROR, "the display could not be set up: %s", reason && *reason ? reason : "no reason given");
    logMessage(LOG_ERROR, "answer No to \"Fullscreen?\", or run with --windowed or --fullscreen-desktop");
    fatalError("Init failed!");
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

bool openWindowDisplay(const DisplayOptions& options, std::string&)
{
    setContextReadyHook(selectGlPath);
    if (!startVideo())
        initFailed(platformError());
    if (options.scale > 1 || options.fullscreenDesktop) {
        openScaledDisplay(options);
        return true;
    }
    // Only an explicit No gives a window.
    bool fullscreen =
        options.fullscreenChoice < 0 ? askYesNo("ZANT", "Fullscreen?") != 0 : options.fullscreenChoice == 1;
    if (fullscreen && !displayHasMode(screenwidth, screenheight))
        openDesktopFullscreenInstead(options);
    else if (!createGlWindow(fullscreen, screenwidth, screenheight, 32, 32, "ZANT", 0, 0, options.vsync))
        initFailed(platformError());
    return true;
}

bool openHeadlessDisplay(std::string& why)
{
    dialogsAllowed = false;
    setContextReadyHook(selectGlPath);
    char err[256] = "";
    if (createHeadlessContext(err, sizeof err))
        return true;
    why = err;
    return false;
}

bool initHeadlessDisplay(char* err, int errSize)
{
    Startup startup;
    startup.openDisplay = openHeadlessDisplay;
    while (startup.next < STARTUP_ASSETS) {
        if (startupStep(startup) == STARTUP_FAILED) {
            std::snprintf(err, errSize, "%s", startup.failure.c_str());
            return false;
        }
    }
    return true;
}
