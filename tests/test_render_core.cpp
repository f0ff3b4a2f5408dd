// Render baseline, projections, state save/restore and vector helpers,
// checked on a real headless GL context.
#include <gtest/gtest.h>
#include <cmath>

#include "core/errors.h"
#include "core/runstate.h"
#include "platform/dialogs.h"
#include "render/caps.h"
#include "app/display.h"
#include "core/frame.h"
#include "platform/window.h"
#include "render/caps.h"
#include "texture/assets.h"
#include "render/camera.h"
#include "platform/gl.h"
#include "render/state.h"
#include "render/vecmath.h"
#include "tests/support/gl_fixture.h"

namespace {

class RenderCore : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        musicStarted = 0;
        letterboxClears = 0;
    }
    void TearDown() override { musicStarted = 0; }
};

void fillRed()
{
    glViewport(0, 0, 640, 480);
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
}

std::array<GLint, 4> viewport()
{
    std::array<GLint, 4> v{};
    glGetIntegerv(GL_VIEWPORT, v.data());
    return v;
}

// 0 means "no texture size": sides below 2 or above 65536 never reach a texture.
TEST(Window, NextPowerOfTwoTable)
{
    const int cases[][2] = {{-5, 0},     {0, 0},       {1, 0},         {2, 2},     {3, 4},      {480, 512},
                            {640, 1024}, {1024, 1024}, {65536, 65536}, {65537, 0}, {1 << 30, 0}};
    for (auto& c : cases)
        EXPECT_EQ(nextPowerOfTwo(c[0]), c[1]) << "n = " << c[0];
}

TEST(Window, ClampModeFromVersionString)
{
    EXPECT_EQ(clampModeForVersion("1.1.0"), GL_CLAMP);
    EXPECT_EQ(clampModeForVersion("1.2"), GL_CLAMP_TO_EDGE);
    EXPECT_EQ(clampModeForVersion("1.5.0 NVIDIA 55.10"), GL_CLAMP_TO_EDGE);
    EXPECT_EQ(clampModeForVersion("2.0"), GL_CLAMP_TO_EDGE);
    EXPECT_EQ(clampModeForVersion("4.5 (Compatibility Profile) Mesa 22.3.6"), GL_CLAMP_TO_EDGE);
    EXPECT_EQ(clampModeForVersion("OpenGL 1.5"), GL_CLAMP);
    EXPECT_EQ(clampModeForVersion("3"), GL_CLAMP);
    EXPECT_EQ(clampModeForVersion(""), GL_CLAMP);
    EXPECT_EQ(clampModeForVersion(nullptr), GL_CLAMP);
}

TEST(Shell, GlErrorNames)
{
    EXPECT_STREQ(glErrorName(0x0500), "GL_INVALID_ENUM");
    EXPECT_STREQ(glErrorName(0x0501), "GL_INVALID_VALUE");
    EXPECT_STREQ(glErrorName(0x0502), "GL_INVALID_OPERATION");
    EXPECT_STREQ(glErrorName(0x0503), "GL_STACK_OVERFLOW");
    EXPECT_STREQ(glErrorName(0x0504), "GL_STACK_UNDERFLOW");
    EXPECT_STREQ(glErrorName(0x0505), "GL_OUT_OF_MEMORY");
    EXPECT_STREQ(glErrorName(0x0506), "UNKNOWN GL_ERROR");
}

