// The window or headless surface and its GL context: opening, the buffer
// swap, the scaled presentation and teardown. Nothing above this layer
// knows which library provides them.
#pragma once

enum class DisplayKind { None, Window, Headless };
extern DisplayKind displayKind;
extern int formatStencilBits;  // stencil bits of the pixel format we got

// Whether a display server is named for us to open windows on (X11 or
// Wayland); without one only the headless runs work.
bool displayAvailable();
// Starts the video system; false (reason in platformError()) when there is none.
bool startVideo();
// The last reason the platform gave for a failure ("" when it gave none).
const char* platformError();

// Whether the display offers a width x height mode to switch to.
bool displayHasMode(int width, int height);
// A window of exactly width x height: a real display-mode switch when
// fullscreen. Steps the depth request down from depthBits to 24 and 16.
bool createGlWindow(bool fullscreen, int width, int height, int colorBits, int depthBits, const char* title, int x,
                    int y, bool vsync);
// A window scale times the frame size, or the whole desktop without a mode
// switch; the frame is drawn offscreen and scaled at every swap. On
// failure err says why.
enum ScaledWindowResult { SCALED_OK, SCALED_NO_WINDOW, SCALED_NO_FRAME };
ScaledWindowResult createScaledWindow(int scale, bool fullscreenDesktop, bool vsync, char* err, int errSize);
void destroyGlWindow();
// F11 and Alt+Enter while the show runs: between the window and fullscreen
// at the desktop's resolution (the picture kept 4:3 on black). A display
// switched to 640x480 goes back to a window.
void toggleDesktopFullscreen();
// The window was resized (by the user, or by going fullscreen or back): the
// picture is scaled to the new size, kept 4:3.
void windowSizeChanged();
// The EGL pbuffer context for tests, stills and video: false with a reason in err.
// One of each kind is kept; asking again makes that one current.
bool createHeadlessContext(char* err, int errSize);

// Contexts made from here on are OpenGL ES 3.0 ones instead of desktop GL (--gles).
extern bool glesRequested;
// Runs each time a context has just been made current, before the
// platform's own GL calls on it (so the GL dispatch can pick its path
// first); a false return, with the reason in err, fails the context.
void setContextReadyHook(bool (*hook)(bool gles, char* err, int errSize));
bool runContextReadyHook(char* err, int errSize);

void swapFrame();
// Selects the buffer the finished frame is read from: the back buffer, or
// the offscreen frame when the picture is scaled to a bigger window.
void selectFrameReadBuffer();
void sleepMillis(int ms);
void platformQuit();  // releases whatever the platform library still holds
