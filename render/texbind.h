// Making a texture current with its filter, wrap, coordinate generation and matrix.
#pragma once
#include "render/types.h"

void bindTexture(const Texture* texture, int mode);
