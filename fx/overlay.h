// Full-viewport picture quads: backdrops and layers with the draw-flag blend
// modes, and the freely transformed quad the mosaic glow draws.
#pragma once
#include "core/types.h"

// The picture's full width and the middle three quarters of its height over
// the viewport (letterbox band unless DF_FULLSCREEN).
void drawOverlay(const Texture* texture, float intensity, int flags);
// Texture coordinates rotated (degrees) and scaled about the centre, then
// shifted; the texture's own scale is discarded.
void drawTexturedQuad(const Texture* texture, float shiftX, float shiftY, float zoom, float scaleX, float scaleY,
                      float angle, float intensity, int flags);
