#include "platform/window.h"

#include <SDL.h>
#include <cstdio>
#include <cstdlib>

#include "core/errors.h"
#include "core/frame.h"
#include "platform/gl.h"
#include "platform/scaled.h"

DisplayKind displayKind = DisplayKind::None;
int formatStencilBits = 0;
bool glesRequested = false;
static bool (*contextReadyHook)(bool gles, char* err, int errSize) = nullptr;

void setContextReadyHook(bool (*hook)(bool gles, char* err, int errSize))
{
    contextReadyHook = hook;
}

bool runContextReadyHook(char* err, int errSize)
{
    return !contextReadyHook || contextReadyHook(glesRequested, err, errSize);
}

static SDL_Window* windowHandle = nullptr;
static SDL_GLContext renderContext = nullptr;
static bool videoStarted = false;
static bool modeSwitched = false;

void sleepMillis(int ms)
{
    SDL_Delay((Uint32)ms);
}

bool displayAvailable()
{
    const char* x = std::getenv("DISPLAY");
    const char* wl = std::getenv("WAYLAND_DISPLAY");
    return (x && *x) || (wl && *wl);
}

const char* platformError()
{
    return SDL_GetError();
}

void swapFrame()
{
    if (displayKind == DisplayKind::Window) {
        if (scaledFrameActive())
            presentScaledFrame();
        SDL_GL_SwapWindow(windowHandle);
        if (scaledFrameActive())
            resumeScaledFrame();
    } else if (displayKind == DisplayKind::Headless) {
        glFlush();
    }
}

void selectFrameReadBuffer()
{
    glReadBuffer(scaledFrameActive() ? GL_COLOR_ATTACHMENT0 : GL_BACK);
}

bool startVideo()
{
    if (videoStarted)
        return true;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return false;
    videoStarted = true;
    return true;
}

static void requestPixelFormat(int colorBits, int depthBits)
{
    int channel = colorBits >= 24 ? 8 : 5;
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, channel);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, channel);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, channel);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depthBits);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    if (glesRequested) {
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
    }
}

// SDL's attributes are minimums; the Windows chooser took the closest match,
// so step the depth request down until a window can be made.
static SDL_Window* openWindow(bool fullscreen, int width, int height, int colorBits, int depthBits, const char* title,
                              int x, int y)
{
    Uint32 flags = SDL_WINDOW_OPENGL | (fullscreen ? SDL_WINDOW_FULLSCREEN : SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE);
    const int depths[] = {depthBits, 24, 16};
    for (int depth : depths) {
        requestPixelFormat(colorBits, depth);
        SDL_Window* w = SDL_CreateWindow(title, fullscreen ? 0 : x, fullscreen ? 0 : y, width, height, flags);
        if (w)
            return w;
    }
    return nullptr;
}

static bool closestMode(int width, int height, SDL_DisplayMode& closest)
{
    SDL_DisplayMode mode = {};
    mode.format = SDL_PIXELFORMAT_RGB888;
    mode.w = width;
    mode.h = height;
    return SDL_GetClosestDisplayMode(0, &mode, &closest) && closest.w == width && closest.h == height;
}

bool displayHasMode(int width, int height)
{
    SDL_DisplayMode closest;
    return startVideo() && closestMode(width, height, closest);
}

static bool switchDisplayMode(int width, int height)
{
    SDL_DisplayMode closest;
    if (!closestMode(width, height, closest)) {
        SDL_SetError("the display has no %dx%d mode", width, height);
        return false;
    }
    if (SDL_SetWindowDisplayMode(windowHandle, &closest) != 0)
        return false;
    modeSwitched = true;
    return true;
}

static void chooseSwapInterval(bool vsync)
{
    if (!vsync) {
        SDL_GL_SetSwapInterval(0);
        return;
    }
    if (SDL_GL_SetSwapInterval(-1) != 0)
        SDL_GL_SetSwapInterval(1);
}

static bool makeContextCurrent()
{
    renderContext = windowHandle ? SDL_GL_CreateContext(windowHandle) : nullptr;
    if (!renderContext || SDL_GL_MakeCurrent(windowHandle, renderContext) != 0)
        return false;
    displayKind = DisplayKind::Window;
    char err[256] = "";
    if (!runContextReadyHook(err, sizeof err)) {
        SDL_SetError("%s", err);
        return false;
    }
    return true;
}

