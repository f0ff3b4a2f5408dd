// The two painted backdrops: the light well behind the cube swarm, which
// also darkens the tunnel's edges (bg1), and the planet at dusk behind the
// breaking boxes (bg3).
#include "noise.h"
#include "palette.h"
#include "pictures.h"

#include <cmath>

// ---- bg1 -------------------------------------------------------------------
// Multiplied over the tunnel, so the middle must stay close to white and the
// edges fall towards black; behind the swarm the bright core backlights the
// black cubes.

namespace {

const float wellX = 470.0f, wellY = 285.0f;

float wellLight(float x, float y)
{
    float dx = (x - wellX) / 400.0f, dy = (y - wellY) / 300.0f;
    float d = std::sqrt(dx * dx + dy * dy);
    float angle = std::atan2(dy, dx) / 6.2831853f;  // -0.5 .. 0.5
    // Rays: noise around the circle, slowly changing outwards.
    float rays = static_cast<float>(0.5 + 0.5 * fractalNoise(angle * 40.0, d * 1.5, 3, 40, 0, 41u));
    float core = std::exp(-d * d * 3.2f);
    float halo = std::exp(-d * 1.9f) * (0.45f + 0.55f * rays);
    return 0.75f * core + 0.55f * halo;
}

Rgb wellColour(float x, float y)
{
    float light = wellLight(x, y);
    double u = x / 220.0, v = y / 220.0;
    float cloud = static_cast<float>(0.5 + 0.5 * fractalNoise(u, v, 5, 0, 0, 42u));
    float veins = static_cast<float>(ridgedNoise(u * 1.3 + 7.0, v * 1.3, 4, 0, 0, 43u));
    float level = light * (0.72f + 0.45f * cloud) + 0.06f * veins * light;
    Rgb c = level < 0.45f ? mixRgb(inkBlack, steel, level / 0.45f)
                          : mixRgb(steel, mixRgb(cyanGlow, iceWhite, 0.6f), (level - 0.45f) / 0.55f);
    c = c * (0.6f + 0.55f * level);
    // Warm dust lit at the rim of the glow.
    float rim = smoothStep(0.25f, 0.45f, light) * smoothStep(0.75f, 0.45f, light);
    c = c + emberOrange * (0.10f * rim * veins * veins);
    return c;
}

void sprinkleDust(Canvas& c, std::uint64_t seed)
{
    Mask dust = makeMask(c.width, c.height, 0.0f);
    Rng rng = makeRng(seed);
    for (int i = 0; i < 420; ++i) {
        float x = static_cast<float>(nextRange(rng, 0, c.width));
        float y = static_cast<float>(nextRange(rng, 0, c.height));
        float size = static_cast<float>(0.5 + 1.2 * std::pow(nextUnit(rng), 4.0));
        fillDisc(dust, x, y, size, static_cast<float>(nextRange(rng, 0.15, 0.6)));
    }
    addLight(c, dust, iceWhite, 0.5f);
}

}  // namespace

Canvas paintBg1()
{
    Canvas c = makeCanvas(sceneWidth, sceneHeight, inkBlack);
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x)
            pixelAt(c, x, y) = wellColour(x + 0.5f, y + 0.5f);
    sprinkleDust(c, 0xB61u);
    return c;
}

// ---- bg3 -------------------------------------------------------------------
// A ringed planet over a mountain range at dusk, the sun just under the
// horizon on the right. Opaque everywhere: it only ever sits behind a scene.

