#include "icon.h"

#include "canvas.h"
#include "palette.h"

#include <algorithm>
#include <cmath>

namespace {

// Drawn on a 256-unit grid and scaled, so every size is the same picture;
// the small sizes only lose the finest light.
struct Grid {
    float k;
    float operator()(float units) const { return units * k; }
};

void fillRoundedRect(Mask& mask, float x0, float y0, float x1, float y1, float r)
{
    fillRect(mask, x0 + r, y0, x1 - r, y1, 1.0f);
    fillRect(mask, x0, y0 + r, x1, y1 - r, 1.0f);
    fillDisc(mask, x0 + r, y0 + r, r, 1.0f);
    fillDisc(mask, x1 - r, y0 + r, r, 1.0f);
    fillDisc(mask, x0 + r, y1 - r, r, 1.0f);
    fillDisc(mask, x1 - r, y1 - r, r, 1.0f);
}

Mask tileMask(int size, Grid g, float inset)
{
    Mask m = makeMask(size, size, 0.0f);
    fillRoundedRect(m, g(16 + inset), g(16 + inset), g(240 - inset), g(240 - inset), g(44 - inset));
    return m;
}

// Steel falling to ink from top to bottom, with a cold light well behind the letter.
void paintBackground(Canvas& c, Grid g)
{
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x) {
            float t = (y + 0.5f) / c.height;
            Rgb base = mixRgb(steelDark, inkBlack, smoothStep(0.0f, 1.0f, t));
            float dx = (x + 0.5f - g(128)) / g(110), dy = (y + 0.5f - g(124)) / g(110);
            float well = std::exp(-2.2f * (dx * dx + dy * dy));
            pixelAt(c, x, y) = base + steelDeep * (0.8f * well) + cyanGlow * (0.10f * well);
        }
}

// A thin lit edge along the top of the tile, as on the pictures' panels.
void paintRim(Canvas& c, int size, Grid g)
{
    Mask outer = tileMask(size, g, 0.0f);
    Mask inner = tileMask(size, g, 3.0f);
    Mask rim = makeMask(size, size, 0.0f);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float v = std::max(0.0f, maskAt(outer, x, y) - maskAt(inner, x, y));
            maskAt(rim, x, y) = v * (1.0f - smoothStep(0.0f, 0.8f, (y + 0.5f) / size));
        }
    addLight(c, rim, steelLight, 0.55f);
}

void strokeZ(Mask& m, Grid g, float width)
{
    strokeSegment(m, g(78), g(80), g(178), g(80), g(width), 1.0f);
    strokeSegment(m, g(178), g(80), g(78), g(176), g(width), 1.0f);
    strokeSegment(m, g(78), g(176), g(178), g(176), g(width), 1.0f);
}

void paintLetter(Canvas& c, int size, Grid g)
{
    Mask body = makeMask(size, size, 0.0f);
    strokeZ(body, g, 26.0f);
    Mask glow = body;
    blurMask(glow, g(12.0f), false);
    addLight(c, glow, cyanGlow, 0.85f);
    paintOver(c, body, mixRgb(steel, cyanGlow, 0.55f));
    Mask core = makeMask(size, size, 0.0f);
    strokeZ(core, g, 9.0f);
    blurMask(core, std::max(0.5f, g(2.0f)), false);
    addLight(c, core, iceWhite, 0.9f);
}

// An ember flare where the stroke ends, like the lens flare picture's.
void paintEmber(Canvas& c, int size, Grid g)
{
    Mask spot = makeMask(size, size, 0.0f);
    fillDisc(spot, g(186), g(176), g(7), 1.0f);
    Mask halo = spot;
    blurMask(halo, g(12.0f), false);
    Mask streak = spot;
    streakMask(streak, g(30.0f));
    addLight(c, halo, emberOrange, 3.0f);
    addLight(c, streak, emberOrange, 1.2f);
    addLight(c, spot, amber, 0.7f);
}

}  // namespace

std::vector<std::uint8_t> paintIcon(int size)
{
    Grid g{size / 256.0f};
    Canvas c = makeCanvas(size, size, inkBlack);
    paintBackground(c, g);
    paintRim(c, size, g);
    paintLetter(c, size, g);
    paintEmber(c, size, g);
    std::vector<std::uint8_t> rgb = canvasToBytes(c);
    Mask tile = tileMask(size, g, 0.0f);
    std::vector<std::uint8_t> rgba(static_cast<size_t>(size) * size * 4);
    for (size_t i = 0; i < tile.values.size(); ++i) {
        rgba[i * 4 + 0] = rgb[i * 3 + 0];
        rgba[i * 4 + 1] = rgb[i * 3 + 1];
        rgba[i * 4 + 2] = rgb[i * 3 + 2];
        rgba[i * 4 + 3] = static_cast<std::uint8_t>(std::lround(clamp01(tile.values[i]) * 255.0f));
    }
    return rgba;
}
