// The window or headless surface, the GL context, the fixed frame size, the
// capability check, loading frames and teardown. The only module that talks
// to SDL video or EGL.
#pragma once
#include "render/types.h"

extern int screenwidth;   // 640
extern int screenheight;  // 480
extern int texwidth;      // 1024
extern int texheight;     // 512
extern int clampmode;     // wrap used for clamping: GL_CLAMP or GL_CLAMP_TO_EDGE
extern int formatStencilBits;
extern Texture* mosaictex[4];  // 32, 16, 8, 4 texels square

enum class DisplayKind { None, Window, Headless };
extern DisplayKind displayKind;

struct DisplayOptions {
    int fullscreenChoice = -1;  // -1 ask, 0 windowed, 1 fullscreen
    bool vsync = true;
    int scale = 1;                   // window of 640*scale x 480*scale
    bool fullscreenDesktop = false;  // desktop resolution, no mode switch
};

// Selects the buffer the finished frame is read from: the back buffer, or
// the offscreen frame when the picture is scaled to a bigger window.
void selectFrameReadBuffer();

void initDisplay(const DisplayOptions& options);
// Headless start-up: the same context set-up on an EGL pbuffer, no window,
// no question and no pauses. Returns false with a reason in err.
bool initHeadlessDisplay(char* err, int errSize);
// Only the EGL context (for tests): false with a reason in err.
bool createHeadlessContext(char* err, int errSize);

bool createGlWindow(bool fullscreen, int width, int height, int colorBits, int depthBits,
                    const char* title, int x, int y, bool vsync);
void destroyGlWindow();
void swapFrame();
void checkGlCapabilities();
void presentLoadingFrame();
int nextPowerOfTwo(int n);
// The wrap mode for a GL_VERSION string: CLAMP_TO_EDGE from 1.2 on.
int clampModeForVersion(const char* version);
// Loading-frame calls so far (the capability check runs on the first).
extern int loadingFrameCalls;
void sleepMillis(int ms);