bool createGlWindow(bool fullscreen, int width, int height, int colorBits, int depthBits, const char* title, int x,
                    int y, bool vsync)
{
    if (!startVideo())
        return false;
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, fullscreen ? "1" : "0");
    windowHandle = openWindow(fullscreen, width, height, colorBits, depthBits, title, x, y);
    if (!windowHandle)
        return false;
    if (fullscreen && !switchDisplayMode(width, height))
        return false;
    SDL_ShowCursor(fullscreen ? SDL_DISABLE : SDL_ENABLE);
    if (!makeContextCurrent())
        return false;
    displayKind = DisplayKind::Window;
    chooseSwapInterval(vsync);
    SDL_GL_GetAttribute(SDL_GL_STENCIL_SIZE, &formatStencilBits);
    return true;
}

ScaledWindowResult createScaledWindow(int scale, bool fullscreenDesktop, bool vsync, char* err, int errSize)
{
    if (!startVideo()) {
        std::snprintf(err, errSize, "%s", SDL_GetError());
        return SCALED_NO_WINDOW;
    }
    int w = FRAME_WIDTH * scale, h = FRAME_HEIGHT * scale;
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE |
        (fullscreenDesktop ? SDL_WINDOW_FULLSCREEN_DESKTOP : SDL_WINDOW_SHOWN);
    requestPixelFormat(32, 24);
    windowHandle = SDL_CreateWindow("ZANT", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, w, h, flags);
    if (!makeContextCurrent()) {
        std::snprintf(err, errSize, "%s", SDL_GetError());
        return SCALED_NO_WINDOW;
    }
    displayKind = DisplayKind::Window;
    chooseSwapInterval(vsync);
    SDL_GL_GetDrawableSize(windowHandle, &w, &h);
    if (!createScaledFrame(w, h, err, errSize))
        return SCALED_NO_FRAME;
    if (fullscreenDesktop)
        SDL_ShowCursor(SDL_DISABLE);
    return SCALED_OK;
}

// A plain 640x480 window draws straight into its back buffer; any other size
// needs the offscreen frame, made the first time it is needed.
static bool scaledFrameReady()
{
    if (scaledFrameActive())
        return true;
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(windowHandle, &w, &h);
    char err[256] = "";
    if (createScaledFrame(w, h, err, sizeof err))
        return true;
    logMessage(LOG_WARNING, "the picture cannot be scaled to the window: %s", err);
    return false;
}

void windowSizeChanged()
{
    if (displayKind != DisplayKind::Window || !windowHandle)
        return;
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(windowHandle, &w, &h);
    if (!scaledFrameActive() && w == FRAME_WIDTH && h == FRAME_HEIGHT)
        return;
    if (scaledFrameReady())
        resizeScaledFrame(w, h);
}

void toggleDesktopFullscreen()
{
    if (displayKind != DisplayKind::Window || !windowHandle)
        return;
    bool full = (SDL_GetWindowFlags(windowHandle) & SDL_WINDOW_FULLSCREEN) != 0;
    if (!full && !scaledFrameReady())
        return;
    if (SDL_SetWindowFullscreen(windowHandle, full ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) {
        logMessage(LOG_WARNING, "cannot switch %s: %s", full ? "back to the window" : "to fullscreen", SDL_GetError());
        return;
    }
    modeSwitched = false;
    SDL_ShowCursor(full ? SDL_ENABLE : SDL_DISABLE);
    windowSizeChanged();
}

void destroyGlWindow()
{
    if (modeSwitched && windowHandle) {
        SDL_SetWindowFullscreen(windowHandle, 0);
        modeSwitched = false;
    }
    if (renderContext) {
        SDL_GL_MakeCurrent(windowHandle, nullptr);
        SDL_GL_DeleteContext(renderContext);
        renderContext = nullptr;
    }
    if (windowHandle) {
        SDL_DestroyWindow(windowHandle);
        windowHandle = nullptr;
    }
    if (videoStarted)
        SDL_ShowCursor(SDL_ENABLE);
    if (displayKind == DisplayKind::Window)
        displayKind = DisplayKind::None;
}

void platformQuit()
{
    SDL_Quit();
}
