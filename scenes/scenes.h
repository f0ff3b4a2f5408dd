// The six scenes; each draws the whole frame picture for a song time in patterns.
#pragma once

void drawSilhouetteScene(float t);
void drawCubeSwarmScene(float t);
void drawBreakingBoxesScene(float t);
// DF_BUILD compiles the hall's display list (once, at start-up); any mode
// without it draws the frame.
void drawColumnHallScene(float t, int mode);
void drawSlabTunnelScene(float t);
void drawMetalModelScene(float t);

// One tunnel ring of eight blocks: d stretches every second block (1 + 2d,
// held to 1..3), angle turns the ring about the axis, z places it on it.
void drawTunnelRing(float d, float angle, float z);
// The unit cube scaled to (sx, sy, sz) and centred at (x, y, z).
void drawBox(float sx, float sy, float sz, float x, float y, float z);

// Scene state filled from rand15 on a scene's first frame, kept for the run
// (exposed for tests of the draw order).
extern int swarmTable[256];
extern int swarmCalls;
extern float twistTable[1024];
extern int twistCalls;
extern unsigned int halllist;
