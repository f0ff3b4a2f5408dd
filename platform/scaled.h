// The offscreen 640x480 frame used when the window is bigger than the show.
#pragma once

bool createScaledFrame(int windowWidth, int windowHeight, char* err, int errSize);
bool scaledFrameActive();
// The window's drawable size changed: the frame is scaled to the new size.
void resizeScaledFrame(int windowWidth, int windowHeight);
// Copies the frame, scaled and centred, to the window's back buffer...
void presentScaledFrame();
// ...and after the swap makes the offscreen frame current again.
void resumeScaledFrame();
