// The window's event handler: quit, seeking, ticks, overlay, screenshots and
// the camera readout the overlay prints.
#pragma once
#include <SDL.h>

extern float xpos, ypos, zpos, xrot, yrot;

void windowProc(const SDL_Event& event);