TEST(VecMath, NormalsAndDot)
{
    Vec3 n;
    faceNormal({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, n);
    EXPECT_FLOAT_EQ(n.x, 0.0f);
    EXPECT_FLOAT_EQ(n.y, 0.0f);
    EXPECT_FLOAT_EQ(n.z, 1.0f);
    faceNormal({0, 0, 0}, {0, 1, 0}, {1, 0, 0}, n);
    EXPECT_FLOAT_EQ(n.z, -1.0f);
    Vec3 v{3, 0, 4};
    normalize(v);
    EXPECT_FLOAT_EQ(v.x, 0.6f);
    EXPECT_FLOAT_EQ(v.y, 0.0f);
    EXPECT_FLOAT_EQ(v.z, 0.8f);
    EXPECT_FLOAT_EQ(dot({1, 2, 3}, {4, -5, 6}), 12.0f);
    Color4 c = makeColor4(1, 2, 3);
    EXPECT_EQ(c.x, 1.0f);
    EXPECT_EQ(c.z, 3.0f);
}

TEST_F(RenderCore, BaselineStateAndCounters)
{
    glEnable(GL_BLEND);
    glEnable(GL_FOG);
    glEnable(GL_TEXTURE_2D);
    glDepthFunc(GL_ALWAYS);
    vertexcount = 7;
    polygoncount = 9;
    projshiftx = 0.5f;
    projshifty = 0.25f;
    applyRenderState(&blackPreset);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_ALPHA_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_FOG));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_DITHER));
    GLint v = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &v);
    EXPECT_EQ(v, GL_LEQUAL);
    glGetIntegerv(GL_ALPHA_TEST_FUNC, &v);
    EXPECT_EQ(v, GL_ALWAYS);
    glGetIntegerv(GL_CULL_FACE_MODE, &v);
    EXPECT_EQ(v, GL_BACK);
    GLfloat m[4];
    glGetMaterialfv(GL_FRONT, GL_AMBIENT, m);
    EXPECT_FLOAT_EQ(m[0], 0.0f);
    EXPECT_FLOAT_EQ(m[3], 1.0f);
    glGetMaterialfv(GL_BACK, GL_DIFFUSE, m);
    EXPECT_FLOAT_EQ(m[1], 0.8f);
    EXPECT_EQ(vertexcount, 0);
    EXPECT_EQ(polygoncount, 0);
    EXPECT_EQ(projshiftx, 0.0f);
    EXPECT_EQ(projshifty, 0.0f);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST_F(RenderCore, PresetClearsAndNullPresetDoesNot)
{
    fillRed();
    applyRenderState(nullptr);
    EXPECT_EQ(pixelAt(320, 240), 0xFF0000u);
    applyRenderState(&blackPreset);
    EXPECT_EQ(pixelAt(320, 240), 0x000000u);
}

TEST_F(RenderCore, LetterboxBarsClearedOnlyOnFirstEightCallsAfterMusicStarts)
{
    // Before the music starts nothing outside the band is touched.
    fillRed();
    applyRenderState(nullptr);
    EXPECT_EQ(pixelAt(5, 5), 0xFF0000u);
    EXPECT_EQ(letterboxClears, 0);

    musicStarted = 1;
    for (int call = 1; call <= 10; call++) {
        fillRed();
        applyRenderState(nullptr);
        uint32_t bar = pixelAt(5, 5);
        if (call <= 8)
            EXPECT_EQ(bar, 0x000000u) << "call " << call;
        else
            EXPECT_EQ(bar, 0xFF0000u) << "call " << call;
        EXPECT_EQ(letterboxClears, call);
    }
    EXPECT_EQ(viewport(), (std::array<GLint, 4>{0, 0, 640, 480}));  // left as fillRed set it
}

TEST_F(RenderCore, LetterboxClearLeavesBandViewport)
{
    musicStarted = 1;
    applyRenderState(nullptr);
    EXPECT_EQ(viewport(), (std::array<GLint, 4>{0, 60, 640, 360}));
}

void expectMatrixNear(GLenum which, const GLdouble* expected)
{
    GLdouble m[16];
    glGetDoublev(which, m);
    for (int i = 0; i < 16; i++)
        EXPECT_NEAR(m[i], expected[i], 1e-6) << "element " << i;
}

TEST_F(RenderCore, PerspectiveWithAndWithoutShift)
{
    applyRenderState(&blackPreset);
    setPerspective(100.0f, 0);
    EXPECT_EQ(viewport(), (std::array<GLint, 4>{0, 60, 640, 360}));
    double f = 1.0 / std::tan(100.0 * M_PI / 360.0);
    double n = 0.2, fa = 1000.0;
    GLdouble plain[16] = {f / 1.5999999999999999, 0, 0, 0, 0, f, 0, 0, 0, 0, (fa + n) / (n - fa), -1, 0, 0,
                          2 * fa * n / (n - fa),  0};
    expectMatrixNear(GL_PROJECTION_MATRIX, plain);

    projshiftx = 0.35f;
    projshifty = 0.1f;
    setPerspective(100.0f, DF_FULLSCREEN);
    EXPECT_EQ(viewport(), (std::array<GLint, 4>{0, 0, 640, 480}));
    // The shift multiplies from the left: column 2 (z) picks up -shift.
    GLdouble shifted[16];
    std::copy(plain, plain + 16, shifted);
    shifted[8] = -0.35f;
    shifted[9] = -0.1f;
    expectMatrixNear(GL_PROJECTION_MATRIX, shifted);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
}

