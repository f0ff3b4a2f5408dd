// Textures made in code: noise, flat colour, empty screen-sized copies and
// the halving noise set. Their random values come from rand15.
#pragma once
#include "core/random.h"
#include "core/types.h"

Texture* makeNoiseTexture(int width, int height, int lo, int hi, Color4 scale, int flags);
Texture* makeSolidTexture(int width, int height, int r, int g, int b, int a, Color4 scale, int flags);
Texture* makeScreenTexture();
TextureSet* makeNoiseSet(int count);
