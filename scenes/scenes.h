// The six scenes; each draws the whole frame picture for a song time in patterns.
#pragma once

void drawSilhouetteScene(float t);
void drawCubeSwarmScene(float t);
void drawBreakingBoxesScene(float t);
void drawColumnHallScene(float t, int mode);
void drawSlabTunnelScene(float t);
void drawMetalModelScene(float t);
