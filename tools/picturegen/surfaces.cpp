// The three surface pictures: the columns' panel plating (txtr1), the glow
// ramp of fins and tunnel blocks (txtr2) and the chrome sphere map (metal).
#include "noise.h"
#include "palette.h"
#include "pictures.h"

#include <cmath>

namespace {

// ---- txtr1 -----------------------------------------------------------------
// The column wraps this tile four times around its eight sides and four
// times up its height, so one tile spans two sides (two panels across) and
// four rings of the fin grid (four panels down). The tile is stretched about
// five times vertically on the column; features are laid out in world units
// so rivets and slots come out round and level there.

const int panelSize = 512;
const int panelCols = 2, panelRows = 4;
const float panelWorldW = 7.65f, panelWorldH = 20.0f;
const float worldPerPixelX = panelWorldW / (panelSize / panelCols);
const float worldPerPixelY = panelWorldH / (panelSize / panelRows);

struct PanelPoint {
    float lx, ly;  // world units inside the panel
    int col, row;  // which panel of the tile
};

PanelPoint panelPoint(float x, float y)
{
    float cellW = static_cast<float>(panelSize) / panelCols;
    float cellH = static_cast<float>(panelSize) / panelRows;
    PanelPoint p;
    p.col = static_cast<int>(x / cellW);
    p.row = static_cast<int>(y / cellH);
    p.lx = (x - p.col * cellW) * worldPerPixelX;
    p.ly = (y - p.row * cellH) * worldPerPixelY;
    return p;
}

// 0 at the rectangle's border rising to 1 at depth bevel inside it; < 0 out.
float insetRamp(float lx, float ly, float x0, float y0, float x1, float y1, float bevel)
{
    float d = std::fmin(std::fmin(lx - x0, x1 - lx), std::fmin(ly - y0, y1 - ly));
    return d < 0.0f ? -1.0f : smoothStep(0.0f, bevel, d);
}

float rivetHeight(float lx, float ly, float cx, float cy)
{
    float d = std::hypot(lx - cx, ly - cy) / 0.2f;
    return d < 1.0f ? 0.35f * std::sqrt(1.0f - d * d) : 0.0f;
}

// Panel kinds: 0 plain plate with a recessed inset, 1 vent slots,
// 2 plate split in two, 3 plate with an indicator window.
int panelKind(int col, int row)
{
    static const int kinds[panelRows][panelCols] = {{1, 0}, {3, 2}, {0, 1}, {2, 3}};
    return kinds[row][col];
}

float panelHeight(const PanelPoint& p)
{
    const float w = panelWorldW, h = panelWorldH;
    float plate = insetRamp(p.lx, p.ly, 0.08f, 0.08f, w - 0.08f, h - 0.08f, 0.35f);
    if (plate < 0.0f)
        return 0.0f;
    float height = plate;
    int kind = panelKind(p.col, p.row);
    if (kind == 0) {
        float inset = insetRamp(p.lx, p.ly, 1.2f, 4.0f, w - 1.2f, h - 4.0f, 0.25f);
        if (inset > 0.0f)
            height -= 0.45f * inset;
    } else if (kind == 1) {
        for (int s = 0; s < 6; ++s) {
            float y0 = 2.5f + s * 1.3f;
            float slot = insetRamp(p.lx, p.ly, 1.0f, y0, w - 1.0f, y0 + 0.55f, 0.15f);
            if (slot > 0.0f)
                height -= 0.6f * slot;
        }
    } else if (kind == 2) {
        float split = std::fabs(p.ly - 8.0f);
        height *= smoothStep(0.05f, 0.4f, split);
        float rib = insetRamp(p.lx, p.ly, w * 0.5f - 0.35f, 9.0f, w * 0.5f + 0.35f, h - 1.5f, 0.2f);
        if (rib > 0.0f)
            height += 0.3f * rib;
    } else {
        float window = insetRamp(p.lx, p.ly, w - 2.6f, 2.0f, w - 1.0f, 6.5f, 0.2f);
        if (window > 0.0f)
            height -= 0.3f * window;
    }
    const float rx[2] = {0.55f, w - 0.55f}, ry[2] = {0.9f, h - 0.9f};
    for (float cx : rx)
        for (float cy : ry)
            height += rivetHeight(p.lx, p.ly, cx, cy);
    return height;
}

// Light coming out of the panel itself: the indicator windows.
float panelEmission(const PanelPoint& p)
{
    if (panelKind(p.col, p.row) != 3)
        return 0.0f;
    float window = insetRamp(p.lx, p.ly, panelWorldW - 2.45f, 2.15f, panelWorldW - 1.15f, 6.35f, 0.25f);
    if (window <= 0.0f)
        return 0.0f;
    // Three lit bars inside the window.
    float bar = std::fmod(p.ly - 2.15f, 1.4f);
    return window * smoothStep(0.15f, 0.35f, bar) * smoothStep(1.25f, 1.05f, bar);
}

Mask panelHeights()
{
    Mask m = makeMask(panelSize, panelSize, 0.0f);
    for (int y = 0; y < panelSize; ++y)
        for (int x = 0; x < panelSize; ++x)
            maskAt(m, x, y) = panelHeight(panelPoint(x + 0.5f, y + 0.5f));
    blurMask(m, 0.6f, true);
    return m;
}

// Weathered steel: large blotches, vertical rain streaks, fine grain. All
// noise periods divide the tile, so it tiles.
float panelGrime(int x, int y)
{
    double u = x / 64.0, v = y / 64.0;
    double blotch = fractalNoise(u, v, 4, 8, 8, 11u);
    double streak = fractalNoise(x / 8.0, y / 128.0, 3, 64, 4, 12u);
    double grain = gradientNoise(x / 2.0, y / 2.0, 256, 256, 13u);
    return static_cast<float>(0.78 + 0.22 * blotch + 0.10 * streak + 0.05 * grain);
}

Rgb shadePanel(const Mask& heights, const Mask& glow, int x, int y)
{
    float dhx = (maskAtWrapped(heights, x + 1, y) - maskAtWrapped(heights, x - 1, y)) / (2.0f * worldPerPixelX);
    float dhy = (maskAtWrapped(heights, x, y + 1) - maskAtWrapped(heights, x, y - 1)) / (2.0f * worldPerPixelY);
    float nx = -dhx * 0.6f, ny = -dhy * 0.6f, nz = 1.0f;
    float nl = 1.0f / std::sqrt(nx * nx + ny * ny + nz * nz);
    nx *= nl;
    ny *= nl;
    nz *= nl;
    // Light from above and to the left; picture top is the column top.
    const float lx = -0.45f, ly = -0.55f, lz = 0.70f;
    float diffuse = std::fmax(0.0f, nx * lx + ny * ly + nz * lz);
    float hx = lx, hy = ly, hz = lz + 1.0f;
    float hl = 1.0f / std::sqrt(hx * hx + hy * hy + hz * hz);
    float shine = std::pow(std::fmax(0.0f, (nx * hx + ny * hy + nz * hz) * hl), 40.0f);
    float h = maskAtWrapped(heights, x, y);
    float cavity = smoothStep(-0.2f, 0.9f, h);  // grooves and seams hold shadow
    Rgb albedo = mixRgb(steelDark, steel, 0.75f) * panelGrime(x, y);
    Rgb c = albedo * ((0.30f + 0.95f * diffuse) * (0.35f + 0.65f * cavity));
    c = c + steelLight * (0.45f * shine * cavity);
    float e = maskAtWrapped(glow, x, y);
    return c + emberOrange * (1.6f * e);
}

}  // namespace

