#include "tests/support/rand15_oracle.h"

std::vector<int> rand15ValuesAfter(uint64_t draws, int n)
{
    uint32_t s = 1;
    for (uint64_t i = 0; i < draws; i++)
        s = s * 214013u + 2531011u;
    std::vector<int> out;
    for (int i = 0; i < n; i++) {
        s = s * 214013u + 2531011u;
        out.push_back((int)((s >> 16) & 0x7FFF));
    }
    return out;
}
