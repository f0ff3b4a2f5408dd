#include "core/frame.h"

#include <cmath>

int screenwidth = 0;
int screenheight = 0;
int texwidth = 0;
int texheight = 0;

int nextPowerOfTwo(int n)
{
    int result = 0;
    for (int i = 0; i < 16; i++) {
        int low = (int)std::pow(2.0, i);
        int high = (int)std::pow(2.0, i + 1);
        if (low < n && n <= high)
            result = high;
    }
    return result;
}