Canvas paintTxtr1()
{
    Mask heights = panelHeights();
    Mask light = makeMask(panelSize, panelSize, 0.0f);
    for (int y = 0; y < panelSize; ++y)
        for (int x = 0; x < panelSize; ++x)
            maskAt(light, x, y) = panelEmission(panelPoint(x + 0.5f, y + 0.5f));
    Mask halo = light;
    blurMask(halo, 5.0f, true);
    for (size_t i = 0; i < light.values.size(); ++i)
        light.values[i] = light.values[i] + 0.6f * halo.values[i];
    Canvas c = makeCanvas(panelSize, panelSize, inkBlack);
    for (int y = 0; y < panelSize; ++y)
        for (int x = 0; x < panelSize; ++x)
            pixelAt(c, x, y) = shadePanel(heights, light, x, y);
    return c;
}

// ---- txtr2 -----------------------------------------------------------------
// Fins show the bottom row at the surface and the top row at the tip, added
// to the frame: light rising off the surface in streaks and dying out.

namespace {

const int rampSize = 512;

struct Streak {
    float length;  // fraction of the height the streak climbs
    float strength;
    float warmth;  // 0 cold, 1 ember
};

Streak streakAt(int x)
{
    double s = x / static_cast<double>(rampSize);
    double broad = gradientNoise(s * 7.0, 0.5, 0, 0, 21u);
    double fine = gradientNoise(s * 45.0, 1.5, 0, 0, 22u);
    double hair = gradientNoise(s * 160.0, 2.5, 0, 0, 23u);
    Streak st;
    st.length = clamp01(static_cast<float>(0.72 + 0.22 * broad + 0.22 * fine + 0.08 * hair));
    st.strength = clamp01(static_cast<float>(0.70 + 0.25 * fine + 0.15 * hair));
    double warm = gradientNoise(s * 11.0, 3.5, 0, 0, 24u);
    st.warmth = smoothStep(0.45f, 0.7f, static_cast<float>(warm));
    return st;
}

Rgb rampColour(float level, float warmth)
{
    Rgb cold =
        level < 0.5f ? mixRgb(steelDeep, cyanGlow, level * 2.0f) : mixRgb(cyanGlow, iceWhite, (level - 0.5f) * 2.0f);
    Rgb warm =
        level < 0.5f ? mixRgb(steelDeep, emberOrange, level * 2.0f) : mixRgb(emberOrange, amber, (level - 0.5f) * 2.0f);
    return mixRgb(cold, warm, warmth * 0.85f);
}

}  // namespace

