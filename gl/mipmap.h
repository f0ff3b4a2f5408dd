// GLU's box filter for mipmaps, so the levels the layer makes equal the ones
// gluBuild2DMipmaps makes on the desktop.
#pragma once
#include <cstdint>
#include <vector>

// The next level of a w x h image of `components` bytes a pixel (rows
// packed, no padding): 2x2 averages rounded as GLU rounds them, or pairs
// when one side is already 1.
std::vector<uint8_t> halveImage(const uint8_t* pixels, int w, int h, int components);
