// Frame feedback effects: the finished frame is copied into a texture on the
// graphics side and drawn back as a smear, a four-way mirror or a mosaic glow.
#pragma once
#include "core/types.h"

// Copies the window rectangle (0,0)-(640,480) of the frame just drawn (the
// current draw buffer) into level 0 of the texture at texel (0,0); the
// texture must be at least 640 x 480.
void grabScreen(Texture* texture);
// Plain average of 2 x count copies shifted along direction (half turns),
// spread/2 pixels apart; DF_ADD lays the sharp frame on top.
void smearEffect(Texture* texture, int count, float spread, float direction, int flags);
// The smear at its fullest: across the screen the copies stand a whole
// pixel apart and still blur into one streak; wider, they come apart into
// separate ghosts.
const float SMEAR_FULL_SPREAD = 2.0f;
// Window rows 160..320 folded into four mirrored quarters of the viewport,
// drawn with colour and alpha intensity; DF_ADD keeps the frame underneath.
void mirrorEffect(Texture* texture, float intensity, int flags);
// Samples the frame into the four mosaic grids and adds them back, the
// coarser the brighter (intensity x 0.25, 0.5, 0.75, 1.0).
void mosaicGlow(float intensity, int flags);

// How mosaicGlow fills its grids: MOSAIC_COPIES, one single-pixel copy per
// texel on the graphics side, or MOSAIC_READBACK, one read of the frame and
// one upload per grid (same texels). -1 until the first glow picks by renderer.
enum { MOSAIC_COPIES = 0, MOSAIC_READBACK = 1 };
extern int mosaicSampling;

// Window pixel that texel (j, k) of a mosaic grid of the given size samples.
int mosaicSampleX(int gridWidth, int j);
int mosaicSampleY(int gridHeight, int k);
