// The browser's display: one WebGL 2 context on the page's canvas, drawn
// through the GLES layer. The page shows each frame when the frame function
// returns, so there is nothing to swap and nothing to wait for.
#include "platform/window.h"

#include <emscripten/html5.h>

#include <cstdio>

DisplayKind displayKind = DisplayKind::None;
int formatStencilBits = 0;
bool glesRequested = true;
static bool (*contextReadyHook)(bool gles, char* err, int errSize) = nullptr;
static char lastError[256] = "";

void setContextReadyHook(bool (*hook)(bool gles, char* err, int errSize))
{
    contextReadyHook = hook;
}

bool runContextReadyHook(char* err, int errSize)
{
    return !contextReadyHook || contextReadyHook(true, err, errSize);
}

bool displayAvailable()
{
    return true;
}

bool startVideo()
{
    return true;
}

const char* platformError()
{
    return lastError;
}

static bool makeCanvasContext(char* err, int errSize)
{
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.majorVersion = 2;
    attributes.minorVersion = 0;
    // RGBA: the show copies the frame into RGBA textures, which ES allows only
    // from a framebuffer with alpha. The GLES layer keeps that alpha at 1 (the
    // show is made for a frame without), so the canvas composites opaque.
    attributes.alpha = true;
    attributes.premultipliedAlpha = true;
    attributes.depth = true;
    attributes.stencil = true;
    attributes.antialias = false;
    // Screenshots and the tests read the canvas after the frame is shown.
    attributes.preserveDrawingBuffer = true;
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = emscripten_webgl_create_context("#canvas", &attributes);
    if (context <= 0 || emscripten_webgl_make_context_current(context) != EMSCRIPTEN_RESULT_SUCCESS) {
        std::snprintf(err, errSize, "this browser has no WebGL 2");
        return false;
    }
    emscripten_set_canvas_element_size("#canvas", 640, 480);
    formatStencilBits = 8;
    displayKind = DisplayKind::Window;
    return runContextReadyHook(err, errSize);
}

bool createGlWindow(bool, int, int, int, int, const char*, int, int, bool)
{
    return makeCanvasContext(lastError, sizeof lastError);
}

ScaledWindowResult createScaledWindow(int, bool, bool, char* err, int errSize)
{
    return makeCanvasContext(err, errSize) ? SCALED_OK : SCALED_NO_WINDOW;
}

bool createHeadlessContext(char* err, int errSize)
{
    return makeCanvasContext(err, errSize);
}

void destroyGlWindow()
{
    displayKind = DisplayKind::None;
}

void swapFrame() {}

void selectFrameReadBuffer() {}

// Never called in a browser: the start-up's pauses are counted in frames.
void sleepMillis(int) {}

void platformQuit() {}
