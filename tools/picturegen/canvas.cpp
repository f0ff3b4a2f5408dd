// Float pictures: shapes, blurs and the final tone curve.
#include "canvas.h"

#include <algorithm>
#include <cmath>

Rgb rgb(float r, float g, float b)
{
    return Rgb{r, g, b};
}
Rgb operator+(Rgb a, Rgb b)
{
    return Rgb{a.r + b.r, a.g + b.g, a.b + b.b};
}
Rgb operator*(Rgb a, float k)
{
    return Rgb{a.r * k, a.g * k, a.b * k};
}
Rgb operator*(Rgb a, Rgb b)
{
    return Rgb{a.r * b.r, a.g * b.g, a.b * b.b};
}
Rgb mixRgb(Rgb a, Rgb b, float t)
{
    return a * (1.0f - t) + b * t;
}

float clamp01(float v)
{
    return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
}
float mixf(float a, float b, float t)
{
    return a + (b - a) * t;
}

float smoothStep(float edge0, float edge1, float v)
{
    float t = clamp01((v - edge0) / (edge1 - edge0));
    return t * t * (3.0f - 2.0f * t);
}

Canvas makeCanvas(int width, int height, Rgb fill)
{
    Canvas c;
    c.width = width;
    c.height = height;
    c.pixels.assign(static_cast<size_t>(width) * height, fill);
    return c;
}

Mask makeMask(int width, int height, float fill)
{
    Mask m;
    m.width = width;
    m.height = height;
    m.values.assign(static_cast<size_t>(width) * height, fill);
    return m;
}

Rgb& pixelAt(Canvas& canvas, int x, int y)
{
    return canvas.pixels[static_cast<size_t>(y) * canvas.width + x];
}

float& maskAt(Mask& mask, int x, int y)
{
    return mask.values[static_cast<size_t>(y) * mask.width + x];
}

float maskAtWrapped(const Mask& mask, int x, int y)
{
    x = ((x % mask.width) + mask.width) % mask.width;
    y = ((y % mask.height) + mask.height) % mask.height;
    return mask.values[static_cast<size_t>(y) * mask.width + x];
}

namespace {

struct PixelBox {
    int x0, y0, x1, y1;
};

PixelBox clipBox(const Mask& mask, float x0, float y0, float x1, float y1)
{
    PixelBox b;
    b.x0 = std::max(0, static_cast<int>(std::floor(x0)));
    b.y0 = std::max(0, static_cast<int>(std::floor(y0)));
    b.x1 = std::min(mask.width - 1, static_cast<int>(std::ceil(x1)));
    b.y1 = std::min(mask.height - 1, static_cast<int>(std::ceil(y1)));
    return b;
}

void splat(Mask& mask, int x, int y, float coverage, float value)
{
    if (coverage <= 0.0f)
        return;
    float& v = maskAt(mask, x, y);
    v = std::max(v, value * std::min(coverage, 1.0f));
}

// Coverage of a band of the given width around a signed distance.
float bandCoverage(float distance, float width)
{
    return clamp01(width * 0.5f + 0.5f - std::fabs(distance));
}

}  // namespace

void strokeSegment(Mask& mask, float x0, float y0, float x1, float y1, float width, float value)
{
    float pad = width * 0.5f + 1.0f;
    PixelBox b =
        clipBox(mask, std::min(x0, x1) - pad, std::min(y0, y1) - pad, std::max(x0, x1) + pad, std::max(y0, y1) + pad);
    float dx = x1 - x0, dy = y1 - y0;
    float len2 = dx * dx + dy * dy;
    for (int y = b.y0; y <= b.y1; ++y) {
        for (int x = b.x0; x <= b.x1; ++x) {
            float px = x + 0.5f - x0, py = y + 0.5f - y0;
            float t = len2 > 0.0f ? clamp01((px * dx + py * dy) / len2) : 0.0f;
            float d = std::hypot(px - t * dx, py - t * dy);
            splat(mask, x, y, bandCoverage(d, width), value);
        }
    }
}

void strokeArc(Mask& mask, float cx, float cy, float radius, float width, float a0, float a1, float value)
{
    float pad = radius + width * 0.5f + 1.0f;
    PixelBox b = clipBox(mask, cx - pad, cy - pad, cx + pad, cy + pad);
    const float twoPi = 6.2831853f;
    float span = a1 - a0;
    for (int y = b.y0; y <= b.y1; ++y) {
        for (int x = b.x0; x <= b.x1; ++x) {
            float px = x + 0.5f - cx, py = y + 0.5f - cy;
            float r = std::hypot(px, py);
            float cov = bandCoverage(r - radius, width);
            if (cov <= 0.0f)
                continue;
            if (span < twoPi) {
                float a = std::atan2(-py, px) - a0;
                a -= twoPi * std::floor(a / twoPi);
                // Soft ends: one pixel of arc length.
                float along = std::min(a, span - a) * radius;
                if (a > span)
                    along = -std::min(a - span, twoPi - a) * radius;
                cov *= clamp01(along + 0.5f);
            }
            splat(mask, x, y, cov, value);
        }
    }
}

