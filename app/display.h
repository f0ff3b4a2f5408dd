// Display start-up: the "Fullscreen?" question, the window or headless
// context, then the mosaic textures, the capability check and the font.
#pragma once

struct DisplayOptions {
    int fullscreenChoice = -1;  // -1 ask, 0 windowed, 1 fullscreen
    bool vsync = true;
    int scale = 1;                   // window of 640*scale x 480*scale
    bool fullscreenDesktop = false;  // desktop resolution, no mode switch
};

// Every failure is fatal ("Init failed!", with the reason on stderr).
void initDisplay(const DisplayOptions& options);
// Headless start-up: the same set-up on an EGL pbuffer, no window, no
// question and no pauses. Returns false with a reason in err.
bool initHeadlessDisplay(char* err, int errSize);
