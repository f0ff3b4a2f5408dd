// Deterministic randomness for the picture generator: a small seeded
// generator, integer hashes and (optionally tiling) gradient noise.
#pragma once

#include <cstdint>

// SplitMix64: tiny, fast and the same on every platform.
struct Rng {
    std::uint64_t state = 0;
};

Rng makeRng(std::uint64_t seed);
std::uint64_t nextBits(Rng& rng);
double nextUnit(Rng& rng);                         // [0, 1)
double nextRange(Rng& rng, double lo, double hi);  // [lo, hi)
int nextInt(Rng& rng, int n);                      // 0 .. n-1

std::uint32_t hashCell(int x, int y, std::uint32_t seed);
double hashUnit(int x, int y, std::uint32_t seed);  // [0, 1)

// Gradient noise on a lattice of unit cells, roughly -1..1. A period above 0
// makes it repeat every that many cells along that axis.
double gradientNoise(double x, double y, int periodX, int periodY, std::uint32_t seed);

// Sum of octaves at doubling frequency and halving weight, roughly -1..1.
// Periods double with the frequency, so a tiling base stays tiling.
double fractalNoise(double x, double y, int octaves, int periodX, int periodY, std::uint32_t seed);

// 1 - |noise| summed over octaves: sharp crests, as of ridges and veins; 0..1.
double ridgedNoise(double x, double y, int octaves, int periodX, int periodY, std::uint32_t seed);
