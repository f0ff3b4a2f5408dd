#include "core/songtime.h"

#include <cmath>

#include "core/clamp.h"

float songBpm = 0.0f;

double millisAtPatterns(double patterns)
{
    return patterns * 16.0 / songBpm * 60000.0;
}

int millisForPatterns(double patterns)
{
    return truncToInt(std::ceil(millisAtPatterns(patterns) - 1e-6));
}

// ms x bpm / 960000, with the double nearest 1/960000 as the factor.
double patternsForMillis(double ms)
{
    return ms * (double)songBpm * 1.0416666666666667e-06;
}

long long samplesAtPatterns(double patterns, int rate)
{
    double samples = millisAtPatterns(patterns) * rate / 1000.0;
    if (!(samples == samples))
        return 0;
    if (std::fabs(samples) > 9e18)
        return samples < 0 ? -9000000000000000000LL : 9000000000000000000LL;
    return std::llround(samples);
}