TEST_F(RenderCore, CameraLooksAtTarget)
{
    applyRenderState(&blackPreset);
    Camera cam{{0, 0, 10}, 90.0f};
    setCamera(cam, {0, 0, 0}, 0);
    GLdouble mv[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, mv);
    EXPECT_NEAR(mv[14], -10.0, 1e-6);
    EXPECT_NEAR(mv[0], 1.0, 1e-6);
}

void drawQuadAt(float z)
{
    glColor3f(0, 1, 0);
    glBegin(GL_QUADS);
    glVertex3f(-0.5f, -0.5f, z);
    glVertex3f(0.5f, -0.5f, z);
    glVertex3f(0.5f, 0.5f, z);
    glVertex3f(-0.5f, 0.5f, z);
    glEnd();
}

TEST_F(RenderCore, OrthoClipsZeroAndDrawsInsideNearLimit)
{
    applyRenderState(&blackPreset);
    glDisable(GL_CULL_FACE);
    setOrtho(DF_FULLSCREEN);
    drawQuadAt(0.0f);
    EXPECT_EQ(pixelAt(320, 240), 0x000000u);
    drawQuadAt(1.0f);
    EXPECT_EQ(pixelAt(320, 240), 0x00FF00u);
    drawQuadAt(0.201f);
    EXPECT_EQ(pixelAt(320, 240), 0x00FF00u);
    EXPECT_EQ(pixelAt(5, 5), 0x000000u);
}

TEST_F(RenderCore, OrthoAndPerspectiveResetTextureMatrix)
{
    glMatrixMode(GL_TEXTURE);
    glScalef(2, 3, 4);
    glMatrixMode(GL_MODELVIEW);
    setOrtho(0);
    GLdouble m[16];
    glGetDoublev(GL_TEXTURE_MATRIX, m);
    EXPECT_EQ(m[0], 1.0);
    EXPECT_EQ(m[5], 1.0);
}

TEST_F(RenderCore, PushPopRestoresBlendEnableButNotBlendFunction)
{
    applyRenderState(&blackPreset);
    glBlendFunc(GL_ONE, GL_ZERO);
    pushState();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_FOG);
    popState();
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_FOG));
    GLint src = 0, dst = 0;
    glGetIntegerv(GL_BLEND_SRC, &src);
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(src, GL_SRC_ALPHA);
    EXPECT_EQ(dst, GL_ONE);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST_F(RenderCore, FogSettings)
{
    applyRenderState(&blackPreset);
    setFog(blackPreset.clearColor, 0.0f, 64.0f);
    EXPECT_TRUE(glIsEnabled(GL_FOG));
    GLint mode = 0;
    glGetIntegerv(GL_FOG_MODE, &mode);
    EXPECT_EQ(mode, GL_LINEAR);
    GLfloat end = 0;
    glGetFloatv(GL_FOG_END, &end);
    EXPECT_EQ(end, 64.0f);
    applyRenderState(&blackPreset);
    EXPECT_FALSE(glIsEnabled(GL_FOG));
}

TEST_F(RenderCore, CapabilityCheckPicksClampToEdgeOnMesa)
{
    clampmode = GL_CLAMP;
    checkGlCapabilities();
    EXPECT_EQ(clampmode, GL_CLAMP_TO_EDGE);
}

using RenderCoreDeathTest = RenderCore;

TEST_F(RenderCoreDeathTest, GlErrorEndsWithItsNameAndStatusOne)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    setenv("ZANT_NO_DIALOGS", "1", 1);
    EXPECT_EXIT(
        {
            std::string err;
            ensureHeadlessGl(err);
            glEnable(0x1234);  // not an enable: GL_INVALID_ENUM
            checkGlError();
        },
        ::testing::ExitedWithCode(1), "GL_INVALID_ENUM");
    EXPECT_EXIT(
        {
            std::string err;
            ensureHeadlessGl(err);
            glMatrixMode(GL_MODELVIEW);
            glPopMatrix();  // empty stack
            checkGlError();
        },
        ::testing::ExitedWithCode(1), "GL_STACK_UNDERFLOW");
}

}  // namespace
