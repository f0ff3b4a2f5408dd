// JPEG files for the picture generator: writing a picture safely (temporary
// file, then a rename that never replaces unless asked) and reading one back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes packed 8-bit RGB (top row first) as a baseline colour JPEG with
// full-resolution chroma. Without replace an existing file at path is left
// untouched and the call fails. On failure error says why.
bool writeJpegFile(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb, int quality,
                   bool replace, std::string& error);

// The safe-write steps, shared with the PNG writer: a hidden temporary name
// beside path, and the move that puts the finished file in its place (never
// over an existing file unless replace).
std::string temporaryPath(const std::string& path);
bool moveIntoPlace(const std::string& from, const std::string& to, bool replace, std::string& error);

// Reads a JPEG into packed 8-bit samples, components per pixel as stored
// (1 grey, 3 colour). On failure error says why.
bool readJpegFile(const std::string& path, int& width, int& height, int& components, std::vector<std::uint8_t>& samples,
                  std::string& error);
