// Making a texture current with its filter, wrap, coordinate generation and matrix.
#pragma once
#include "core/types.h"

// Reads DF_NEAREST, DF_CLAMP and DF_SPHEREMAP from the texture's own flags and
// from mode; leaves GL_TEXTURE_2D enabled and the matrix mode at GL_MODELVIEW.
void bindTexture(const Texture* texture, int mode);
// For a texture the caller knows is magnified everywhere it is drawn: the
// min filter then never applies, so setting it to the mag filter changes no
// pixel and spares a software renderer the per-pixel mip level choice.
void skipMipSelection();
