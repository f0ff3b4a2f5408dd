#include "app/window.h"

#include <SDL.h>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "app/scaled.h"
#include "app/shell.h"
#include "devtools/text.h"
#include "render/gl.h"
#include "render/vecmath.h"
#include "texture/procedural.h"

int screenwidth = 0;
int screenheight = 0;
int texwidth = 0;
int texheight = 0;
int clampmode = GL_CLAMP;
int formatStencilBits = 0;
Texture* mosaictex[4] = {nullptr, nullptr, nullptr, nullptr};
DisplayKind displayKind = DisplayKind::None;
int loadingFrameCalls = 0;

static SDL_Window* windowHandle = nullptr;
static SDL_GLContext renderContext = nullptr;
static bool videoStarted = false;
static bool modeSwitched = false;

void sleepMillis(int ms)
{
    SDL_Delay((Uint32)ms);
}

int nextPowerOfTwo(int n)
{
    int result = 0;
    for (int i = 0; i < 16; i++) {
        int low = (int)std::pow(2.0, i);
        int high = (int)std::pow(2.0, i + 1);
        if (low < n && n <= high)
            result = high;
    }
    return result;
}

int clampModeForVersion(const char* version)
{
    int major = 0, minor = 0;
    if (version && std::sscanf(version, "%d.%d", &major, &minor) == 2 && major * 10 + minor >= 12)
        return GL_CLAMP_TO_EDGE;
    return GL_CLAMP;
}

void checkGlCapabilities()
{
    GLint r = 0, g = 0, b = 0;
    glGetIntegerv(GL_RED_BITS, &r);
    glGetIntegerv(GL_GREEN_BITS, &g);
    glGetIntegerv(GL_BLUE_BITS, &b);
    if (r + g + b < 24)
        fatalError("Failed to initialize 24bpp mode, buy some decent hardware asshole!");
    clampmode = clampModeForVersion((const char*)glGetString(GL_VERSION));
}

void presentLoadingFrame()
{
    if (++loadingFrameCalls == 1)
        checkGlCapabilities();
    if (musicStarted != 0)
        return;
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    swapFrame();
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

static bool askFullscreen()
{
    const SDL_MessageBoxButtonData buttons[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "Yes"},
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "No"},
    };
    SDL_MessageBoxData box = {};
    box.flags = SDL_MESSAGEBOX_INFORMATION;
    box.title = "ZANT";
    box.message = "Fullscreen?";
    box.numbuttons = 2;
    box.buttons = buttons;
    int answer = -1;
    if (SDL_ShowMessageBox(&box, &answer) != 0)
        return true;
    // Only an explicit No gives a window.
    return answer != 0;
}

static bool startVideo()
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
}

// SDL's attributes are minimums; the Windows chooser took the closest match,
// so step the depth request down until a window can be made.
static SDL_Window* openWindow(bool fullscreen, int width, int height, int colorBits, int depthBits,
                              const char* title, int x, int y)
{
    Uint32 flags = SDL_WINDOW_OPENGL | (fullscreen ? SDL_WINDOW_FULLSCREEN : SDL_WINDOW_SHOWN);
    const int depths[] = {depthBits, 24, 16};
    for (int depth : depths) {
        requestPixelFormat(colorBits, depth);
        SDL_Window* w = SDL_CreateWindow(title, fullscreen ? 0 : x, fullscreen ? 0 : y, width, height, flags);
        if (w)
            return w;
    }
    return nullptr;
}

static bool switchDisplayMode(int width, int height)
{
    SDL_DisplayMode mode = {};
    mode.format = SDL_PIXELFORMAT_RGB888;
    mode.w = width;
    mode.h = height;
    SDL_DisplayMode closest;
    if (!SDL_GetClosestDisplayMode(0, &mode, &closest) || closest.w != width || closest.h != height)
        return false;
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

bool createGlWindow(bool fullscreen, int width, int height, int colorBits, int depthBits,
                    const char* title, int x, int y, bool vsync)
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
    renderContext = SDL_GL_CreateContext(windowHandle);
    if (!renderContext)
        return false;
    if (SDL_GL_MakeCurrent(windowHandle, renderContext) != 0)
        return false;
    displayKind = DisplayKind::Window;
    chooseSwapInterval(vsync);
    SDL_Delay(1000);
    SDL_GL_GetAttribute(SDL_GL_STENCIL_SIZE, &formatStencilBits);
    return true;
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

static void makeMosaicTextures()
{
    const int sizes[4] = {32, 16, 8, 4};
    for (int i = 0; i < 4; i++)
        mosaictex[i] = makeNoiseTexture(sizes[i], sizes[i], 0, 255, makeColor4(1.0f, 1.0f, 1.0f), DF_CLAMP);
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
    int w = 640 * options.scale, h = 480 * options.scale;
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    Uint32 flags = SDL_WINDOW_OPENGL | (options.fullscreenDesktop ? SDL_WINDOW_FULLSCREEN_DESKTOP : SDL_WINDOW_SHOWN);
    requestPixelFormat(32, 24);
    windowHandle = SDL_CreateWindow("ZANT", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, w, h, flags);
    renderContext = windowHandle ? SDL_GL_CreateContext(windowHandle) : nullptr;
    if (!renderContext || SDL_GL_MakeCurrent(windowHandle, renderContext) != 0)
        fatalError("Init failed!");
    displayKind = DisplayKind::Window;
    chooseSwapInterval(options.vsync);
    SDL_GL_GetDrawableSize(windowHandle, &w, &h);
    char err[256];
    if (!createScaledFrame(w, h, err, sizeof err))
        fatalError(err);
    if (options.fullscreenDesktop)
        SDL_ShowCursor(SDL_DISABLE);
    SDL_Delay(1000);
}

void initDisplay(const DisplayOptions& options)
{
    screenwidth = 640;
    screenheight = 480;
    if (!startVideo())
        fatalError("Init failed!");
    if (options.scale > 1 || options.fullscreenDesktop) {
        openScaledDisplay(options);
    } else {
        bool fullscreen = options.fullscreenChoice < 0 ? askFullscreen() : options.fullscreenChoice == 1;
        if (!createGlWindow(fullscreen, screenwidth, screenheight, 32, 32, "ZANT", 0, 0, options.vsync))
            fatalError("Init failed!");
    }
    finishDisplaySetup();
}

bool initHeadlessDisplay(char* err, int errSize)
{
    screenwidth = 640;
    screenheight = 480;
    dialogsAllowed = false;
    if (!createHeadlessContext(err, errSize))
        return false;
    finishDisplaySetup();
    return true;
}
