// The three pictures that are laid over scenes with their brightness as
// opacity: circuit traces (bg2), a targeting display (bg4) and a lens flare
// (bg5). The show turns black transparent and anything with a channel sum
// of a third of full brightness opaque, so these are painted on pure black
// and keep their soft glows faint.
#include "lettering.h"
#include "noise.h"
#include "palette.h"
#include "pictures.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

const Rgb black{0.0f, 0.0f, 0.0f};

// Sharp lines plus a faint halo of the same light.
void addGlowing(Canvas& c, const Mask& lines, Rgb colour, float gain, float haloRadius, float haloGain)
{
    addLight(c, lines, colour, gain);
    Mask halo = lines;
    blurMask(halo, haloRadius, false);
    addLight(c, halo, colour, haloGain);
}

}  // namespace

// ---- bg2 -------------------------------------------------------------------
// Circuit traces routed on a 10-pixel grid at right angles and diagonals,
// running out of a few chips, with pads at their ends.

namespace {

const int traceStep = 10;
const int gridW = sceneWidth / traceStep + 1, gridH = sceneHeight / traceStep + 1;
const int dirX[8] = {1, 1, 0, -1, -1, -1, 0, 1};
const int dirY[8] = {0, 1, 1, 1, 0, -1, -1, -1};

struct Board {
    std::vector<char> used;  // grid nodes already crossed by a trace or chip
};

bool nodeFree(const Board& b, int gx, int gy)
{
    if (gx < 1 || gy < 1 || gx >= gridW - 1 || gy >= gridH - 1)
        return false;
    return !b.used[static_cast<size_t>(gy) * gridW + gx];
}

void takeNode(Board& b, int gx, int gy)
{
    b.used[static_cast<size_t>(gy) * gridW + gx] = 1;
}

struct TraceStyle {
    Mask* lines;
    float value;
};

// Walks from a node, mostly straight, sometimes bending by 45 degrees,
// until blocked or long enough; draws the path and its end pads.
void routeTrace(Board& b, Rng& rng, int gx, int gy, int dir, int maxLen, TraceStyle st)
{
    if (!nodeFree(b, gx, gy))
        return;
    takeNode(b, gx, gy);
    fillDisc(*st.lines, gx * traceStep + 0.5f, gy * traceStep + 0.5f, 2.2f, st.value);
    int len = 0;
    for (; len < maxLen; ++len) {
        if (len > 2 && nextUnit(rng) < 0.22)
            dir = (dir + (nextUnit(rng) < 0.5 ? 1 : 7)) % 8;
        int nx = gx + dirX[dir], ny = gy + dirY[dir];
        // A diagonal must not cut through another trace's diagonal.
        bool diagonal = dirX[dir] != 0 && dirY[dir] != 0;
        if (!nodeFree(b, nx, ny) || (diagonal && !nodeFree(b, gx + dirX[dir], gy) && !nodeFree(b, gx, gy + dirY[dir])))
            break;
        strokeSegment(*st.lines, gx * traceStep + 0.5f, gy * traceStep + 0.5f, nx * traceStep + 0.5f,
                      ny * traceStep + 0.5f, 1.6f, st.value);
        takeNode(b, nx, ny);
        gx = nx;
        gy = ny;
    }
    strokeArc(*st.lines, gx * traceStep + 0.5f, gy * traceStep + 0.5f, 3.2f, 1.4f, 0.0f, 6.2831853f, st.value);
}

struct Chip {
    int gx0, gy0, gx1, gy1;
};

void placeChip(Board& b, Mask& lines, const Chip& chip, float value)
{
    for (int y = chip.gy0; y <= chip.gy1; ++y)
        for (int x = chip.gx0; x <= chip.gx1; ++x)
            takeNode(b, x, y);
    float x0 = chip.gx0 * traceStep + 0.5f, y0 = chip.gy0 * traceStep + 0.5f;
    float x1 = chip.gx1 * traceStep + 0.5f, y1 = chip.gy1 * traceStep + 0.5f;
    strokeSegment(lines, x0, y0, x1, y0, 1.8f, value);
    strokeSegment(lines, x1, y0, x1, y1, 1.8f, value);
    strokeSegment(lines, x1, y1, x0, y1, 1.8f, value);
    strokeSegment(lines, x0, y1, x0, y0, 1.8f, value);
    // A small orientation notch.
    strokeArc(lines, x0 + 8.0f, y0 + 8.0f, 3.0f, 1.2f, 0.0f, 6.2831853f, value);
}

// Traces leave the chip from every other node along its sides.
void chipTraces(Board& b, Rng& rng, const Chip& chip, Mask& cold, Mask& warm)
{
    for (int x = chip.gx0 + 1; x < chip.gx1; x += 2) {
        if (nextUnit(rng) < 0.3)
            continue;
        TraceStyle st{nextUnit(rng) < 0.15 ? &warm : &cold, 0.9f};
        routeTrace(b, rng, x, chip.gy0 - 1, 6, 4 + nextInt(rng, 30), st);
        routeTrace(b, rng, x, chip.gy1 + 1, 2, 4 + nextInt(rng, 30), st);
    }
    for (int y = chip.gy0 + 1; y < chip.gy1; y += 2) {
        if (nextUnit(rng) < 0.3)
            continue;
        TraceStyle st{nextUnit(rng) < 0.15 ? &warm : &cold, 0.9f};
        routeTrace(b, rng, chip.gx0 - 1, y, 4, 4 + nextInt(rng, 30), st);
        routeTrace(b, rng, chip.gx1 + 1, y, 0, 4 + nextInt(rng, 30), st);
    }
}

}  // namespace

