// Opening the display the show draws on: the "Fullscreen?" question and the
// window, or the headless context. What follows (the mosaic textures, the
// capability check, the font) is the start-up's (app/startup.h).
#pragma once
#include <string>

struct DisplayOptions {
    int fullscreenChoice = -1;  // -1 ask, 0 windowed, 1 fullscreen
    bool vsync = true;
    int scale = 1;                   // window of 640*scale x 480*scale
    bool fullscreenDesktop = false;  // desktop resolution, no mode switch
};

// The question and the window. Every failure is fatal ("Init failed!",
// with the reason on stderr), so it only ever returns true.
bool openWindowDisplay(const DisplayOptions& options, std::string& why);
// The EGL pbuffer context: no window, no question. False with the reason.
bool openHeadlessDisplay(std::string& why);
// The display part of the start-up on a headless context (for tests): the
// context, the mosaic textures, the capability check and the font. Returns
// false with a reason in err.
bool initHeadlessDisplay(char* err, int errSize);
