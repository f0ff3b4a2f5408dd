// Screen overlays: the letterbox crop, the blend table and the transformed
// quad, read back from a headless GL frame.
#include <gtest/gtest.h>

#include "fx/overlay.h"
#include "platform/gl.h"
#include "render/state.h"
#include "tests/support/gl_fixture.h"
#include "tests/test_scenes_support.h"

namespace {

using Overlay = SceneGlTest;

void clearFrame(float r, float g, float b)
{
    glClearColor(r, g, b, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

// Green = texel row: tells which picture rows reach which screen rows.
Texture* rowRamp()
{
    static Texture* t = makeTestTexture(4, 256, [](int, int y) { return Rgba{0, (uint8_t)y, 0, 0}; });
    return t;
}

// Red = texel column.
Texture* columnRamp()
{
    static Texture* t = makeTestTexture(256, 4, [](int x, int) { return Rgba{(uint8_t)x, 0, 0, 255}; });
    return t;
}

// Bright left half, black right half (alpha by the JPEG rule).
Texture* halves(Rgba left, Rgba right)
{
    return makeTestTexture(64, 64, [=](int x, int) { return x < 32 ? left : right; });
}

TEST_F(Overlay, PlainCoversBandWithMiddleRowsUpright)
{
    clearFrame(0, 0, 1);
    // Alpha 0 everywhere: the picture still replaces the frame, no blending.
    drawOverlay(rowRamp(), 1.0f, 0);
    EXPECT_NEAR(green(pixelAt(320, 419)), 32, 2) << "top of band shows picture row 1/8";
    EXPECT_NEAR(green(pixelAt(320, 240)), 128, 2);
    EXPECT_NEAR(green(pixelAt(320, 60)), 223, 2) << "bottom of band shows picture row 7/8";
    EXPECT_EQ(red(pixelAt(320, 240)), 0);
    EXPECT_EQ(pixelAt(320, 30), 0x0000FFu) << "bar below the band untouched";
    EXPECT_EQ(pixelAt(320, 450), 0x0000FFu) << "bar above the band untouched";
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

TEST_F(Overlay, IntensityScalesTheColour)
{
    clearFrame(0, 0, 0);
    drawOverlay(rowRamp(), 0.5f, 0);
    EXPECT_NEAR(green(pixelAt(320, 240)), 64, 2);
}

TEST_F(Overlay, FullscreenFlagCoversTheBars)
{
    clearFrame(0, 0, 1);
    drawOverlay(rowRamp(), 1.0f, DF_FULLSCREEN);
    EXPECT_NEAR(green(pixelAt(320, 479)), 32, 2);
    EXPECT_NEAR(green(pixelAt(320, 0)), 223, 2);
}

TEST_F(Overlay, DarkenBlacksOutWhereThePictureIsBright)
{
    Texture* grid = halves(Rgba{255, 255, 255, 255}, Rgba{0, 0, 0, 0});
    clearFrame(200 / 255.0f, 150 / 255.0f, 100 / 255.0f);
    drawOverlay(grid, 1.0f, DF_DARKEN);
    EXPECT_EQ(pixelAt(160, 240), 0x000000u);
    EXPECT_TRUE(near(pixelAt(480, 240), 0xC89664u, 1));
}

TEST_F(Overlay, AlphaMakesBlackPartsTransparent)
{
    Texture* pic = halves(Rgba{120, 60, 30, 255}, Rgba{0, 0, 0, 0});
    clearFrame(0, 0, 200 / 255.0f);
    drawOverlay(pic, 1.0f, DF_ALPHA);
    EXPECT_TRUE(near(pixelAt(160, 240), 0x783C1Eu, 1));
    EXPECT_TRUE(near(pixelAt(480, 240), 0x0000C8u, 1));
}

TEST_F(Overlay, FirstBlendBitWins)
{
    Texture* grey = makeFlatTexture(Rgba{50, 50, 50, 255});
    struct Case {
        int flags;
        int expected;
    } cases[] = {
        {DF_ADD | DF_DARKEN, 150},                 // add
        {DF_DARKEN | DF_MULTIPLY | DF_ALPHA, 80},  // 100 * (1 - 50/255)
        {DF_MULTIPLY | DF_ALPHA, 20},              // 100 * 50/255
        {DF_ALPHA, 50},                            // opaque texel replaces
    };
    for (const Case& c : cases) {
        clearFrame(100 / 255.0f, 100 / 255.0f, 100 / 255.0f);
        drawOverlay(grey, 1.0f, c.flags);
        EXPECT_NEAR(red(pixelAt(320, 240)), c.expected, 1) << "flags 0x" << std::hex << c.flags;
    }
}

TEST_F(Overlay, BlendFunctionOutlivesTheCallButEnableDoesNot)
{
    glDisable(GL_BLEND);
    drawOverlay(makeFlatTexture(Rgba{1, 1, 1, 255}), 1.0f, DF_ADD);
    GLint src = 0, dst = 0;
    glGetIntegerv(GL_BLEND_SRC, &src);
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(src, GL_ONE);
    EXPECT_EQ(dst, GL_ONE);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
}

TEST_F(Overlay, TexturedQuadZoomShowsTheMiddleHalf)
{
    clearFrame(0, 0, 0);
    drawTexturedQuad(columnRamp(), 0, 0, 2.0f, 1.0f, 1.0f, 0.0f, 1.0f, 0);
    EXPECT_NEAR(red(pixelAt(0, 240)), 64, 2);
    EXPECT_NEAR(red(pixelAt(320, 240)), 128, 2);
    EXPECT_NEAR(red(pixelAt(639, 240)), 191, 2);
}

TEST_F(Overlay, TexturedQuadIgnoresTheTexturesOwnScale)
{
    Texture* scaled = makeTestTexture(256, 4, [](int x, int) { return Rgba{(uint8_t)x, 0, 0, 255}; });
    scaled->scale = Color4{0.5f, 0.5f, 1.0f, 0.0f};
    clearFrame(0, 0, 0);
    drawTexturedQuad(scaled, 0, 0, 1.0f, 1.0f, 1.0f, 0.0f, 1.0f, 0);
    EXPECT_NEAR(red(pixelAt(160, 240)), 64, 2);
    clearFrame(0, 0, 0);
    drawOverlay(scaled, 1.0f, 0);
    EXPECT_NEAR(red(pixelAt(160, 240)), 32, 2) << "the plain overlay keeps it";
}

TEST_F(Overlay, TexturedQuadAngleTurnsAboutTheCentre)
{
    clearFrame(0, 0, 0);
    drawTexturedQuad(columnRamp(), 0, 0, 1.0f, 1.0f, 1.0f, 90.0f, 1.0f, 0);
    // Turned a quarter: the column ramp now runs down the band, bright on top.
    const int upper = 60 + 270, lower = 60 + 90;
    EXPECT_NEAR(red(pixelAt(100, upper)), 191, 3);
    EXPECT_NEAR(red(pixelAt(540, upper)), 191, 3);
    EXPECT_NEAR(red(pixelAt(100, lower)), 64, 3);
}

TEST_F(Overlay, TexturedQuadShiftMovesTheTexture)
{
    clearFrame(0, 0, 0);
    drawTexturedQuad(columnRamp(), 0.25f, 0, 1.0f, 1.0f, 1.0f, 0.0f, 1.0f, 0);
    EXPECT_NEAR(red(pixelAt(160, 240)), 128, 2);
}

}  // namespace
