// Frame feedback effects on a headless context: a known frame goes into the
// back buffer, the effect runs, and the resulting pixels and textures are read.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/display.h"
#include "core/frame.h"
#include "platform/window.h"
#include "render/caps.h"
#include "texture/assets.h"
#include "fx/effects.h"
#include "render/camera.h"
#include "platform/gl.h"
#include "render/state.h"
#include "tests/support/gl_fixture.h"
#include "texture/procedural.h"

namespace {

const int W = 640, H = 480;
Texture* screenCopy = nullptr;

struct Rgb {
    int r, g, b;
};

using FrameFn = std::function<Rgb(int x, int y)>;

// Puts a frame into the back buffer with nothing of the GL state in the way,
// then leaves the letterbox viewport a scene would leave.
void putFrame(const FrameFn& fn)
{
    std::vector<uint8_t> rgb((size_t)W * H * 3);
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++) {
            Rgb c = fn(x, y);
            uint8_t* p = &rgb[((size_t)y * W + x) * 3];
            p[0] = (uint8_t)c.r;
            p[1] = (uint8_t)c.g;
            p[2] = (uint8_t)c.b;
        }
    applyRenderState(nullptr);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glViewport(0, 0, W, H);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glWindowPos2i(0, 0);
    glDrawPixels(W, H, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    setOrtho(0);
}

Rgb at(const std::vector<uint8_t>& rgb, int x, int y)
{
    const uint8_t* p = &rgb[((size_t)y * W + x) * 3];
    return {p[0], p[1], p[2]};
}

bool near(Rgb a, Rgb b, int tol)
{
    return std::abs(a.r - b.r) <= tol && std::abs(a.g - b.g) <= tol && std::abs(a.b - b.b) <= tol;
}

std::string show(Rgb c)
{
    char buf[48];
    std::snprintf(buf, sizeof buf, "(%d,%d,%d)", c.r, c.g, c.b);
    return buf;
}

// A frame where every pixel differs from its neighbours in some channel.
Rgb patterned(int x, int y)
{
    return {x * 255 / 639, y * 255 / 479, ((x / 8 + y / 8) & 1) * 200};
}

// Counts window pixels differing from want by more than tol; reports the first.
int countMismatches(const std::vector<uint8_t>& got, const FrameFn& want, int tol, int y0 = 0, int y1 = H)
{
    int bad = 0;
    for (int y = y0; y < y1; y++)
        for (int x = 0; x < W; x++)
            if (!near(at(got, x, y), want(x, y), tol)) {
                if (bad == 0)
                    ADD_FAILURE() << "first mismatch at (" << x << "," << y << "): got " << show(at(got, x, y))
                                  << " want " << show(want(x, y));
                bad++;
            }
    return bad;
}

// Keeps a picture of the window for looking at (build/test-output).
void savePicture(const char* name)
{
    std::string dir = std::string(ZANT_BINARY_DIR) + "/test-output";
    std::filesystem::create_directories(dir);
    writePngRgb((dir + "/effects_" + name + ".png").c_str(), readPixelsRgb(0, 0, W, H), W, H);
}

class Effects : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        if (HasFatalFailure())
            return;
        if (!screenCopy) {
            screenCopy = makeScreenTexture();
            const int sizes[4] = {32, 16, 8, 4};
            for (int i = 0; i < 4; i++)
                mosaictex[i] = makeNoiseTexture(sizes[i], sizes[i], 0, 255, Color4{1, 1, 1, 0}, DF_CLAMP);
        }
    }
    void TearDown() override { EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR); }
};

// --- smear ---------------------------------------------------------------

TEST_F(Effects, SmearWithoutSpreadGivesTheCopiedFrameOverTheWholeWindow)
{
    putFrame(patterned);
    smearEffect(screenCopy, 5, 0.0f, 0.3f, 0);
    EXPECT_EQ(countMismatches(readPixelsRgb(0, 0, W, H), patterned, 2), 0);
}

// Brightness of a ten-layer average of a single 255 pixel.
const int tenth = 26;

TEST_F(Effects, SmearSpreadsALineIntoTenEvenCopiesAlongX)
{
    putFrame([](int x, int) { return x == 320 ? Rgb{255, 255, 255} : Rgb{0, 0, 0}; });
    // Spread 8 puts the copies 4 pixels apart, from 320 - 5*4 to 320 + 4*4.
    smearEffect(screenCopy, 5, 8.0f, 0.5f, 0);
    savePicture("smear_line");
    auto got = readPixelsRgb(0, 240, W, 1);
    for (int x = 280; x < 360; x++) {
        Rgb c = at(got, x, 0);
        bool copy = x >= 300 && x <= 336 && (x - 300) % 4 == 0;
        if (copy)
            EXPECT_NEAR(c.r, tenth, 3) << "copy at x=" << x;
        else
            EXPECT_LE(c.r, 2) << "between copies at x=" << x;
    }
}

