// JPEG pictures into padded, mip-mapped RGBA textures, and the clamping helpers.
#pragma once
#include <cstdint>
#include "render/types.h"

// New RGB buffer (width x height x 3), or ends the program with a message.
uint8_t* loadJpeg(const char* path, int& width, int& height);
Texture* loadTexture(const char* path, Color4 scale, int flags);
int clampByte(int v);
float clampUnit(float v);
