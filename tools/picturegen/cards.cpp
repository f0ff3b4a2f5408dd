// The closing card with title and credits (bg6) and the grid laid over the
// mosaic glow (gridi).
#include "lettering.h"
#include "palette.h"
#include "pictures.h"

#include <cmath>

// ---- bg6 -------------------------------------------------------------------
// Blended over the last scene as it fades, black being transparent: the
// title in chrome letters (sky above a dark horizon line, ember below, the
// look of the metal sphere map), credits below it, all inside the band the
// overlay shows.

namespace {

const char* const title = "ZANT";
const int titleSize = 206;
const float titleBaseline = 300.0f;
const float titleTracking = 14.0f;

struct Credit {
    const char* role;
    const char* handle;
};
const Credit credits[] = {{"code", "kaldera"}, {"music", "nodewave"}, {"graphics", "ferrum"}};

// Colour of the chrome fill at height v above the baseline, 0..1 of the
// capital height.
Rgb chromeAt(float v)
{
    if (v > 0.52f)
        return mixRgb(steelLight, iceWhite * 1.15f, smoothStep(0.52f, 1.0f, v));
    if (v > 0.47f)
        return steelDeep;
    return mixRgb(rgb(0.22f, 0.06f, 0.02f), emberOrange * 1.1f, smoothStep(0.0f, 0.47f, v));
}

void paintTitle(Canvas& c)
{
    Mask letters = makeMask(c.width, c.height, 0.0f);
    drawText(letters, title, titleSize, sceneWidth * 0.5f, titleBaseline, TextAlign::centre, titleTracking, 1.0f);
    float cap = capHeight(titleSize);
    Mask glow = letters;
    blurMask(glow, 9.0f, false);
    addLight(c, glow, cyanGlow, 0.55f);
    // A thin lens streak drawn out of the letters along their horizon line.
    Mask streak = letters;
    for (int y = 0; y < c.height; ++y) {
        float v = (titleBaseline - (y + 0.5f)) / cap - 0.5f;
        float keep = std::exp(-(v / 0.035f) * (v / 0.035f));
        for (int x = 0; x < c.width; ++x)
            maskAt(streak, x, y) *= keep;
    }
    streakMask(streak, 140.0f);
    addLight(c, streak, mixRgb(cyanGlow, rgb(0.2f, 0.45f, 1.0f), 0.5f), 1.6f);
    for (int y = 0; y < c.height; ++y) {
        float v = (titleBaseline - (y + 0.5f)) / cap;
        Rgb fill = chromeAt(v);
        for (int x = 0; x < c.width; ++x) {
            float a = maskAt(letters, x, y);
            if (a > 0.0f)
                pixelAt(c, x, y) = mixRgb(pixelAt(c, x, y), fill, a);
        }
    }
}

void paintCredits(Canvas& c)
{
    Mask roles = makeMask(c.width, c.height, 0.0f);
    Mask names = makeMask(c.width, c.height, 0.0f);
    const float mid = sceneWidth * 0.5f;
    // A rule under the title with a warm mark in its middle.
    strokeSegment(names, mid - 150.0f, 336.0f, mid + 150.0f, 336.0f, 1.2f, 0.5f);
    strokeSegment(roles, mid - 16.0f, 336.0f, mid + 16.0f, 336.0f, 2.4f, 1.0f);
    float baseline = 382.0f;
    for (const Credit& cr : credits) {
        drawText(roles, cr.role, 24, mid - 12.0f, baseline, TextAlign::right, 1.0f, 1.0f);
        drawText(names, cr.handle, 24, mid + 12.0f, baseline, TextAlign::left, 1.5f, 1.0f);
        baseline += 36.0f;
    }
    drawText(names, "2026", 20, mid, 500.0f, TextAlign::centre, 10.0f, 0.7f);
    paintOver(c, roles, emberOrange);
    paintOver(c, names, mixRgb(steelLight, iceWhite, 0.5f));
}

}  // namespace

Canvas paintBg6()
{
    Canvas c = makeCanvas(sceneWidth, sceneHeight, rgb(0, 0, 0));
    paintTitle(c);
    paintCredits(c);
    return c;
}

// ---- gridi -----------------------------------------------------------------
// Laid on with "darken" (frame times one minus picture), so bright lines cut
// dark lines into the frame and black leaves it alone. 32 cells across and
// 32 down the shown band match the finest mosaic grid cell for cell; every
// fourth line is heavier.

Canvas paintGridi()
{
    Mask lines = makeMask(sceneWidth, sceneHeight, 0.0f);
    const int cells = 32;
    const float cellW = static_cast<float>(sceneWidth) / cells;
    const float cellH = (bandBottom - bandTop) / cells;
    for (int i = 0; i <= cells; ++i) {
        bool major = i % 4 == 0;
        float x = i * cellW;
        strokeSegment(lines, x, 0.0f, x, static_cast<float>(sceneHeight), major ? 2.4f : 1.4f, major ? 1.0f : 0.6f);
    }
    int first = -static_cast<int>(std::ceil(bandTop / cellH));
    int last = static_cast<int>(std::ceil((sceneHeight - bandTop) / cellH));
    for (int j = first; j <= last; ++j) {
        bool major = ((j % 4) + 4) % 4 == 0;
        float y = bandTop + j * cellH;
        strokeSegment(lines, 0.0f, y, static_cast<float>(sceneWidth), y, major ? 2.4f : 1.4f, major ? 1.0f : 0.6f);
    }
    Canvas c = makeCanvas(sceneWidth, sceneHeight, rgb(0, 0, 0));
    addLight(c, lines, rgb(0.93f, 0.97f, 1.0f), 1.0f);
    return c;
}