TEST_F(Effects, SmearDirectionZeroSpreadsAlongY)
{
    putFrame([](int, int y) { return y == 240 ? Rgb{255, 255, 255} : Rgb{0, 0, 0}; });
    // Vertically the step is spread x 0.375 pixels: 3 pixels for spread 8.
    smearEffect(screenCopy, 5, 8.0f, 0.0f, 0);
    auto got = readPixelsRgb(0, 0, W, H);
    for (int y = 200; y < 280; y++) {
        Rgb c = at(got, 100, y);
        bool copy = y >= 225 && y <= 252 && (y - 225) % 3 == 0;
        if (copy)
            EXPECT_NEAR(c.g, tenth, 3) << "copy at y=" << y;
        else
            EXPECT_LE(c.g, 2) << "between copies at y=" << y;
    }
}

TEST_F(Effects, SmearWithAddCoversItWithTheSharpFrame)
{
    putFrame(patterned);
    smearEffect(screenCopy, 5, 30.0f, 0.25f, DF_ADD);
    EXPECT_EQ(countMismatches(readPixelsRgb(0, 0, W, H), patterned, 2), 0);
}

TEST_F(Effects, SmearWithNoCopiesLeavesBlack)
{
    putFrame(patterned);
    smearEffect(screenCopy, 0, 8.0f, 0.0f, 0);
    EXPECT_EQ(countMismatches(
                  readPixelsRgb(0, 0, W, H),
                  [](int, int) {
                      return Rgb{0, 0, 0};
                  },
                  0),
              0);
}

// --- mirror --------------------------------------------------------------

// Rows 160..320 grey g, everything else a red the mirror must not show.
FrameFn greyBand(int g)
{
    return [g](int, int y) { return y >= 160 && y <= 320 ? Rgb{g, g, g} : Rgb{200, 0, 0}; };
}

TEST_F(Effects, MirrorShowsTheMiddleBandTimesIntensityInEveryQuarter)
{
    for (float intensity : {1.0f, 0.5f}) {
        putFrame(greyBand(120));
        mirrorEffect(screenCopy, intensity, 0);
        int g = (int)(120 * intensity + 0.5);
        auto got = readPixelsRgb(0, 0, W, H);
        // The quarters fill the letterbox viewport; their outer rows touch row
        // 160 of the copy, where filtering may pull in a trace of row 159.
        EXPECT_EQ(countMismatches(
                      got,
                      [g](int, int) {
                          return Rgb{g, g, g};
                      },
                      1, 61, 419),
                  0)
            << "intensity " << intensity;
        // Without DF_ADD the whole window was cleared first.
        EXPECT_EQ(countMismatches(
                      got,
                      [](int, int) {
                          return Rgb{0, 0, 0};
                      },
                      0, 0, 60),
                  0);
        EXPECT_EQ(countMismatches(
                      got,
                      [](int, int) {
                          return Rgb{0, 0, 0};
                      },
                      0, 420, H),
                  0);
    }
}

TEST_F(Effects, MirrorIsSymmetricAboutBothCentreLines)
{
    putFrame([](int x, int y) {
        return Rgb{x * 255 / 639, y >= 160 && y <= 320 ? (y - 160) * 255 / 160 : 0, (x * 7 + y * 3) & 255};
    });
    mirrorEffect(screenCopy, 1.0f, 0);
    savePicture("mirror");
    auto got = readPixelsRgb(0, 0, W, H);
    int bad = 0;
    for (int y = 60; y < 420; y++)
        for (int x = 0; x < W; x++) {
            Rgb c = at(got, x, y);
            if (!near(c, at(got, W - 1 - x, y), 1) || !near(c, at(got, x, 479 - y), 1))
                bad++;
        }
    EXPECT_EQ(bad, 0);
    // Bottom-left quarter upright and squeezed: it shows row 160 at its bottom
    // and row 320 at its top, window column 2x at column x.
    EXPECT_LT(at(got, 100, 62).g, 10);
    EXPECT_GT(at(got, 100, 237).g, 245);
    EXPECT_NEAR(at(got, 100, 150).r, 200 * 255 / 639, 2);
    EXPECT_NEAR(at(got, 300, 150).r, 600 * 255 / 639, 2);
}

