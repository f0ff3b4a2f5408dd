// The program's one random generator and the textures made in code: noise,
// flat colour, empty screen-sized copies and the halving noise set.
#pragma once
#include <cstdint>
#include "render/types.h"

// One LCG for the whole program: every random value in the show comes from
// this sequence, so the number and order of calls fixes every later picture.
int rand15();
// Generator state: 1 at start and never reseeded by the program; tests
// rewind it to check sequences from the start.
extern uint32_t rand15State;
// Values drawn so far (for checking draw order in tests).
extern uint64_t rand15Draws;

Texture* makeNoiseTexture(int width, int height, int lo, int hi, Color4 scale, int flags);
Texture* makeSolidTexture(int width, int height, int r, int g, int b, int a, Color4 scale, int flags);
Texture* makeScreenTexture();
TextureSet* makeNoiseSet(int count);
