// The program's icon, painted like the pictures and from the same palette:
// a glowing Z on a rounded steel tile, transparent around the tile.
#pragma once

#include <cstdint>
#include <vector>

inline constexpr int iconMinSize = 16;
inline constexpr int iconMaxSize = 1024;

// Packed 8-bit RGBA, size x size, top row first.
std::vector<std::uint8_t> paintIcon(int size);
