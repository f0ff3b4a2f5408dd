// bindTexture: filter, wrap, sphere mapping, environment and texture matrix
// from the texture's own flags and the caller's mode.
#include <gtest/gtest.h>

#include "app/display.h"
#include "core/frame.h"
#include "platform/window.h"
#include "render/caps.h"
#include "texture/assets.h"
#include "platform/gl.h"
#include "render/texbind.h"
#include "render/vecmath.h"
#include "tests/support/gl_fixture.h"
#include "texture/procedural.h"

class BindTest : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        clampmode = GL_CLAMP_TO_EDGE;
    }
    Texture* make(int flags, Color4 scale = makeColor4(1, 1, 1))
    {
        return makeSolidTexture(8, 8, 255, 255, 255, 255, scale, flags);
    }
    static GLint param(GLenum name)
    {
        GLint v = -1;
        glGetTexParameteriv(GL_TEXTURE_2D, name, &v);
        return v;
    }
    static GLint integer(GLenum name)
    {
        GLint v = -1;
        glGetIntegerv(name, &v);
        return v;
    }
    static void expectSphereMap(bool on)
    {
        EXPECT_EQ(glIsEnabled(GL_TEXTURE_GEN_S), on ? GL_TRUE : GL_FALSE);
        EXPECT_EQ(glIsEnabled(GL_TEXTURE_GEN_T), on ? GL_TRUE : GL_FALSE);
        if (on) {
            GLint s = 0, t = 0;
            glGetTexGeniv(GL_S, GL_TEXTURE_GEN_MODE, &s);
            glGetTexGeniv(GL_T, GL_TEXTURE_GEN_MODE, &t);
            EXPECT_EQ(s, GL_SPHERE_MAP);
            EXPECT_EQ(t, GL_SPHERE_MAP);
        }
    }
    static void expectWrap(GLint wrap)
    {
        EXPECT_EQ(param(GL_TEXTURE_WRAP_S), wrap);
        EXPECT_EQ(param(GL_TEXTURE_WRAP_T), wrap);
    }
};

