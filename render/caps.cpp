#include "render/caps.h"

#include <cstdio>

#include "core/errors.h"
#include "core/runstate.h"
#include "platform/gl.h"
#include "platform/window.h"

int clampmode = GL_CLAMP;
int loadingFrameCalls = 0;

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

const char* glErrorName(unsigned int error)
{
    switch (error) {
    case 0x0500: return "GL_INVALID_ENUM";
    case 0x0501: return "GL_INVALID_VALUE";
    case 0x0502: return "GL_INVALID_OPERATION";
    case 0x0503: return "GL_STACK_OVERFLOW";
    case 0x0504: return "GL_STACK_UNDERFLOW";
    case 0x0505: return "GL_OUT_OF_MEMORY";
    default: return "UNKNOWN GL_ERROR";
    }
}

unsigned int takeGlError()
{
    return glGetError();
}

void failOnGlError(unsigned int error)
{
    if (error != 0)
        fatalError(glErrorName(error));
}

void checkGlError()
{
    failOnGlError(takeGlError());
}

void presentLoadingFrame()
{
    loadingFrameCalls++;
    if (musicStarted != 0)
        return;
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    swapFrame();
}