Canvas paintBg2()
{
    Board board;
    board.used.assign(static_cast<size_t>(gridW) * gridH, 0);
    Mask cold = makeMask(sceneWidth, sceneHeight, 0.0f);
    Mask warm = makeMask(sceneWidth, sceneHeight, 0.0f);
    Rng rng = makeRng(0xB62u);
    const Chip chips[] = {{8, 10, 17, 15}, {52, 8, 63, 12}, {30, 41, 37, 48}, {60, 40, 69, 46}};
    for (const Chip& chip : chips)
        placeChip(board, cold, chip, 1.0f);
    for (const Chip& chip : chips)
        chipTraces(board, rng, chip, cold, warm);
    for (int i = 0; i < 170; ++i) {
        int gx = 1 + nextInt(rng, gridW - 2), gy = 1 + nextInt(rng, gridH - 2);
        // Fewer traces start near the middle, where the tunnel shows through.
        float ex = (gx - gridW * 0.5f) / (gridW * 0.36f), ey = (gy - gridH * 0.5f) / (gridH * 0.32f);
        if (ex * ex + ey * ey < 1.0f && nextUnit(rng) < 0.85)
            continue;
        TraceStyle st{nextUnit(rng) < 0.1 ? &warm : &cold, static_cast<float>(nextRange(rng, 0.45, 0.9))};
        routeTrace(board, rng, gx, gy, nextInt(rng, 8) & ~1, 3 + nextInt(rng, 25), st);
    }
    Canvas c = makeCanvas(sceneWidth, sceneHeight, black);
    addGlowing(c, cold, mixRgb(cyanGlow, iceWhite, 0.25f), 0.95f, 4.0f, 0.35f);
    addGlowing(c, warm, emberOrange, 1.1f, 4.0f, 0.4f);
    return c;
}

// ---- bg4 -------------------------------------------------------------------
// A targeting display centred where the scenes put their subject: rings,
// ticks, a broken crosshair, side scales and small readouts.