void fillDisc(Mask& mask, float cx, float cy, float radius, float value)
{
    PixelBox b = clipBox(mask, cx - radius - 1, cy - radius - 1, cx + radius + 1, cy + radius + 1);
    for (int y = b.y0; y <= b.y1; ++y)
        for (int x = b.x0; x <= b.x1; ++x) {
            float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy);
            splat(mask, x, y, clamp01(radius + 0.5f - d), value);
        }
}

void fillRect(Mask& mask, float x0, float y0, float x1, float y1, float value)
{
    PixelBox b = clipBox(mask, x0 - 1, y0 - 1, x1 + 1, y1 + 1);
    for (int y = b.y0; y <= b.y1; ++y)
        for (int x = b.x0; x <= b.x1; ++x) {
            float cx = clamp01(std::min(x + 1.0f, x1) - std::max(x + 0.0f, x0));
            float cy = clamp01(std::min(y + 1.0f, y1) - std::max(y + 0.0f, y0));
            splat(mask, x, y, cx * cy, value);
        }
}

namespace {

// One running-sum box pass over n samples spaced by stride.
void boxPass(float* data, int n, int stride, int half, bool wrap, std::vector<float>& scratch)
{
    scratch.resize(n);
    for (int i = 0; i < n; ++i)
        scratch[i] = data[static_cast<size_t>(i) * stride];
    auto sample = [&](int i) {
        if (wrap)
            return scratch[((i % n) + n) % n];
        return scratch[std::clamp(i, 0, n - 1)];
    };
    double sum = 0.0;
    for (int i = -half; i <= half; ++i)
        sum += sample(i);
    float norm = 1.0f / (2 * half + 1);
    for (int i = 0; i < n; ++i) {
        data[static_cast<size_t>(i) * stride] = static_cast<float>(sum) * norm;
        sum += sample(i + half + 1) - sample(i - half);
    }
}

int boxHalfWidth(float radius)
{
    float w = std::sqrt(4.0f * radius * radius + 1.0f);
    return std::max(0, static_cast<int>(std::lround((w - 1.0f) * 0.5f)));
}

void blurAxis(Mask& mask, int half, bool wrap, bool horizontal)
{
    std::vector<float> scratch;
    int lines = horizontal ? mask.height : mask.width;
    int n = horizontal ? mask.width : mask.height;
    int stride = horizontal ? 1 : mask.width;
    for (int l = 0; l < lines; ++l) {
        float* start = mask.values.data() + (horizontal ? static_cast<size_t>(l) * mask.width : l);
        for (int pass = 0; pass < 3; ++pass)
            boxPass(start, n, stride, half, wrap, scratch);
    }
}

}  // namespace

void blurMask(Mask& mask, float radius, bool wrap)
{
    int half = boxHalfWidth(radius);
    if (half == 0)
        return;
    blurAxis(mask, half, wrap, true);
    blurAxis(mask, half, wrap, false);
}

void streakMask(Mask& mask, float radius)
{
    int half = boxHalfWidth(radius);
    if (half > 0)
        blurAxis(mask, half, false, true);
}

void addLight(Canvas& canvas, const Mask& mask, Rgb colour, float gain)
{
    for (size_t i = 0; i < canvas.pixels.size(); ++i) {
        float v = mask.values[i] * gain;
        if (v != 0.0f)
            canvas.pixels[i] = canvas.pixels[i] + colour * v;
    }
}

void paintOver(Canvas& canvas, const Mask& mask, Rgb colour)
{
    for (size_t i = 0; i < canvas.pixels.size(); ++i) {
        float a = clamp01(mask.values[i]);
        if (a > 0.0f)
            canvas.pixels[i] = mixRgb(canvas.pixels[i], colour, a);
    }
}

namespace {

// Linear up to the knee, then an exponential shoulder that approaches 1.
float toneCurve(float v)
{
    const float knee = 0.8f;
    if (v <= knee)
        return std::max(v, 0.0f);
    float room = 1.0f - knee;
    return knee + room * (1.0f - std::exp(-(v - knee) / room));
}

std::uint8_t toByte(float v)
{
    return static_cast<std::uint8_t>(std::lround(toneCurve(v) * 255.0f));
}

}  // namespace

std::vector<std::uint8_t> canvasToBytes(const Canvas& canvas)
{
    std::vector<std::uint8_t> bytes(canvas.pixels.size() * 3);
    for (size_t i = 0; i < canvas.pixels.size(); ++i) {
        // Light beyond white in one channel spills into the others, so
        // over-exposed colour turns towards white instead of a flat hue.
        Rgb p = canvas.pixels[i];
        float over = std::max({p.r, p.g, p.b}) - 1.0f;
        if (over > 0.0f)
            p = p + rgb(over, over, over) * 0.35f;
        bytes[i * 3 + 0] = toByte(p.r);
        bytes[i * 3 + 1] = toByte(p.g);
        bytes[i * 3 + 2] = toByte(p.b);
    }
    return bytes;
}
