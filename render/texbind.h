// Making a texture current with its filter, wrap, coordinate generation and matrix.
#pragma once
#include "render/types.h"

// Reads DF_NEAREST, DF_CLAMP and DF_SPHEREMAP from the texture's own flags and
// from mode; leaves GL_TEXTURE_2D enabled and the matrix mode at GL_MODELVIEW.
void bindTexture(const Texture* texture, int mode);
