// Placeholder until the developer tools land.
#include "devtools/text.h"
void createOutlineFont() {}
void drawText(const char*) {}
void drawStatusOverlay(float, int) {}
