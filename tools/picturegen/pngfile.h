// PNG files for the picture generator's icon and contact sheet.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes packed 8-bit samples (top row first), 3 (RGB) or 4 (RGBA) per
// pixel, through a temporary file like the JPEG writer: without replace an
// existing file is left untouched and the call fails. On failure error says why.
bool writePngFile(const std::string& path, int width, int height, int channels,
                  const std::vector<std::uint8_t>& samples, bool replace, std::string& error);
