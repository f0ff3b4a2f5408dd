// The shared random generator and the textures made in code.
#include <gtest/gtest.h>

#include "app/display.h"
#include "core/frame.h"
#include "platform/window.h"
#include "render/caps.h"
#include "texture/assets.h"
#include "render/vecmath.h"
#include "tests/support/gl_fixture.h"
#include "tests/test_jpeg_support.h"
#include "texture/procedural.h"

class ProceduralTest : public GlTest { };

TEST(Rand15, FirstValuesFromStartAndCountedDraws)
{
    rewindRandom();
    const int expected[5] = {41, 18467, 6334, 26500, 19169};
    for (int i = 0; i < 5; i++)
        EXPECT_EQ(rand15(), expected[i]) << "value " << i;
    EXPECT_EQ(rand15Draws, 5u);
}

TEST(Rand15, StaysInFifteenBitsAndIsNotTheCLibraryGenerator)
{
    rewindRandom();
    int lo = 1 << 20, hi = -1;
    for (int i = 0; i < 100000; i++) {
        int v = rand15();
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 32767);
    srand(1);
    rewindRandom();
    EXPECT_EQ(rand15(), 41);  // srand doesn't touch our state
}

TEST_F(ProceduralTest, FirstNoiseTextureStartsWithKnownGreyLevels)
{
    rewindRandom();
    int frames = loadingFrameCalls;
    Texture* t = makeNoiseTexture(256, 256, 0, 255, makeColor4(1.0f, 2.0f, 3.0f), DF_CLAMP | DF_NEAREST);
    EXPECT_EQ(rand15Draws, 65536u);
    EXPECT_EQ(loadingFrameCalls, frames + 1);
    EXPECT_EQ(t->width, 256);
    EXPECT_EQ(t->height, 256);
    EXPECT_EQ(t->flags, DF_CLAMP | DF_NEAREST);
    EXPECT_FLOAT_EQ(t->scale.x, 1.0f);
    EXPECT_FLOAT_EQ(t->scale.y, 2.0f);
    EXPECT_FLOAT_EQ(t->scale.z, 3.0f);

    std::vector<uint8_t> px = texels(t);
    const int grey[5] = {41, 107, 214, 235, 44};
    for (int i = 0; i < 5; i++) {
        EXPECT_EQ(px[i * 4 + 0], grey[i]) << "texel " << i;
        EXPECT_EQ(px[i * 4 + 1], grey[i]);
        EXPECT_EQ(px[i * 4 + 2], grey[i]);
        EXPECT_EQ(px[i * 4 + 3], 255);
    }
    int highest = 0;
    for (size_t i = 0; i < px.size(); i += 4) {
        ASSERT_TRUE(px[i] == px[i + 1] && px[i] == px[i + 2] && px[i + 3] == 255) << "texel " << i / 4;
        highest = std::max(highest, (int)px[i]);
    }
    EXPECT_EQ(highest, 254);  // mod 255: 255 never occurs
    expectFullMipChain(t);
}

// The texels follow the generator in memory order, one draw each, whatever
// the shape; the value lands in lo..hi-1.
TEST_F(ProceduralTest, NoiseTextureTakesOneDrawPerTexelInRowOrder)
{
    rewindRandom();
    for (int i = 0; i < 7; i++)
        rand15();
    uint32_t stateBefore = rand15State;
    uint64_t drawsBefore = rand15Draws;
    Texture* t = makeNoiseTexture(32, 8, 100, 110, makeColor4(1, 1, 1), 0);
    EXPECT_EQ(rand15Draws - drawsBefore, 256u);

    rand15State = stateBefore;
    std::vector<uint8_t> px = texels(t);
    for (int i = 0; i < 256; i++)
        ASSERT_EQ(px[i * 4], 100 + rand15() % 10) << "texel " << i;
    expectFullMipChain(t);
}

TEST_F(ProceduralTest, SolidTextureDrawsNothingAndFillsEveryTexel)
{
    uint64_t draws = rand15Draws;
    int frames = loadingFrameCalls;
    Texture* t = makeSolidTexture(64, 16, 10, 200, 30, 128, makeColor4(0.5f, 0.25f, 1.0f), DF_SPHEREMAP);
    EXPECT_EQ(rand15Draws, draws);
    EXPECT_EQ(loadingFrameCalls, frames + 1);
    EXPECT_EQ(t->width, 64);
    EXPECT_EQ(t->height, 16);
    EXPECT_EQ(t->flags, DF_SPHEREMAP);
    EXPECT_FLOAT_EQ(t->scale.x, 0.5f);
    EXPECT_FLOAT_EQ(t->scale.y, 0.25f);
    std::vector<uint8_t> px = texels(t);
    for (size_t i = 0; i < px.size(); i += 4)
        ASSERT_TRUE(px[i] == 10 && px[i + 1] == 200 && px[i + 2] == 30 && px[i + 3] == 128) << i / 4;
    expectFullMipChain(t);
}

TEST_F(ProceduralTest, ScreenTextureIsClampedTransparentBlackAtFrameRounding)
{
    uint64_t draws = rand15Draws;
    Texture* t = makeScreenTexture();
    EXPECT_EQ(rand15Draws, draws);
    EXPECT_EQ(t->width, 1024);
    EXPECT_EQ(t->height, 512);
    EXPECT_FLOAT_EQ(t->scale.x, 0.625f);
    EXPECT_FLOAT_EQ(t->scale.y, 0.9375f);
    EXPECT_FLOAT_EQ(t->scale.z, 1.0f);
    EXPECT_EQ(t->flags, DF_CLAMP);
    std::vector<uint8_t> px = texels(t);
    ASSERT_EQ(px.size(), 1024u * 512 * 4);
    for (size_t i = 0; i < px.size(); i++)
        ASSERT_EQ(px[i], 0) << "byte " << i;
    expectFullMipChain(t);
}

TEST_F(ProceduralTest, NoiseSetHalvesFromTheFrameSizeOverOneBufferOfDraws)
{
    rewindRandom();
    int frames = loadingFrameCalls;
    TextureSet* set = makeNoiseSet(6);
    EXPECT_EQ(rand15Draws, 2097152u);
    EXPECT_EQ(loadingFrameCalls, frames);
    ASSERT_EQ(set->count, 6);
    const int sizes[6][2] = {{1024, 512}, {512, 256}, {256, 128}, {128, 64}, {64, 32}, {32, 16}};

    rewindRandom();
    std::vector<uint8_t> expected(1024 * 512 * 4);
    for (auto& b : expected)
        b = (uint8_t)rand15();

    for (int i = 0; i < 6; i++) {
        const Texture& t = set->textures[i];
        EXPECT_EQ(t.width, sizes[i][0]) << "entry " << i;
        EXPECT_EQ(t.height, sizes[i][1]) << "entry " << i;
        EXPECT_EQ(t.flags, 0);
        EXPECT_FLOAT_EQ(t.scale.x, 0.625f);
        EXPECT_FLOAT_EQ(t.scale.y, 0.9375f);
        EXPECT_FLOAT_EQ(t.scale.z, 1.0f);
        // Each entry is the start of the same bytes, read at its own width.
        std::vector<uint8_t> px = texels(&t);
        ASSERT_EQ(px.size(), (size_t)t.width * t.height * 4);
        EXPECT_TRUE(std::equal(px.begin(), px.end(), expected.begin())) << "entry " << i;
        GLint level1 = -1;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &level1);
        EXPECT_EQ(level1, 0) << "only level 0 is uploaded";
    }
    for (int i = 1; i < 6; i++)
        EXPECT_NE(set->textures[i].name, set->textures[0].name);
}
