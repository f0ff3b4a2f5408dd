// The window's event handler: quit, seeking, ticks, overlay, screenshots and
// the camera readout the overlay prints.
#pragma once
#include <SDL.h>

// Only yrot ever moves (arrow keys); the overlay prints all five.
extern float xpos, ypos, zpos, xrot, yrot;

// Acts on key-downs (auto-repeats too) and typed characters. The quit event
// itself is counted by the frame loop.
void windowProc(const SDL_Event& event);