TEST_F(Effects, MirrorWithAddKeepsTheFrameUnderTheQuarters)
{
    putFrame([](int, int) { return Rgb{40, 40, 40}; });
    mirrorEffect(screenCopy, 0.25f, DF_ADD);
    auto got = readPixelsRgb(0, 0, W, H);
    EXPECT_EQ(countMismatches(
                  got,
                  [](int, int) {
                      return Rgb{50, 50, 50};
                  },
                  1, 60, 420),
              0);
    EXPECT_EQ(countMismatches(
                  got,
                  [](int, int) {
                      return Rgb{40, 40, 40};
                  },
                  0, 0, 60),
              0);
}

// --- mosaic --------------------------------------------------------------

// Each pixel names its own position.
Rgb coded(int x, int y)
{
    return {x & 255, y & 255, 16 * (x >> 8) + 64 * (y >> 8) + 7};
}

std::vector<uint8_t> readTexels(const Texture* t)
{
    std::vector<uint8_t> out((size_t)t->width * t->height * 3);
    glBindTexture(GL_TEXTURE_2D, t->name);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, out.data());
    return out;
}

Rgb texel(const std::vector<uint8_t>& texels, int width, int j, int k)
{
    const uint8_t* p = &texels[((size_t)k * width + j) * 3];
    return {p[0], p[1], p[2]};
}

// Both ways of filling the grids must give the same texels.
class MosaicSampling : public Effects, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override
    {
        Effects::SetUp();
        saved = mosaicSampling;
        mosaicSampling = GetParam();
    }
    void TearDown() override
    {
        mosaicSampling = saved;
        Effects::TearDown();
    }
    int saved = -1;
};

INSTANTIATE_TEST_SUITE_P(Effects, MosaicSampling, ::testing::Values(MOSAIC_COPIES, MOSAIC_READBACK),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(info.param == MOSAIC_COPIES ? "PixelCopies" : "ReadBack");
                         });

TEST_P(MosaicSampling, TexelsHoldTheGridCentresOfTheBand)
{
    putFrame(coded);
    mosaicGlow(0.5f, DF_ADD | DF_NEAREST);
    savePicture("mosaic");
    auto g32 = readTexels(mosaictex[0]);
    auto g4 = readTexels(mosaictex[3]);
    EXPECT_EQ(show(texel(g32, 32, 0, 0)), show(coded(9, 70)));
    EXPECT_EQ(show(texel(g4, 4, 3, 3)), show(coded(559, 419)));
    // Every texel: x = x0 + dx j, y = y0 + dy k on each grid.
    struct Grid {
        int size, x0, dx, y0, dy;
    } grids[4] = {{32, 9, 20, 70, 11}, {16, 19, 40, 81, 22}, {8, 39, 80, 104, 45}, {4, 79, 160, 149, 90}};
    for (int i = 0; i < 4; i++) {
        auto texels = readTexels(mosaictex[i]);
        int bad = 0;
        for (int j = 0; j < grids[i].size; j++)
            for (int k = 0; k < grids[i].size; k++)
                if (!near(texel(texels, grids[i].size, j, k),
                          coded(grids[i].x0 + grids[i].dx * j, grids[i].y0 + grids[i].dy * k), 0))
                    bad++;
        EXPECT_EQ(bad, 0) << "grid " << grids[i].size;
    }
}

TEST_P(MosaicSampling, LayersAddAnEighthMoreEachFromFineToCoarse)
{
    // The grids sample disjoint columns, so painting one grid's columns
    // lights that layer alone.
    const int columns[4][2] = {{9, 20}, {19, 40}, {39, 80}, {79, 160}};
    const int c = 200;
    for (int i = 0; i < 4; i++) {
        int x0 = columns[i][0], dx = columns[i][1];
        putFrame([=](int x, int) { return x >= x0 && (x - x0) % dx == 0 ? Rgb{c, c, c} : Rgb{0, 0, 0}; });
        mosaicGlow(0.5f, DF_ADD | DF_NEAREST);
        int want = (int)(c * 0.125 * (i + 1) + 0.5);
        EXPECT_NEAR(at(readPixelsRgb(0, 0, W, H), 330, 240).r, want, 1) << "layer " << i;
        EXPECT_EQ(pixelAt(330, 30), 0u) << "nothing added outside the band";
    }
}