namespace {

const float horizonY = 432.0f;
const float planetX = 230.0f, planetY = 222.0f, planetR = 118.0f;
const float sunX = 610.0f;
// The ring plane is tilted; v is squashed by this to make it an ellipse.
const float ringTilt = -0.26f, ringSquash = 0.24f;
const float ringInner = 1.32f, ringOuter = 1.92f;

Rgb skyAt(float x, float y)
{
    float t = clamp01(y / horizonY);
    Rgb c = mixRgb(rgb(0.008f, 0.014f, 0.035f), steelDeep, smoothStep(0.0f, 0.7f, t));
    c = mixRgb(c, steelDark * 1.4f, smoothStep(0.55f, 1.0f, t));
    float above = std::fmax(0.0f, horizonY - y);
    float sunward = 0.35f + 0.9f * std::exp(-((x - sunX) / 230.0f) * ((x - sunX) / 230.0f));
    c = c + emberOrange * (0.75f * std::exp(-above / 55.0f) * sunward);
    c = c + amber * (0.55f * std::exp(-above / 14.0f) * sunward);
    return c;
}

// Ring-plane coordinates of a picture point, in planet radii.
void ringFrame(float x, float y, float& u, float& v)
{
    float dx = (x - planetX) / planetR, dy = (y - planetY) / planetR;
    float cs = std::cos(ringTilt), sn = std::sin(ringTilt);
    u = dx * cs - dy * sn;
    v = (dx * sn + dy * cs) / ringSquash;
}

float ringDensity(float x, float y, bool& inFront)
{
    float u, v;
    ringFrame(x, y, u, v);
    float r = std::sqrt(u * u + v * v);
    inFront = v > 0.0f;
    if (r < ringInner || r > ringOuter)
        return 0.0f;
    float bands = static_cast<float>(0.55 + 0.45 * fractalNoise(r * 9.0, 0.5, 3, 0, 0, 51u));
    float edges = smoothStep(ringInner, ringInner + 0.04f, r) * smoothStep(ringOuter, ringOuter - 0.04f, r);
    float gap = 1.0f - 0.85f * std::exp(-((r - 1.72f) / 0.025f) * ((r - 1.72f) / 0.025f));
    return bands * edges * gap;
}

Rgb planetSurface(float x, float y, float& cover)
{
    float dx = (x - planetX) / planetR, dy = (y - planetY) / planetR;
    float r2 = dx * dx + dy * dy;
    cover = clamp01((1.0f - std::sqrt(r2)) * planetR + 0.5f);
    if (r2 >= 1.0f)
        return rgb(0, 0, 0);
    float nz = std::sqrt(1.0f - r2);
    // Lit from the low sun on the right, a little from behind.
    float lit = std::fmax(0.0f, dx * 0.72f + dy * 0.45f + nz * 0.15f);
    float lat = dy * std::cos(ringTilt) + dx * std::sin(ringTilt);
    float bands = static_cast<float>(fractalNoise(dx * 2.0 / (nz + 0.3), lat * 11.0, 4, 0, 0, 52u));
    Rgb body = mixRgb(steelDark, steelLight, 0.5f + 0.35f * bands);
    body = mixRgb(body, amber * 0.8f, 0.25f * smoothStep(0.3f, 0.9f, bands));
    Rgb c = body * (0.03f + 1.05f * std::pow(lit, 1.3f));
    // Atmosphere: a thin cyan limb, strongest on the lit side.
    c = c + cyanGlow * (0.7f * std::pow(1.0f - nz, 3.0f) * (0.2f + lit));
    return c;
}

Rgb planetAndRing(float x, float y, Rgb sky)
{
    bool front = false;
    float ring = ringDensity(x, y, front);
    float u, v;
    ringFrame(x, y, u, v);
    // The ring is lit on the sun's side and falls into the planet's shadow.
    float ringLit = 0.25f + 0.75f * smoothStep(-1.2f, 1.4f, u);
    Rgb ringCol = mixRgb(steelLight, amber, 0.35f) * (0.55f * ringLit);
    float cover = 0.0f;
    Rgb surface = planetSurface(x, y, cover);
    Rgb c = sky;
    if (!front)
        c = mixRgb(c, ringCol, 0.65f * ring);
    c = mixRgb(c, surface, cover);
    if (front)
        c = mixRgb(c, ringCol, 0.65f * ring);
    // Faint glow of the atmosphere beyond the limb.
    float d = std::hypot(x - planetX, y - planetY) / planetR;
    if (d > 1.0f)
        c = c + cyanGlow * (0.12f * std::exp(-(d - 1.0f) * 14.0f));
    return c;
}

float ridgeHeight(float x, std::uint32_t seed, float scale, float height)
{
    float n = static_cast<float>(ridgedNoise(x / scale, 0.37, 5, 0, 0, seed));
    return height * n * n;
}

Rgb landAt(float x, float y, Rgb sky)
{
    float far = horizonY - 8.0f - ridgeHeight(x, 53u, 260.0f, 95.0f);
    float near = horizonY + 4.0f - ridgeHeight(x + 900.0f, 54u, 150.0f, 55.0f);
    Rgb c = sky;
    if (y > far) {
        float haze = std::exp(-(y - far) / 40.0f);
        c = mixRgb(steelDeep * 1.3f, skyAt(x, horizonY - 40.0f) * 0.8f, 0.5f * haze);
    }
    if (y > near && y < horizonY + 10.0f)
        c = rgb(0.012f, 0.015f, 0.022f) + skyAt(x, horizonY) * 0.03f;
    return c;
}

// Still water below the land mirrors the horizon glow in broken lines.
Rgb waterAt(float x, float y)
{
    float depth = y - horizonY - 10.0f;
    float ripple = static_cast<float>(gradientNoise(x / 90.0, depth / 3.5, 0, 0, 55u));
    Rgb mirrored = skyAt(x, horizonY - depth * 0.8f);
    Rgb c = mirrored * (0.3f * (0.6f + 0.5f * ripple) * std::exp(-depth / 120.0f));
    c = c + steelDeep * (0.45f * (0.8f + 0.2f * ripple));
    // Glitter on the path towards the sun.
    float glint = static_cast<float>(gradientNoise(x / 14.0, depth / 1.6, 0, 0, 56u));
    float path = std::exp(-std::fabs(x - sunX) / (70.0f + depth * 0.8f));
    return c + amber * (0.9f * path * smoothStep(0.35f, 0.75f, glint) * std::exp(-depth / 70.0f));
}

void sprinkleStars(Canvas& c, std::uint64_t seed)
{
    Mask stars = makeMask(c.width, c.height, 0.0f);
    Rng rng = makeRng(seed);
    for (int i = 0; i < 650; ++i) {
        float x = static_cast<float>(nextRange(rng, 0, c.width));
        float y = static_cast<float>(horizonY * std::pow(nextUnit(rng), 1.6));
        float fade = 1.0f - y / horizonY;
        float size = static_cast<float>(0.45 + 0.9 * std::pow(nextUnit(rng), 6.0));
        float bright = static_cast<float>(nextRange(rng, 0.2, 1.0)) * fade;
        if (std::hypot(x - planetX, y - planetY) < planetR * 1.02f)
            continue;
        fillDisc(stars, x, y, size, bright);
    }
    addLight(c, stars, iceWhite, 0.9f);
}

}  // namespace

Canvas paintBg3()
{
    Canvas c = makeCanvas(sceneWidth, sceneHeight, inkBlack);
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x)
            pixelAt(c, x, y) = skyAt(x + 0.5f, y + 0.5f);
    sprinkleStars(c, 0xB63u);
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x) {
            float px = x + 0.5f, py = y + 0.5f;
            Rgb p = pixelAt(c, x, y);
            if (py < horizonY + 10.0f)
                p = landAt(px, py, planetAndRing(px, py, p));
            else
                p = waterAt(px, py);
            pixelAt(c, x, y) = p;
        }
    return c;
}