namespace {

const float pi = 3.14159265f;

void reticle(Mask& cold, Mask& warm)
{
    const float cx = focusX, cy = focusY;
    strokeArc(cold, cx, cy, 56.0f, 1.3f, 0.0f, 2 * pi, 0.8f);
    for (int i = 0; i < 24; ++i) {  // dashed ring
        float a = i * 2 * pi / 24;
        strokeArc(cold, cx, cy, 98.0f, 1.3f, a, a + 0.16f, 0.7f);
    }
    const float big = 148.0f;
    strokeArc(cold, cx, cy, big, 1.2f, 0.0f, 2 * pi, 0.75f);
    for (int deg = 0; deg < 360; deg += 5) {  // ticks inside the big ring
        float a = deg * pi / 180.0f, len = deg % 30 == 0 ? 14.0f : 6.0f;
        float ca = std::cos(a), sa = -std::sin(a);
        strokeSegment(cold, cx + ca * big, cy + sa * big, cx + ca * (big - len), cy + sa * (big - len), 1.2f, 0.75f);
    }
    const float arcs[3][2] = {{0.35f, 1.30f}, {2.45f, 3.05f}, {4.10f, 5.55f}};
    for (const auto& a : arcs)
        strokeArc(warm, cx, cy, 186.0f, 3.0f, a[0], a[1], 0.9f);
    // Lock brackets hugging the centre.
    const float s = 34.0f, arm = 12.0f;
    for (int qx = -1; qx <= 1; qx += 2)
        for (int qy = -1; qy <= 1; qy += 2) {
            float x = cx + qx * s, y = cy + qy * s;
            strokeSegment(warm, x, y, x - qx * arm, y, 2.0f, 0.95f);
            strokeSegment(warm, x, y, x, y - qy * arm, 2.0f, 0.95f);
        }
    const float gap = 196.0f;  // the crosshair stops short of the rings
    strokeSegment(cold, 24.0f, cy, cx - gap, cy, 1.2f, 0.6f);
    strokeSegment(cold, cx + gap, cy, 776.0f, cy, 1.2f, 0.6f);
    strokeSegment(cold, cx, cy + gap, cx, bandBottom - 4.0f, 1.2f, 0.6f);
    strokeSegment(cold, cx - 20.0f, cy, cx + 20.0f, cy, 1.2f, 0.9f);
    strokeSegment(cold, cx, cy - 20.0f, cx, cy + 20.0f, 1.2f, 0.9f);
}

void sideScale(Mask& cold)
{
    const float x = 70.0f, top = 180.0f, bottom = 470.0f;
    strokeSegment(cold, x, top, x, bottom, 1.2f, 0.7f);
    char text[16];
    for (int i = 0; top + i * 10.0f <= bottom; ++i) {
        float y = top + i * 10.0f;
        bool major = i % 5 == 0;
        strokeSegment(cold, x, y, x + (major ? 14.0f : 6.0f), y, 1.2f, 0.7f);
        if (major) {
            std::snprintf(text, sizeof text, "%03d", 290 - i * 10);
            drawText(cold, text, 11, x - 6.0f, y + 4.0f, TextAlign::right, 0.5f, 0.75f);
        }
    }
    // The marker on the scale.
    strokeSegment(cold, x + 18.0f, focusY, x + 30.0f, focusY - 6.0f, 1.4f, 0.9f);
    strokeSegment(cold, x + 18.0f, focusY, x + 30.0f, focusY + 6.0f, 1.4f, 0.9f);
}

void headingScale(Mask& cold)
{
    const float y = 498.0f;
    strokeSegment(cold, 200.0f, y, 700.0f, y, 1.2f, 0.7f);
    for (int i = 0; i <= 50; ++i) {
        float x = 200.0f + i * 10.0f;
        strokeSegment(cold, x, y, x, y - (i % 5 == 0 ? 10.0f : 4.0f), 1.2f, 0.7f);
    }
}

void cornerBrackets(Mask& cold)
{
    const float l = 22.0f, r = 778.0f, t = bandTop + 12.0f, b = bandBottom - 12.0f, arm = 28.0f;
    strokeSegment(cold, l, t, l + arm, t, 1.6f, 0.8f);
    strokeSegment(cold, l, t, l, t + arm, 1.6f, 0.8f);
    strokeSegment(cold, r, t, r - arm, t, 1.6f, 0.8f);
    strokeSegment(cold, r, t, r, t + arm, 1.6f, 0.8f);
    strokeSegment(cold, l, b, l + arm, b, 1.6f, 0.8f);
    strokeSegment(cold, l, b, l, b - arm, 1.6f, 0.8f);
    strokeSegment(cold, r, b, r - arm, b, 1.6f, 0.8f);
    strokeSegment(cold, r, b, r, b - arm, 1.6f, 0.8f);
}

void readouts(Mask& cold, Mask& warm)
{
    const float left = 40.0f, top = bandTop + 34.0f;
    drawText(warm, "TRK 07  LOCK", 13, left, top, TextAlign::left, 1.5f, 0.95f);
    drawText(cold, "RNG 064.0", 12, left, top + 18.0f, TextAlign::left, 1.0f, 0.75f);
    drawText(cold, "AZ 217.5  EL 12.8", 12, left, top + 34.0f, TextAlign::left, 1.0f, 0.75f);
    drawText(cold, "ZANT//SYS", 12, 760.0f, top, TextAlign::right, 2.0f, 0.75f);
    drawText(cold, "180 BPM", 12, 760.0f, top + 18.0f, TextAlign::right, 1.0f, 0.75f);
    drawText(cold, "SCAN", 11, focusX, focusY + 82.0f, TextAlign::centre, 2.0f, 0.7f);
}

}  // namespace

Canvas paintBg4()
{
    Mask cold = makeMask(sceneWidth, sceneHeight, 0.0f);
    Mask warm = makeMask(sceneWidth, sceneHeight, 0.0f);
    reticle(cold, warm);
    sideScale(cold);
    headingScale(cold);
    cornerBrackets(cold);
    readouts(cold, warm);
    Canvas c = makeCanvas(sceneWidth, sceneHeight, black);
    addGlowing(c, cold, mixRgb(cyanGlow, iceWhite, 0.2f), 1.0f, 3.0f, 0.3f);
    addGlowing(c, warm, emberOrange, 1.1f, 3.0f, 0.35f);
    return c;
}

