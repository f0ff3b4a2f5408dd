// The flicker overlay: brightness from band 2, two random draws per call,
// streak shape and the state it leaves for whatever draws next.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "music/spectrum.h"
#include "render/camera.h"
#include "platform/gl.h"
#include "render/state.h"
#include "fx/flicker.h"
#include "tests/support/gl_fixture.h"
#include "texture/assets.h"
#include "texture/procedural.h"

namespace {

const int W = 640, H = 480;

// A frame the overlay lands on: a horizontal ramp, so additions show.
void putRamp()
{
    applyRenderState(nullptr);
    glDisable(GL_DEPTH_TEST);
    glViewport(0, 0, W, H);
    std::vector<uint8_t> rgb((size_t)W * H * 3);
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++)
            for (int c = 0; c < 3; c++)
                rgb[((size_t)y * W + x) * 3 + c] = (uint8_t)(x * 200 / 639);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glWindowPos2i(0, 0);
    glDrawPixels(W, H, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
}

void putBlack()
{
    applyRenderState(&blackPreset);
}

class Flicker : public GlTest {
protected:
    Texture* saved = nullptr;
    static Texture* grey;
    static Texture* noise;
    void SetUp() override
    {
        GlTest::SetUp();
        if (HasFatalFailure())
            return;
        if (!grey) {
            grey = makeSolidTexture(256, 256, 128, 128, 128, 255, Color4{1, 1, 1, 0}, 0);
            noise = makeNoiseTexture(256, 256, 0, 255, Color4{1, 1, 1, 0}, 0);
        }
        saved = noisetex;
        noisetex = grey;
    }
    void TearDown() override
    {
        noisetex = saved;
        EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    }
};
Texture* Flicker::grey = nullptr;
Texture* Flicker::noise = nullptr;

TEST_F(Flicker, SilenceAddsNothingButStillDrawsTwoRandomValues)
{
    putRamp();
    auto before = readPixelsRgb(0, 0, W, H);
    bandEnergy[2] = 0.0f;
    uint64_t draws = rand15Draws;
    drawFlickerOverlay(7.3f);
    EXPECT_EQ(rand15Draws - draws, 2u);
    EXPECT_TRUE(readPixelsRgb(0, 0, W, H) == before);
}

TEST_F(Flicker, BrightnessIsTheSquareOfBandTwoTimesPointFifteen)
{
    // Colours clamp to 1: beyond band 2 = 1/0.15 the texture is added as it is.
    struct Case {
        float band;
        int want;
    } cases[] = {{1.0f / 0.15f, 128}, {0.5f / 0.15f, 32}, {0.25f / 0.15f, 8}, {20.0f, 128}};
    for (const Case& c : cases) {
        putBlack();
        bandEnergy[2] = c.band;
        drawFlickerOverlay(8.0f);
        auto got = readPixelsRgb(0, 0, W, H);
        EXPECT_NEAR(got[((size_t)240 * W + 320) * 3], c.want, 1) << "band 2 = " << c.band;
        EXPECT_NEAR(got[((size_t)61 * W + 5) * 3], c.want, 1) << "band 2 = " << c.band;
        // Drawn in the letterbox band only.
        EXPECT_EQ(got[((size_t)59 * W + 320) * 3], 0);
        EXPECT_EQ(got[((size_t)420 * W + 320) * 3], 0);
    }
}

TEST_F(Flicker, FullBrightnessAddsTheNoiseAsItIs)
{
    noisetex = noise;
    putRamp();
    auto before = readPixelsRgb(0, 0, W, H);
    bandEnergy[2] = 1.0f / 0.15f;
    drawFlickerOverlay(6.0f);
    auto after = readPixelsRgb(0, 0, W, H);
    // Somewhere the noise is bright enough to saturate on the ramp's bright end.
    int saturated = 0, changed = 0;
    for (int x = 0; x < W; x++) {
        size_t i = ((size_t)240 * W + x) * 3;
        saturated += after[i] == 255;
        changed += after[i] != before[i];
    }
    EXPECT_GT(saturated, 0);
    EXPECT_GT(changed, W / 2);
}

// Sixteen B texels across the width, 240 B up the band (B = 0.8 at t = 0):
// long flat streaks that are short vertically.
TEST_F(Flicker, NoiseShowsAsWideFlatStreaks)
{
    noisetex = noise;
    putBlack();
    bandEnergy[2] = 1.0f / 0.15f;
    drawFlickerOverlay(0.0f);
    auto row = readPixelsRgb(0, 240, W, 1);
    int across = 0;
    for (int x = 1; x < W; x++)
        across += row[x * 3] != row[(x - 1) * 3];
    EXPECT_GE(across, 10);
    EXPECT_LE(across, 14);
    auto column = readPixelsRgb(320, 60, 1, 360);
    int up = 0;
    for (int y = 1; y < 360; y++)
        up += column[y * 3] != column[(y - 1) * 3];
    EXPECT_GT(up, 120);
}

TEST_F(Flicker, TwoCallsInARowLandAtDifferentPlaces)
{
    noisetex = noise;
    bandEnergy[2] = 1.0f / 0.15f;
    putBlack();
    drawFlickerOverlay(23.0f);
    auto first = readPixelsRgb(0, 60, W, 360);
    putBlack();
    drawFlickerOverlay(23.0f);
    EXPECT_FALSE(readPixelsRgb(0, 60, W, 360) == first);
}

TEST_F(Flicker, LeavesAdditiveBlendAndTheNoiseBound)
{
    putBlack();
    glEnable(GL_FOG);
    bandEnergy[2] = 1.0f;
    drawFlickerOverlay(0.0f);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    GLint src = 0, dst = 0, bound = 0, mode = 0;
    glGetIntegerv(GL_BLEND_SRC, &src);
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(src, GL_ONE);
    EXPECT_EQ(dst, GL_ONE);
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_FOG));
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ((GLuint)bound, grey->name);
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    GLfloat m[16];
    glGetFloatv(GL_TEXTURE_MATRIX, m);
    // Zoom 0.8 at t = 0: 0.8 / 16 across, 0.8 x 0.9375 up.
    EXPECT_NEAR(m[0], 0.05f, 1e-6);
    EXPECT_NEAR(m[5], 0.75f, 1e-6);
}

}  // namespace