TEST_F(Effects, MosaicReadsBackOnASoftwareRendererAndKeepsPixelStore)
{
    int saved = mosaicSampling;
    mosaicSampling = -1;
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    putFrame(patterned);
    mosaicGlow(0.25f, DF_ADD);
    std::string renderer = (const char*)glGetString(GL_RENDERER);
    if (renderer.find("llvmpipe") != std::string::npos) {
        EXPECT_EQ(mosaicSampling, MOSAIC_READBACK) << renderer;
    }
    EXPECT_NE(mosaicSampling, -1);
    GLint pack = 0, unpack = 0;
    glGetIntegerv(GL_PACK_ALIGNMENT, &pack);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpack);
    EXPECT_EQ(pack, 1);
    EXPECT_EQ(unpack, 1);
    mosaicSampling = saved;
}

// --- state left behind ---------------------------------------------------

struct LeftState {
    GLboolean blend;
    GLint src, dst;
    GLfloat clear[4];
    GLint viewport[4];
    GLboolean depthTest;
};

LeftState readState()
{
    LeftState s{};
    s.blend = glIsEnabled(GL_BLEND);
    glGetIntegerv(GL_BLEND_SRC, &s.src);
    glGetIntegerv(GL_BLEND_DST, &s.dst);
    glGetFloatv(GL_COLOR_CLEAR_VALUE, s.clear);
    glGetIntegerv(GL_VIEWPORT, s.viewport);
    s.depthTest = glIsEnabled(GL_DEPTH_TEST);
    return s;
}

void prepareState(bool blendOn)
{
    putFrame(patterned);
    glEnable(GL_DEPTH_TEST);
    blendOn ? glEnable(GL_BLEND) : glDisable(GL_BLEND);
    glBlendFunc(GL_DST_COLOR, GL_ZERO);
    glClearColor(0.1f, 0.2f, 0.3f, 0.4f);
}

TEST_F(Effects, EachEffectLeavesItsBlendFunctionAndRestoresTheRest)
{
    for (bool blendOn : {false, true}) {
        prepareState(blendOn);
        smearEffect(screenCopy, 5, 4.0f, 0.1f, 0);
        LeftState s = readState();
        EXPECT_EQ(s.blend, blendOn ? GL_TRUE : GL_FALSE);
        EXPECT_EQ(s.src, GL_SRC_ALPHA);
        EXPECT_EQ(s.dst, GL_ONE_MINUS_SRC_ALPHA);
        EXPECT_EQ(s.clear[0] + s.clear[1] + s.clear[2] + s.clear[3], 0.0f);
        EXPECT_EQ(s.viewport[1], 60) << "the full-window viewport is undone";
        EXPECT_EQ(s.viewport[3], 360);
        EXPECT_TRUE(s.depthTest);

        prepareState(blendOn);
        mirrorEffect(screenCopy, 0.5f, 0);
        s = readState();
        EXPECT_EQ(s.blend, blendOn ? GL_TRUE : GL_FALSE);
        EXPECT_EQ(s.src, GL_ONE);
        EXPECT_EQ(s.dst, GL_ONE);
        EXPECT_EQ(s.clear[0] + s.clear[1] + s.clear[2] + s.clear[3], 0.0f);
        EXPECT_TRUE(s.depthTest);
        // The 0..1 projection, y downwards, stays in force.
        GLfloat m[16];
        glGetFloatv(GL_PROJECTION_MATRIX, m);
        EXPECT_FLOAT_EQ(m[0], 2.0f);
        EXPECT_FLOAT_EQ(m[5], -2.0f);

        prepareState(blendOn);
        mirrorEffect(screenCopy, 0.5f, DF_ADD);
        s = readState();
        EXPECT_FLOAT_EQ(s.clear[2], 0.3f) << "an adding mirror clears nothing";

        prepareState(blendOn);
        mosaicGlow(0.5f, DF_ADD | DF_NEAREST);
        s = readState();
        EXPECT_EQ(s.blend, blendOn ? GL_TRUE : GL_FALSE);
        EXPECT_EQ(s.src, GL_ONE);
        EXPECT_EQ(s.dst, GL_ONE);
        EXPECT_FLOAT_EQ(s.clear[2], 0.3f);
        EXPECT_TRUE(s.depthTest);
        GLint mode = 0;
        glGetIntegerv(GL_MATRIX_MODE, &mode);
        EXPECT_EQ(mode, GL_MODELVIEW);
    }
}

}  // namespace
