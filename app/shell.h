// Process-wide run state (quit counter, music-started flag, overlay switch),
// the fatal-error path and the per-frame GL error check.
#pragma once
#include <atomic>

// Nonzero ends the frame loop; writers only ever add 1 (the audio thread too).
extern std::atomic<int> quitRequested;
extern int musicStarted;
extern int overlayEnabled;

// Shows the message (box titled "ZANT" when dialogs are allowed, always on
// stderr), tears the display down and exits with status 1.
[[noreturn]] void fatalError(const char* message);
void checkGlError();
const char* glErrorName(unsigned int error);

// Message boxes are skipped in headless runs and when ZANT_NO_DIALOGS is set,
// so automation never blocks on a dialog.
extern bool dialogsAllowed;
