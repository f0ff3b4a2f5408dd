// Seeded generator, hashes and gradient noise.
#include "noise.h"

#include <cmath>

Rng makeRng(std::uint64_t seed)
{
    return Rng{seed};
}

std::uint64_t nextBits(Rng& rng)
{
    std::uint64_t z = (rng.state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double nextUnit(Rng& rng)
{
    return static_cast<double>(nextBits(rng) >> 11) * (1.0 / 9007199254740992.0);
}

double nextRange(Rng& rng, double lo, double hi)
{
    return lo + (hi - lo) * nextUnit(rng);
}

int nextInt(Rng& rng, int n)
{
    return static_cast<int>(nextUnit(rng) * n);
}

std::uint32_t hashCell(int x, int y, std::uint32_t seed)
{
    std::uint32_t h = seed * 0x27D4EB2Du;
    h ^= static_cast<std::uint32_t>(x) * 0x85EBCA6Bu;
    h = (h ^ (h >> 15)) * 0x2C1B3C6Du;
    h ^= static_cast<std::uint32_t>(y) * 0xC2B2AE35u;
    h = (h ^ (h >> 13)) * 0x297A2D39u;
    return h ^ (h >> 16);
}

double hashUnit(int x, int y, std::uint32_t seed)
{
    return (hashCell(x, y, seed) >> 8) * (1.0 / 16777216.0);
}

namespace {

int wrapIndex(int i, int period)
{
    if (period <= 0)
        return i;
    return ((i % period) + period) % period;
}

double fade(double t)
{
    return t * t * t * (t * (t * 6.0 - 15.0) + 10.0);
}

// 256 unit gradients evenly spread around the circle, made once.
struct GradientTable {
    double x[256], y[256];
};

const GradientTable& gradients()
{
    static const GradientTable table = [] {
        GradientTable t;
        for (int i = 0; i < 256; ++i) {
            double angle = (i + 0.5) * (6.283185307179586 / 256.0);
            t.x[i] = std::cos(angle);
            t.y[i] = std::sin(angle);
        }
        return t;
    }();
    return table;
}

// Dot product of the corner's pseudo-random unit gradient with the offset.
double cornerDot(int ix, int iy, double dx, double dy, std::uint32_t seed)
{
    const GradientTable& g = gradients();
    unsigned i = hashCell(ix, iy, seed) >> 24;
    return g.x[i] * dx + g.y[i] * dy;
}

}  // namespace

double gradientNoise(double x, double y, int periodX, int periodY, std::uint32_t seed)
{
    double fx = std::floor(x), fy = std::floor(y);
    int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    double dx = x - fx, dy = y - fy;
    int x0 = wrapIndex(ix, periodX), x1 = wrapIndex(ix + 1, periodX);
    int y0 = wrapIndex(iy, periodY), y1 = wrapIndex(iy + 1, periodY);
    double n00 = cornerDot(x0, y0, dx, dy, seed);
    double n10 = cornerDot(x1, y0, dx - 1.0, dy, seed);
    double n01 = cornerDot(x0, y1, dx, dy - 1.0, seed);
    double n11 = cornerDot(x1, y1, dx - 1.0, dy - 1.0, seed);
    double u = fade(dx), v = fade(dy);
    double a = n00 + (n10 - n00) * u;
    double b = n01 + (n11 - n01) * u;
    return (a + (b - a) * v) * 1.4142135623730951;
}

double fractalNoise(double x, double y, int octaves, int periodX, int periodY, std::uint32_t seed)
{
    double sum = 0.0, weight = 1.0, total = 0.0;
    for (int o = 0; o < octaves; ++o) {
        sum += weight * gradientNoise(x, y, periodX, periodY, seed + o * 101u);
        total += weight;
        weight *= 0.5;
        x *= 2.0;
        y *= 2.0;
        periodX *= 2;
        periodY *= 2;
    }
    return sum / total;
}

double ridgedNoise(double x, double y, int octaves, int periodX, int periodY, std::uint32_t seed)
{
    double sum = 0.0, weight = 1.0, total = 0.0;
    for (int o = 0; o < octaves; ++o) {
        double n = 1.0 - std::fabs(gradientNoise(x, y, periodX, periodY, seed + o * 131u));
        sum += weight * n * n;
        total += weight;
        weight *= 0.5;
        x *= 2.0;
        y *= 2.0;
        periodX *= 2;
        periodY *= 2;
    }
    return sum / total;
}
