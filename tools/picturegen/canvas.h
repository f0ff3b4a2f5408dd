// Float pictures and coverage masks for the picture generator, plus the
// anti-aliased shapes, blurs and tone curve the pictures are painted with.
#pragma once

#include <cstdint>
#include <vector>

struct Rgb {
    float r = 0, g = 0, b = 0;
};

// Colour values are display values, nominally 0..1; light may pile up above 1
// and is rolled off by the tone curve when the picture is quantised.
struct Canvas {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels;
};

// One float per pixel: shape coverage, light intensity or a height field.
struct Mask {
    int width = 0;
    int height = 0;
    std::vector<float> values;
};

Rgb rgb(float r, float g, float b);
Rgb operator+(Rgb a, Rgb b);
Rgb operator*(Rgb a, float k);
Rgb operator*(Rgb a, Rgb b);
Rgb mixRgb(Rgb a, Rgb b, float t);

float clamp01(float v);
float smoothStep(float edge0, float edge1, float v);
float mixf(float a, float b, float t);

Canvas makeCanvas(int width, int height, Rgb fill);
Mask makeMask(int width, int height, float fill);
Rgb& pixelAt(Canvas& canvas, int x, int y);
float& maskAt(Mask& mask, int x, int y);
float maskAtWrapped(const Mask& mask, int x, int y);

// Shapes write max(old, value * coverage), so overlapping strokes do not
// double up; coverage has a one-pixel soft edge.
void strokeSegment(Mask& mask, float x0, float y0, float x1, float y1, float width, float value);
// An arc of the circle (cx, cy, radius) from angle a0 to a1 (radians,
// counter-clockwise in picture coordinates with y down).
void strokeArc(Mask& mask, float cx, float cy, float radius, float width, float a0, float a1, float value);
void fillDisc(Mask& mask, float cx, float cy, float radius, float value);
void fillRect(Mask& mask, float x0, float y0, float x1, float y1, float value);

// Three box passes approximate a Gaussian of the given radius (standard
// deviation in pixels). wrap makes the blur seamless for tiling pictures.
void blurMask(Mask& mask, float radius, bool wrap);
// Blurs horizontally only: the long light streaks of a lens.
void streakMask(Mask& mask, float radius);

void addLight(Canvas& canvas, const Mask& mask, Rgb colour, float gain);
void paintOver(Canvas& canvas, const Mask& mask, Rgb colour);

// Rolls highlights off smoothly instead of clipping them and quantises to
// packed 8-bit RGB, top row first.
std::vector<std::uint8_t> canvasToBytes(const Canvas& canvas);
