// With a bigger window the show draws into an offscreen 640x480 frame: the
// effects must copy from that frame, not from the window's back buffer. The
// frame stays bound for the rest of the process, hence a test file of its own.
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "platform/scaled.h"
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

class ScaledFrameEffects : public GlTest {
protected:
    static Texture* screen;
    void SetUp() override
    {
        GlTest::SetUp();
        if (HasFatalFailure())
            return;
        if (!screen) {
            screen = makeScreenTexture();
            const int sizes[4] = {32, 16, 8, 4};
            for (int i = 0; i < 4; i++)
                mosaictex[i] = makeNoiseTexture(sizes[i], sizes[i], 0, 255, Color4{1, 1, 1, 0}, DF_CLAMP);
            char err[256] = "";
            ASSERT_TRUE(createScaledFrame(1280, 960, err, sizeof err)) << err;
        }
        ASSERT_TRUE(scaledFrameActive());
    }
    void TearDown() override { EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR); }
};
Texture* ScaledFrameEffects::screen = nullptr;

// Pixel (x, y) names its own position; drawn into whatever frame is bound.
void putCodedFrame()
{
    std::vector<uint8_t> rgb((size_t)W * H * 3);
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++) {
            uint8_t* p = &rgb[((size_t)y * W + x) * 3];
            p[0] = (uint8_t)(x & 255);
            p[1] = (uint8_t)(y & 255);
            p[2] = (uint8_t)(16 * (x >> 8) + 64 * (y >> 8) + 7);
        }
    applyRenderState(nullptr);
    glDisable(GL_DEPTH_TEST);
    glViewport(0, 0, W, H);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glWindowPos2i(0, 0);
    glDrawPixels(W, H, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    setOrtho(0);
}

uint32_t framePixel(int x, int y)
{
    uint8_t p[3];
    selectFrameReadBuffer();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, p);
    return ((uint32_t)p[0] << 16) | ((uint32_t)p[1] << 8) | p[2];
}

uint32_t code(int x, int y)
{
    return ((uint32_t)(x & 255) << 16) | ((uint32_t)(y & 255) << 8) | (uint32_t)(16 * (x >> 8) + 64 * (y >> 8) + 7);
}

TEST_F(ScaledFrameEffects, SmearCopiesTheOffscreenFrame)
{
    putCodedFrame();
    smearEffect(screen, 5, 0.0f, 0.0f, 0);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    EXPECT_EQ(framePixel(123, 321), code(123, 321));
    EXPECT_EQ(framePixel(600, 20), code(600, 20));
}

TEST_F(ScaledFrameEffects, MirrorCopiesTheOffscreenFrame)
{
    putCodedFrame();
    mirrorEffect(screen, 1.0f, 0);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    // Bottom-left quarter, halfway up: about row 240 of the copy, column 2x
    // (filtered between neighbours).
    uint32_t got = framePixel(100, 150);
    EXPECT_NEAR((int)(got >> 16), 200, 2) << std::hex << got;
    EXPECT_NEAR((int)((got >> 8) & 255), 240, 2) << std::hex << got;
}

TEST_F(ScaledFrameEffects, MosaicSamplesTheOffscreenFrameBothWays)
{
    int saved = mosaicSampling;
    for (int mode : {MOSAIC_COPIES, MOSAIC_READBACK}) {
        mosaicSampling = mode;
        putCodedFrame();
        mosaicGlow(0.5f, DF_ADD | DF_NEAREST);
        EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
        uint8_t texels[4 * 4 * 3];
        glBindTexture(GL_TEXTURE_2D, mosaictex[3]->name);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels);
        const uint8_t* t = &texels[(3 * 4 + 3) * 3];
        uint32_t got = ((uint32_t)t[0] << 16) | ((uint32_t)t[1] << 8) | t[2];
        EXPECT_EQ(got, code(559, 419)) << "mode " << mode;
    }
    mosaicSampling = saved;
}

}  // namespace
