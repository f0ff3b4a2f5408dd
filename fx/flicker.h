// The flicker overlay: streaky noise added over the finished frame at a new
// random place every call, as bright as the music's upper middle band.
#pragma once

// Draws two values from rand15 on every call, even in silence. Leaves its
// state behind: additive blend, noise texture bound, texture matrix moved.
void drawFlickerOverlay(float t);
// The band 2 level at which one flicker layer is at full brightness: its
// grey is (0.15 x level) squared, and the blend clamps at white.
float flickerFullLevel();