Canvas paintTxtr2()
{
    Canvas c = makeCanvas(rampSize, rampSize, rgb(0, 0, 0));
    for (int x = 0; x < rampSize; ++x) {
        Streak st = streakAt(x);
        float s = (x + 0.5f) / rampSize;
        float edge = 0.75f + 0.25f * smoothStep(0.0f, 0.06f, s) * smoothStep(1.0f, 0.94f, s);
        for (int y = 0; y < rampSize; ++y) {
            float t = (y + 0.5f) / rampSize;  // 0 at the tip (top), 1 at the surface
            float climb = clamp01((t - (1.0f - st.length)) / st.length);
            float streak = std::pow(climb, 1.8f) * st.strength;
            float base = std::exp(-(1.0f - t) * 9.0f);  // shared glow at the surface
            float flutter = 0.85f + 0.15f * static_cast<float>(gradientNoise(x / 3.0, y / 40.0, 0, 0, 25u));
            float level = (0.8f * streak * flutter + 0.55f * base) * edge;
            level *= smoothStep(0.0f, 0.15f, t);  // the tip itself is black
            pixelAt(c, x, y) = rampColour(clamp01(level), st.warmth) * (level * 1.25f);
        }
    }
    return c;
}

// ---- metal -----------------------------------------------------------------
// A sphere map: each pixel inside the circle is the colour reflected by a
// mirror ball at that point. GL looks the map up with t growing with the
// reflection's upward component, and texture row 0 is the picture's top, so
// the sky is painted in the lower half of the picture.

