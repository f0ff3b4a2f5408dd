// The show's random sequence computed on its own (the generator's formula,
// not the program's code), to check which values a scene took.
#pragma once
#include <cstdint>
#include <vector>

// The next n values after `draws` values have been taken from the start.
std::vector<int> rand15ValuesAfter(uint64_t draws, int n);
