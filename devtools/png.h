// Writing frames as PNG files, and reading the finished frame back from GL.
#pragma once
#include <cstdint>
#include <vector>

// Reads the current read buffer's 640x480 frame as RGB rows, bottom row first.
void readFrameRgb(std::vector<uint8_t>& rgb, int width, int height);
// Writes RGB rows given bottom row first (as GL reads them) as a top-down PNG.
// Returns false with errno-style reason in err on failure.
bool writePng(const char* path, const uint8_t* rgb, int width, int height, char* err, int errSize);
