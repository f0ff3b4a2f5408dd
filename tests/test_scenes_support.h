// Helpers shared by the overlay, mesh-drawing, fin and scene tests: small
// mip-mapped textures made from code, and simple picture statistics.
#pragma once
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <vector>

#include "app/display.h"
#include "core/frame.h"
#include "platform/window.h"
#include "render/caps.h"
#include "texture/assets.h"
#include "platform/gl.h"
#include "core/types.h"

struct Rgba {
    uint8_t r, g, b, a;
};

// A w x h texture whose texel (x, y) comes from fill, row 0 first, with its
// full mip chain (binding always asks for trilinear minification).
inline Texture* makeTestTexture(int w, int h, const std::function<Rgba(int, int)>& fill, int flags = 0)
{
    std::vector<uint8_t> pixels((size_t)w * h * 4);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            Rgba c = fill(x, y);
            uint8_t* p = &pixels[((size_t)y * w + x) * 4];
            p[0] = c.r;
            p[1] = c.g;
            p[2] = c.b;
            p[3] = c.a;
        }
    Texture* t = new Texture{};
    glGenTextures(1, &t->name);
    glBindTexture(GL_TEXTURE_2D, t->name);
    gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGBA8, w, h, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    t->scale = Color4{1.0f, 1.0f, 1.0f, 0.0f};
    t->width = w;
    t->height = h;
    t->flags = flags;
    return t;
}

inline Texture* makeFlatTexture(Rgba c, int flags = 0)
{
    return makeTestTexture(
        4, 4, [c](int, int) { return c; }, flags);
}

// The wrap mode binding reads; the capability check sets it in the program.
inline void ensureClampMode()
{
    if (clampmode == 0)
        clampmode = GL_CLAMP_TO_EDGE;
}

inline int red(uint32_t p)
{
    return (int)(p >> 16) & 0xFF;
}
inline int green(uint32_t p)
{
    return (int)(p >> 8) & 0xFF;
}
inline int blue(uint32_t p)
{
    return (int)p & 0xFF;
}

inline bool near(uint32_t a, uint32_t b, int tol)
{
    return std::abs(red(a) - red(b)) <= tol && std::abs(green(a) - green(b)) <= tol &&
        std::abs(blue(a) - blue(b)) <= tol;
}

// Pixels whose largest channel difference exceeds tol.
inline int countDifferent(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, int tol)
{
    int n = 0;
    for (size_t i = 0; i + 2 < a.size() && i + 2 < b.size(); i += 3) {
        int d = 0;
        for (int k = 0; k < 3; k++)
            d = std::max(d, std::abs((int)a[i + k] - (int)b[i + k]));
        if (d > tol)
            n++;
    }
    return n;
}

// Distinct RGB colours in a readback, up to a small cap.
inline int distinctColours(const std::vector<uint8_t>& rgb, int cap = 64)
{
    std::vector<uint32_t> seen;
    for (size_t i = 0; i + 2 < rgb.size(); i += 3) {
        uint32_t c = ((uint32_t)rgb[i] << 16) | ((uint32_t)rgb[i + 1] << 8) | rgb[i + 2];
        bool found = false;
        for (uint32_t s : seen)
            if (s == c) {
                found = true;
                break;
            }
        if (!found) {
            seen.push_back(c);
            if ((int)seen.size() >= cap)
                break;
        }
    }
    return (int)seen.size();
}

inline bool allBlack(const std::vector<uint8_t>& rgb)
{
    for (uint8_t v : rgb)
        if (v != 0)
            return false;
    return true;
}

// The program's start-up, headless, from the default data the test fixture
// made in the build folder: display, assets, the column hall's compile, one
// cleared frame, music flag set. Done once per process; false with a reason
// when the data is missing.
#include <string>
#include <sys/stat.h>

#include "core/errors.h"
#include "core/runstate.h"
#include "platform/dialogs.h"
#include "render/caps.h"
#include "render/state.h"
#include "scenes/scenes.h"
#include "mesh/meshes.h"
#include "texture/assets.h"

inline bool startShowHeadless(std::string& reason)
{
    static int state = 0;  // 0 not tried, 1 ready, 2 failed
    static std::string why;
    if (state == 0) {
        state = 2;
        dataDir = std::string(ZANT_BINARY_DIR) + "/data";
        const char* files[] = {"txtr1.jpg", "txtr2.jpg", "metal.jpg", "bg1.jpg", "bg2.jpg",
                               "bg3.jpg",   "bg4.jpg",   "bg5.jpg",   "bg6.jpg", "gridi.jpg"};
        for (const char* f : files) {
            struct stat st;
            if (stat(dataPath(f).c_str(), &st) != 0) {
                why = dataPath(f) + " is missing: ctest makes it (test make_test_data)";
                reason = why;
                return false;
            }
        }
        char err[256] = "";
        if (!initHeadlessDisplay(err, sizeof err)) {
            why = std::string("headless display: ") + err;
            reason = why;
            return false;
        }
        prepareAssets();
        drawColumnHallScene(0.0f, DF_BUILD);
        applyRenderState(&blackPreset);
        musicStarted = 1;
        state = 1;
    }
    reason = why;
    return state == 1;
}