// ---- bg5 -------------------------------------------------------------------
// A lens flare: a hot core in the upper left, its horizontal streak across
// the whole width, star rays, ghost rings strung along the line through the
// picture's centre, and a few stars.

namespace {

const float flareX = 175.0f, flareY = 165.0f;

void flareCore(Canvas& c)
{
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x) {
            float dx = x + 0.5f - flareX, dy = y + 0.5f - flareY;
            float d = std::hypot(dx, dy);
            float core = 2.4f * std::exp(-d / 9.0f) + 0.55f * std::exp(-d / 38.0f) + 0.04f * std::exp(-d / 80.0f);
            float streak = (1.2f * std::exp(-std::fabs(dx) / 240.0f) + 0.25f * std::exp(-std::fabs(dx) / 700.0f)) *
                std::exp(-(dy / 1.8f) * (dy / 1.8f));
            float streakHalo = 0.12f * std::exp(-std::fabs(dx) / 300.0f) * std::exp(-(dy / 7.0f) * (dy / 7.0f));
            Rgb p = mixRgb(iceWhite, cyanGlow, 0.3f) * core +
                mixRgb(cyanGlow, rgb(0.2f, 0.45f, 1.0f), 0.5f) * (streak + streakHalo);
            pixelAt(c, x, y) = pixelAt(c, x, y) + p;
        }
}

void flareRays(Canvas& c, Rng& rng)
{
    Mask rays = makeMask(c.width, c.height, 0.0f);
    for (int i = 0; i < 14; ++i) {
        float a = static_cast<float>(i * 2 * pi / 14 + nextRange(rng, -0.12, 0.12));
        float len = static_cast<float>(nextRange(rng, 45.0, 150.0));
        // Drawn in short pieces that fade outwards.
        for (int k = 0; k < 12; ++k) {
            float r0 = len * k / 12, r1 = len * (k + 1) / 12;
            strokeSegment(rays, flareX + std::cos(a) * r0, flareY - std::sin(a) * r0, flareX + std::cos(a) * r1,
                          flareY - std::sin(a) * r1, 1.1f, 1.0f - k / 12.0f);
        }
    }
    addLight(c, rays, iceWhite, 0.8f);
}

void flareGhosts(Canvas& c)
{
    Mask cold = makeMask(c.width, c.height, 0.0f);
    Mask warm = makeMask(c.width, c.height, 0.0f);
    const float mx = sceneWidth * 0.5f, my = sceneHeight * 0.5f;
    struct Ghost {
        float along, radius, width, value;
        bool warm;
    };
    const Ghost ghosts[] = {{0.45f, 10.0f, 2.0f, 0.55f, true},  {-0.30f, 26.0f, 1.4f, 0.4f, false},
                            {-0.62f, 14.0f, 3.5f, 0.45f, true}, {-1.00f, 48.0f, 1.3f, 0.35f, false},
                            {-1.08f, 7.0f, 2.5f, 0.6f, false},  {-1.45f, 30.0f, 2.2f, 0.4f, true}};
    for (const Ghost& g : ghosts) {
        float gx = mx + g.along * (flareX - mx), gy = my + g.along * (flareY - my);
        strokeArc(g.warm ? warm : cold, gx, gy, g.radius, g.width, 0.0f, 2 * pi, g.value);
    }
    // The halo ring around the core.
    strokeArc(cold, flareX, flareY, 118.0f, 3.0f, 0.0f, 2 * pi, 0.22f);
    blurMask(cold, 1.2f, false);
    blurMask(warm, 1.2f, false);
    addLight(c, cold, cyanGlow, 0.9f);
    addLight(c, warm, amber, 0.9f);
}

void flareStars(Canvas& c, Rng& rng)
{
    Mask stars = makeMask(c.width, c.height, 0.0f);
    for (int i = 0; i < 160; ++i) {
        float x = static_cast<float>(nextRange(rng, 0, c.width));
        float y = static_cast<float>(nextRange(rng, bandTop, bandBottom));
        float size = static_cast<float>(0.5 + 1.0 * std::pow(nextUnit(rng), 5.0));
        fillDisc(stars, x, y, size, static_cast<float>(nextRange(rng, 0.6, 1.0)));
    }
    addLight(c, stars, iceWhite, 1.0f);
}

}  // namespace

Canvas paintBg5()
{
    Canvas c = makeCanvas(sceneWidth, sceneHeight, black);
    Rng rng = makeRng(0xB65u);
    flareStars(c, rng);
    flareCore(c);
    flareRays(c, rng);
    flareGhosts(c);
    return c;
}
