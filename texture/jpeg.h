// JPEG pictures into padded, mip-mapped RGBA textures.
#pragma once
#include <cstdint>
#include <cstdio>
#include "core/types.h"

// What a decode that may fail has to say: the reason it failed, and the
// first problem libjpeg could work around (a cut-short or damaged file still
// gives a picture, with the missing part filled in).
struct JpegReport {
    char reason[256];
    char warning[256];
    int warnings;
};

// Decodes a whole JPEG from an open stream into a new malloc'd RGB buffer
// (width x height x 3, top row first). Greyscale is expanded to RGB; CMYK,
// sides outside 2..65536 and, when maxPixels > 0, pictures of more pixels
// are refused. Returns null with report.reason set; never ends the process.
uint8_t* decodeJpeg(FILE* file, int& width, int& height, long long maxPixels, JpegReport& report);

// New RGB buffer (width x height x 3), or ends the program with a message
// naming the file: "<path> not found", or "<path>: <libjpeg's reason>".
uint8_t* loadJpeg(const char* path, int& width, int& height);
// The picture padded to powers of two with opaque white, alpha from
// brightness, full mip chain; scale shrunk to the picture's part.
Texture* loadTexture(const char* path, Color4 scale, int flags);
// The same into an existing record (same GL name and flags; size and scale
// follow the new picture), for pictures changed while the show runs. Never
// ends the program: a picture that can't be read leaves the texture as it
// was and prints a warning naming the file; returns false then.
bool reloadTexture(Texture* texture, const char* path, Color4 scale);
