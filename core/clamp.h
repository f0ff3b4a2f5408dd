// Clamping helpers: colour bytes, unit levels, and bounded conversions of
// doubles to int (a cast of an out-of-range or NaN double is undefined).
#pragma once

int clampByte(int v);
// Below zero and NaN give 0.
float clampUnit(float v);
// Truncates toward zero like a cast, but NaN gives 0 and values beyond the
// int range give its ends.
int truncToInt(double v);