TEST_F(BindTest, PlainTextureLinearTrilinearRepeatNoGenerationScaledMatrix)
{
    Texture* t = make(0, makeColor4(0.625f, 0.9375f, 3.0f));
    glEnable(GL_TEXTURE_1D);
    glMatrixMode(GL_PROJECTION);
    bindTexture(t, 0);
    EXPECT_EQ(glIsEnabled(GL_TEXTURE_1D), GL_FALSE);
    EXPECT_EQ(glIsEnabled(GL_TEXTURE_2D), GL_TRUE);
    EXPECT_EQ(integer(GL_TEXTURE_BINDING_2D), (GLint)t->name);
    EXPECT_EQ(integer(GL_MATRIX_MODE), GL_MODELVIEW);
    EXPECT_EQ(param(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(param(GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
    expectWrap(GL_REPEAT);
    expectSphereMap(false);
    GLint env = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &env);
    EXPECT_EQ(env, GL_MODULATE);
    float m[16];
    glGetFloatv(GL_TEXTURE_MATRIX, m);
    const float want[16] = {0.625f, 0, 0, 0, 0, 0.9375f, 0, 0, 0, 0, 3.0f, 0, 0, 0, 0, 1};
    for (int i = 0; i < 16; i++)
        EXPECT_FLOAT_EQ(m[i], want[i]) << "element " << i;
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

// The matrix is reloaded, not multiplied onto what was there.
TEST_F(BindTest, TextureMatrixIsReplacedAtEveryBind)
{
    Texture* a = make(0, makeColor4(4, 4, 4));
    Texture* b = make(0, makeColor4(0.5f, 0.25f, 1));
    bindTexture(a, 0);
    bindTexture(b, 0);
    float m[16];
    glGetFloatv(GL_TEXTURE_MATRIX, m);
    EXPECT_FLOAT_EQ(m[0], 0.5f);
    EXPECT_FLOAT_EQ(m[5], 0.25f);
    EXPECT_FLOAT_EQ(m[10], 1.0f);
}

TEST_F(BindTest, NearestOnlyChangesMagnification)
{
    Texture* t = make(0);
    bindTexture(t, DF_NEAREST);
    EXPECT_EQ(param(GL_TEXTURE_MAG_FILTER), GL_NEAREST);
    EXPECT_EQ(param(GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
    Texture* own = make(DF_NEAREST);
    bindTexture(own, 0);
    EXPECT_EQ(param(GL_TEXTURE_MAG_FILTER), GL_NEAREST);
    EXPECT_EQ(param(GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
    bindTexture(t, 0);
    EXPECT_EQ(param(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
}

TEST_F(BindTest, SphereMapFromTextureFlagsOrFromMode)
{
    bindTexture(make(DF_SPHEREMAP), 0);
    expectSphereMap(true);
    bindTexture(make(0), 0);
    expectSphereMap(false);  // a plain texture switches a leftover off
    bindTexture(make(0), DF_SPHEREMAP);
    expectSphereMap(true);
    bindTexture(make(DF_SPHEREMAP), DF_SPHEREMAP);
    expectSphereMap(true);
}

TEST_F(BindTest, ClampFromModeLastsOneBind)
{
    Texture* t = make(0);
    bindTexture(t, DF_CLAMP);
    expectWrap(GL_CLAMP_TO_EDGE);
    bindTexture(t, 0);
    expectWrap(GL_REPEAT);
}

// clampmode is whatever the capability check decided, read at each bind.
TEST_F(BindTest, ClampedTextureUsesTheCurrentClampMode)
{
    Texture* t = make(DF_CLAMP);
    clampmode = GL_CLAMP;
    bindTexture(t, 0);
    expectWrap(GL_CLAMP);
    clampmode = GL_CLAMP_TO_EDGE;
    bindTexture(t, 0);
    expectWrap(GL_CLAMP_TO_EDGE);
    bindTexture(t, DF_CLAMP);
    expectWrap(GL_CLAMP_TO_EDGE);
}

TEST_F(BindTest, OtherDrawFlagBitsAreIgnored)
{
    Texture* t = make(DF_ADD | DF_FULLSCREEN | DF_FLAT);
    bindTexture(t, DF_ALPHA | DF_MULTIPLY | DF_DRAW);
    EXPECT_EQ(param(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    expectWrap(GL_REPEAT);
    expectSphereMap(false);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

// What the state means on screen: with the matrix scale (2, 2) a quad with
// coordinates 0..1 shows a two-colour texture repeated twice across.
TEST_F(BindTest, ScaleRepeatsTheTextureOnScreen)
{
    uint8_t px[2 * 2 * 4] = {255, 0, 0, 255, 0, 0, 255, 255, 255, 0, 0, 255, 0, 0, 255, 255};
    Texture stripes = {};
    glGenTextures(1, &stripes.name);
    glBindTexture(GL_TEXTURE_2D, stripes.name);
    gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGBA8, 2, 2, GL_RGBA, GL_UNSIGNED_BYTE, px);
    stripes.scale = makeColor4(2, 2, 1);
    stripes.width = stripes.height = 2;
    stripes.flags = DF_NEAREST;
    Texture* t = &stripes;

    glViewport(0, 0, 640, 480);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 1, 0, 1, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_LIGHTING);
    bindTexture(t, 0);
    glColor4f(1, 1, 1, 1);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(0, 0);
    glTexCoord2f(1, 0);
    glVertex2f(1, 0);
    glTexCoord2f(1, 1);
    glVertex2f(1, 1);
    glTexCoord2f(0, 1);
    glVertex2f(0, 1);
    glEnd();
    glDisable(GL_TEXTURE_2D);
    // Four stripes across: red, blue, red, blue.
    EXPECT_EQ(pixelAt(80, 240), 0xFF0000u);
    EXPECT_EQ(pixelAt(240, 240), 0x0000FFu);
    EXPECT_EQ(pixelAt(400, 240), 0xFF0000u);
    EXPECT_EQ(pixelAt(560, 240), 0x0000FFu);
}
