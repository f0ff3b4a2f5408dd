#include "core/clamp.h"

#include <climits>

int clampByte(int v)
{
    if (v < 0)
        return 0;
    if (v > 255)
        return 255;
    return v;
}

float clampUnit(float v)
{
    if (v > 1.0f)
        return 1.0f;
    if (v >= 0.0f)
        return v;
    return 0.0f;  // below zero, and NaN
}

int truncToInt(double v)
{
    if (!(v == v))
        return 0;
    if (v >= (double)INT_MAX)
        return INT_MAX;
    if (v <= (double)INT_MIN)
        return INT_MIN;
    return (int)v;
}
