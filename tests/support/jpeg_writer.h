// Test pictures written with libjpeg's own compressor.
#pragma once
#include <cstdint>
#include <cstdio>
#include <jpeglib.h>  // after cstdio: it uses FILE and size_t
#include <string>
#include <vector>

// pixels: rows top first, `components` bytes per pixel in `space`; `stored`
// picks the file's own colour space when it isn't libjpeg's default.
std::vector<uint8_t> encodeJpeg(int w, int h, int components, J_COLOR_SPACE space, const std::vector<uint8_t>& pixels,
                                int quality = 95, J_COLOR_SPACE stored = JCS_UNKNOWN);
// The same, into a file (a fatal failure when it can't be written).
void writeJpeg(const std::string& path, int w, int h, int components, J_COLOR_SPACE space,
               const std::vector<uint8_t>& pixels, int quality = 95, J_COLOR_SPACE stored = JCS_UNKNOWN);
