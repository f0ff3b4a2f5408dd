// The same GL context as the window's, on an EGL pbuffer: for tests, stills
// and video rendering, with no display server.
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <cstdio>

#include "core/frame.h"
#include "platform/window.h"
#include "platform/gl.h"

// One desktop GL and one OpenGL ES context at most, on one display.
static EGLDisplay eglDisplay = EGL_NO_DISPLAY;
static EGLContext eglContexts[2] = {EGL_NO_CONTEXT, EGL_NO_CONTEXT};
static EGLSurface eglSurfaces[2] = {EGL_NO_SURFACE, EGL_NO_SURFACE};
static int eglStencilBits[2] = {0, 0};

static EGLDisplay openSurfacelessDisplay()
{
    auto getPlatformDisplay = (PFNEGLGETPLATFORMDISPLAYEXTPROC)eglGetProcAddress("eglGetPlatformDisplayEXT");
    if (getPlatformDisplay) {
        EGLDisplay d = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        if (d != EGL_NO_DISPLAY)
            return d;
    }
    return eglGetDisplay(EGL_DEFAULT_DISPLAY);
}

static int configAttrib(EGLDisplay d, EGLConfig c, EGLint name)
{
    EGLint v = 0;
    eglGetConfigAttrib(d, c, name, &v);
    return v;
}

// The first config offered may have 10-bit colour; take exactly 8-bit RGB,
// preferring no alpha plane like the window's pixel format.
static bool chooseConfig(EGLDisplay d, EGLConfig* out)
{
    const EGLint want[] = {EGL_SURFACE_TYPE,
                           EGL_PBUFFER_BIT,
                           EGL_RENDERABLE_TYPE,
                           glesRequested ? EGL_OPENGL_ES3_BIT : EGL_OPENGL_BIT,
                           EGL_RED_SIZE,
                           8,
                           EGL_GREEN_SIZE,
                           8,
                           EGL_BLUE_SIZE,
                           8,
                           EGL_DEPTH_SIZE,
                           24,
                           EGL_NONE};
    EGLConfig configs[256];
    EGLint count = 0;
    if (!eglChooseConfig(d, want, configs, 256, &count) || count == 0)
        return false;
    int best = -1, bestScore = -1;
    for (int i = 0; i < count; i++) {
        EGLConfig c = configs[i];
        if (configAttrib(d, c, EGL_RED_SIZE) != 8 || configAttrib(d, c, EGL_GREEN_SIZE) != 8 ||
            configAttrib(d, c, EGL_BLUE_SIZE) != 8)
            continue;
        int score = (configAttrib(d, c, EGL_ALPHA_SIZE) == 0 ? 4 : 0) +
            (configAttrib(d, c, EGL_STENCIL_SIZE) == 0 ? 2 : 0) + (configAttrib(d, c, EGL_DEPTH_SIZE) >= 24 ? 1 : 0);
        if (score > bestScore) {
            best = i;
            bestScore = score;
        }
    }
    if (best < 0)
        return false;
    *out = configs[best];
    return true;
}

static bool makeCurrent(int kind, char* err, int errSize)
{
    // A context is made current for the API bound at the time.
    eglBindAPI(kind == 1 ? EGL_OPENGL_ES_API : EGL_OPENGL_API);
    if (!eglMakeCurrent(eglDisplay, eglSurfaces[kind], eglSurfaces[kind], eglContexts[kind])) {
        std::snprintf(err, errSize, "EGL: could not make the context current (error 0x%x)", eglGetError());
        return false;
    }
    displayKind = DisplayKind::Headless;
    formatStencilBits = eglStencilBits[kind];
    if (!runContextReadyHook(err, errSize))
        return false;
    // OpenGL ES draws to the back buffer of a pbuffer already and has no glDrawBuffer.
    if (!glesRequested) {
        glReadBuffer(GL_BACK);
        glDrawBuffer(GL_BACK);
    }
    return true;
}

bool createHeadlessContext(char* err, int errSize)
{
    int kind = glesRequested ? 1 : 0;
    if (eglContexts[kind] != EGL_NO_CONTEXT)
        return makeCurrent(kind, err, errSize);
    if (eglDisplay == EGL_NO_DISPLAY) {
        eglDisplay = openSurfacelessDisplay();
        if (eglDisplay == EGL_NO_DISPLAY || !eglInitialize(eglDisplay, nullptr, nullptr)) {
            eglDisplay = EGL_NO_DISPLAY;
            std::snprintf(err, errSize, "EGL: no display could be initialised (is Mesa's EGL installed?)");
            return false;
        }
    }
    if (!eglBindAPI(glesRequested ? EGL_OPENGL_ES_API : EGL_OPENGL_API)) {
        std::snprintf(err, errSize, glesRequested ? "EGL: OpenGL ES API not available" : "EGL: desktop OpenGL API not available");
        return false;
    }
    EGLConfig config;
    if (!chooseConfig(eglDisplay, &config)) {
        std::snprintf(err, errSize, "EGL: no pbuffer config with 8-bit RGB and a 24-bit depth buffer");
        return false;
    }
    const EGLint size[] = {EGL_WIDTH, FRAME_WIDTH, EGL_HEIGHT, FRAME_HEIGHT, EGL_NONE};
    const EGLint es3[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 0, EGL_NONE};
    eglSurfaces[kind] = eglCreatePbufferSurface(eglDisplay, config, size);
    eglContexts[kind] = eglCreateContext(eglDisplay, config, EGL_NO_CONTEXT, glesRequested ? es3 : nullptr);
    if (eglSurfaces[kind] == EGL_NO_SURFACE || eglContexts[kind] == EGL_NO_CONTEXT) {
        std::snprintf(err, errSize, "EGL: could not create a 640x480 pbuffer context (error 0x%x)", eglGetError());
        eglContexts[kind] = EGL_NO_CONTEXT;
        return false;
    }
    eglStencilBits[kind] = configAttrib(eglDisplay, config, EGL_STENCIL_SIZE);
    return makeCurrent(kind, err, errSize);
}
