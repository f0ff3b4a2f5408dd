// Bigger screens: the show is drawn into an offscreen 640x480 frame and
// scaled to the window (kept 4:3 with black bars) at every swap, so every
// read of the frame sees exactly the pixels of a 640x480 window.
#include "platform/scaled.h"

#include <cstdio>
#include <cstring>

#include "core/frame.h"
#include "platform/gl.h"

static GLuint frameBuffer = 0;
static GLuint colorBuffer = 0;
static GLuint depthBuffer = 0;
static int outWidth = 0;
static int outHeight = 0;

bool scaledFrameActive()
{
    return frameBuffer != 0;
}

bool createScaledFrame(int windowWidth, int windowHeight, char* err, int errSize)
{
    const char* ext = (const char*)glGetString(GL_EXTENSIONS);
    const char* version = (const char*)glGetString(GL_VERSION);
    bool haveFbo = (version && version[0] >= '3') || (ext && std::strstr(ext, "GL_ARB_framebuffer_object"));
    if (!haveFbo) {
        std::snprintf(err, errSize,
                      "this OpenGL driver has no framebuffer objects, so --scale and "
                      "--fullscreen-desktop are not available");
        return false;
    }
    glGenFramebuffers(1, &frameBuffer);
    glGenRenderbuffers(1, &colorBuffer);
    glGenRenderbuffers(1, &depthBuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, colorBuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGB8, FRAME_WIDTH, FRAME_HEIGHT);
    glBindRenderbuffer(GL_RENDERBUFFER, depthBuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, FRAME_WIDTH, FRAME_HEIGHT);
    glBindFramebuffer(GL_FRAMEBUFFER, frameBuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colorBuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthBuffer);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        std::snprintf(err, errSize, "the offscreen 640x480 frame could not be made");
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        frameBuffer = 0;
        return false;
    }
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    outWidth = windowWidth;
    outHeight = windowHeight;
    return true;
}

void resizeScaledFrame(int windowWidth, int windowHeight)
{
    outWidth = windowWidth;
    outHeight = windowHeight;
}

// Largest 4:3 rectangle centred in the window.
static void fitRect(int& x, int& y, int& w, int& h)
{
    w = outWidth;
    h = outWidth * 3 / 4;
    if (h > outHeight) {
        h = outHeight;
        w = outHeight * 4 / 3;
    }
    x = (outWidth - w) / 2;
    y = (outHeight - h) / 2;
}

void presentScaledFrame()
{
    int x, y, w, h;
    fitRect(x, y, w, h);
    GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
    glDisable(GL_SCISSOR_TEST);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glDrawBuffer(GL_BACK);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, frameBuffer);
    glBlitFramebuffer(0, 0, FRAME_WIDTH, FRAME_HEIGHT, x, y, x + w, y + h, GL_COLOR_BUFFER_BIT, GL_LINEAR);
    if (scissor)
        glEnable(GL_SCISSOR_TEST);
}

void resumeScaledFrame()
{
    glBindFramebuffer(GL_FRAMEBUFFER, frameBuffer);
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
}
