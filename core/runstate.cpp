#include "core/runstate.h"

std::atomic<int> quitRequested{0};
int musicStarted = 0;
int overlayEnabled = 0;
int bandMeterEnabled = 0;
