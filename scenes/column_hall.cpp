// Placeholder until the scenes land.
#include "scenes/scenes.h"
void drawColumnHallScene(float, int) {}
