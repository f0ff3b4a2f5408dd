// The program's one random generator and the textures made in code: noise,
// flat colour, empty screen-sized copies and the halving noise set.
#pragma once
#include <cstdint>
#include "render/types.h"

int rand15();
// Values drawn so far (for checking draw order in tests).
extern uint64_t rand15Draws;

Texture* makeNoiseTexture(int width, int height, int lo, int hi, Color4 scale, int flags);
Texture* makeSolidTexture(int width, int height, int r, int g, int b, int a, Color4 scale, int flags);
Texture* makeScreenTexture();
TextureSet* makeNoiseSet(int count);