namespace {

const int sphereSize = 512;
const float sunAzimuth = 1.25f;  // low sun off to the right of the viewer

// Angle from a to b, wrapped into -pi..pi, so nothing seams behind the ball.
float angleBetween(float a, float b)
{
    float d = std::fmod(a - b + 3.14159265f, 6.2831853f);
    if (d < 0.0f)
        d += 6.2831853f;
    return d - 3.14159265f;
}

float softBox(float az, float el, float az0, float az1, float el0, float el1)
{
    float fx = smoothStep(az0, az0 + 0.03f, az) * smoothStep(az1, az1 - 0.03f, az);
    float fy = smoothStep(el0, el0 + 0.02f, el) * smoothStep(el1, el1 - 0.02f, el);
    return fx * fy;
}

Rgb skyColour(float rx, float ry, float rz)
{
    float az = std::atan2(rx, rz);
    float el = ry;
    Rgb c = mixRgb(mixRgb(iceWhite, steelLight, 0.3f), rgb(0.04f, 0.10f, 0.24f), std::pow(el, 0.45f));
    float cloud = static_cast<float>(fractalNoise(az / 6.2831853 * 12.0, el * 9.0, 4, 12, 0, 31u));
    c = c * (0.8f + 0.35f * cloud);
    float boxes = softBox(az, el, -1.0f, -0.55f, 0.40f, 0.78f) + softBox(az, el, 0.35f, 0.62f, 0.55f, 0.70f) +
        softBox(az, el, -2.3f, -1.7f, 0.18f, 0.30f);
    c = c + iceWhite * (1.6f * boxes);
    float sunDist = std::hypot(angleBetween(az, sunAzimuth) * 0.8f, el - 0.08f);
    c = c + amber * (2.2f * std::exp(-sunDist * 11.0f)) + emberOrange * (0.6f * std::exp(-sunDist * 3.5f));
    return c;
}

Rgb groundColour(float rx, float ry, float rz)
{
    float depth = -ry;
    Rgb c = mixRgb(steelDark, rgb(0.02f, 0.025f, 0.035f), smoothStep(0.0f, 0.5f, depth));
    // A reflected floor grid, faded out near the horizon where it would alias.
    float px = rx / depth * 1.5f, pz = rz / depth * 1.5f;
    float gx = std::fabs(px - std::round(px)), gz = std::fabs(pz - std::round(pz));
    float line = std::exp(-std::fmin(gx, gz) * 40.0f) * smoothStep(0.05f, 0.35f, depth);
    return c + cyanGlow * (0.35f * line);
}

Rgb environment(float rx, float ry, float rz)
{
    float az = std::atan2(rx, rz);
    Rgb c = ry >= 0.0f ? skyColour(rx, ry, rz) : groundColour(rx, ry, rz);
    float fromSun = angleBetween(az, sunAzimuth);
    float sunSide = std::exp(-fromSun * fromSun * 1.5f);
    float horizon = std::exp(-std::fabs(ry) * 22.0f) * (0.35f + 1.1f * sunSide);
    c = c + emberOrange * horizon;
    c = c + iceWhite * (1.2f * std::exp(-(ry / 0.012f) * (ry / 0.012f)));
    return c;
}

Rgb sphereSample(float s, float t)
{
    float nx = 2.0f * s - 1.0f, ny = 2.0f * t - 1.0f;
    float r2 = nx * nx + ny * ny;
    if (r2 >= 1.0f)
        return rgb(0, 0, 0);
    float nz = std::sqrt(1.0f - r2);
    return environment(2.0f * nz * nx, 2.0f * nz * ny, 2.0f * nz * nz - 1.0f);
}

}  // namespace

Canvas paintMetal()
{
    Canvas c = makeCanvas(sphereSize, sphereSize, rgb(0, 0, 0));
    const int ss = 2;
    for (int y = 0; y < sphereSize; ++y)
        for (int x = 0; x < sphereSize; ++x) {
            Rgb sum;
            for (int j = 0; j < ss; ++j)
                for (int i = 0; i < ss; ++i)
                    sum = sum + sphereSample((x + (i + 0.5f) / ss) / sphereSize, (y + (j + 0.5f) / ss) / sphereSize);
            pixelAt(c, x, y) = sum * (1.0f / (ss * ss));
        }
    return c;
}
