// The OpenGL ES layer against the desktop GL it stands in for: the same
// calls made on both paths in one process (a desktop and an OpenGL ES
// pbuffer context on one display) must leave the same state and pictures.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "devtools/screenshot.h"
#include "devtools/text.h"
#include "fx/effects.h"
#include "gl/dispatch.h"
#include "gl/mipmap.h"
#include "platform/gl.h"
#include "platform/glproc.h"
#include "platform/window.h"
#include "tests/support/gl_fixture.h"
#include "texture/assets.h"
#include "texture/procedural.h"

namespace {

// Makes the desktop or the OpenGL ES context current with its path behind
// the dispatch table, and a known starting state on it.
void usePath(bool gles)
{
    setContextReadyHook(selectGlPath);
    glesRequested = gles;
    char err[256] = "";
    ASSERT_TRUE(createHeadlessContext(err, sizeof err)) << err;
    ASSERT_EQ(glPath(), gles ? GlPath::Es : GlPath::Desktop);
    glesRequested = false;
    while (glGetError() != GL_NO_ERROR) { }
    glViewport(0, 0, 640, 480);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    glDisable(GL_FOG);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    for (GLenum mode : {GL_TEXTURE, GL_PROJECTION, GL_MODELVIEW}) {
        glMatrixMode(mode);
        glLoadIdentity();
    }
    glColor4f(1, 1, 1, 1);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

struct Picture {
    std::vector<uint8_t> rgb;
    GLenum error;
};

// Runs draw on one path and reads the frame back.
Picture drawOn(bool gles, const std::function<void()>& draw)
{
    usePath(gles);
    draw();
    Picture p;
    p.rgb = readPixelsRgb(0, 0, 640, 480);
    p.error = glGetError();
    return p;
}

struct Difference {
    double within2;  // share of pixels within 2 on every channel
    int worst;
    long drawn;  // pixels the desktop picture has not black
};

Difference compare(const Picture& a, const Picture& b)
{
    Difference d{0, 0, 0};
    long n = (long)a.rgb.size() / 3, close = 0;
    for (long i = 0; i < n; i++) {
        int m = 0;
        for (int k = 0; k < 3; k++)
            m = std::max(m, std::abs((int)a.rgb[i * 3 + k] - (int)b.rgb[i * 3 + k]));
        close += m <= 2;
        d.worst = std::max(d.worst, m);
        d.drawn += a.rgb[i * 3] || a.rgb[i * 3 + 1] || a.rgb[i * 3 + 2];
    }
    d.within2 = (double)close / n;
    return d;
}

// Both paths draw it; both pictures must have something in them and agree.
void expectSamePicture(const std::function<void()>& draw, long minDrawn = 1000)
{
    Picture desktop = drawOn(false, draw);
    Picture es = drawOn(true, draw);
    EXPECT_EQ(desktop.error, (GLenum)GL_NO_ERROR);
    EXPECT_EQ(es.error, (GLenum)GL_NO_ERROR);
    Difference d = compare(desktop, es);
    EXPECT_GE(d.drawn, minDrawn) << "the test draws too little to compare";
    EXPECT_GE(d.within2, 0.999);
    EXPECT_LE(d.worst, 16);
    if (d.within2 < 0.999 || d.worst > 16) {
        // Both pictures, to look at.
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        writePngRgb((name + "_desktop.png").c_str(), desktop.rgb, 640, 480);
        writePngRgb((name + "_es.png").c_str(), es.rgb, 640, 480);
    }
}

std::vector<float> matrixOn(bool gles, GLenum which, const std::function<void()>& build)
{
    usePath(gles);
    build();
    std::vector<float> m(16);
    glGetFloatv(which, m.data());
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    return m;
}

void expectSameMatrix(GLenum which, const std::function<void()>& build)
{
    std::vector<float> desktop = matrixOn(false, which, build);
    std::vector<float> es = matrixOn(true, which, build);
    for (int i = 0; i < 16; i++)
        EXPECT_EQ(desktop[i], es[i]) << "element " << i;
}

GLuint checkerTexture(int size)
{
    std::vector<uint8_t> texels((size_t)size * size * 4);
    for (int y = 0; y < size; y++) {
        for (int x = 0; x < size; x++) {
            uint8_t* t = &texels[((size_t)y * size + x) * 4];
            bool on = ((x / 4) + (y / 4)) & 1;
            t[0] = on ? 250 : 20;
            t[1] = (uint8_t)(x * 255 / size);
            t[2] = (uint8_t)(y * 255 / size);
            t[3] = 255;
        }
    }
    GLuint name;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGBA8, size, size, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    return name;
}

}  // namespace

class GlLayer : public GlTest {};

TEST_F(GlLayer, MipmapLevelsEqualGlus)
{
    // Odd values on purpose: GLU rounds 2x2 averages and truncates pairs.
    const int w = 16, h = 4;
    std::vector<uint8_t> image(w * h * 4);
    srand(7);
    for (uint8_t& v : image)
        v = (uint8_t)(rand() & 255);
    usePath(false);
    GLuint name;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    ASSERT_EQ(gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGBA8, w, h, GL_RGBA, GL_UNSIGNED_BYTE, image.data()), 0);
    std::vector<uint8_t> level = image;
    int lw = w, lh = h;
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    for (int n = 1; n <= 4; n++) {
        level = halveImage(level.data(), lw, lh, 4);
        lw = std::max(1, lw / 2);
        lh = std::max(1, lh / 2);
        std::vector<uint8_t> glu((size_t)lw * lh * 4);
        glGetTexImage(GL_TEXTURE_2D, n, GL_RGBA, GL_UNSIGNED_BYTE, glu.data());
        EXPECT_EQ(level, glu) << "level " << n << " (" << lw << "x" << lh << ")";
    }
    glDeleteTextures(1, &name);
}

TEST_F(GlLayer, PerspectiveAndLookAtMultiplyTheCurrentMatrix)
{
    expectSameMatrix(GL_PROJECTION_MATRIX, [] {
        glMatrixMode(GL_PROJECTION);
        glTranslatef(0.25f, -0.125f, 0.0f);
        gluPerspective(45.0, 640.0 / 480.0, 0.1, 1000.0);
    });
    expectSameMatrix(GL_MODELVIEW_MATRIX, [] {
        glMatrixMode(GL_MODELVIEW);
        glScalef(1.0f, 2.0f, 0.5f);
        gluLookAt(1.0, 2.0, 3.0, 0.0, 0.5, -1.0, 0.0, 1.0, 0.0);
        glRotatef(33.0f, 0.3f, 0.4f, 0.5f);
        glRotatef(-90.0f, 0.0f, 0.0f, 1.0f);
    });
    expectSameMatrix(GL_PROJECTION_MATRIX, [] {
        glMatrixMode(GL_PROJECTION);
        glOrtho(-1.0, 1.0, -1.0, 1.0, -0.2, -1000.0);
        gluOrtho2D(0.0, 1.0, 1.0, 0.0);
    });
}

// Matrices a rounding apart move an edge by a pixel wherever it passes
// through a pixel centre (and the smear spreads that pixel over five): the
// layer's cameras and model turns must be the desktop's bit for bit.
TEST_F(GlLayer, CameraMatricesAreBitForBitTheDesktops)
{
    for (int k = 0; k < 200; k++) {
        double a = k * 0.173, r = 33.0 + (k % 7) * 0.71;
        double ex = r * std::sin(a), ez = r * std::cos(a), ey = (k % 5) * 1.37 - 2.0;
        float angle = (float)(k * 7.31 - 400.0), ax = (float)std::sin(k * 1.1), ay = (float)std::cos(k * 0.7);
        expectSameMatrix(GL_MODELVIEW_MATRIX, [=] {
            glMatrixMode(GL_MODELVIEW);
            gluLookAt(ex, ey, ez, 0.1 * k, 0.0, -0.05 * k, 0.0, 1.0, 0.0);
            glScalef(0.4f, 0.4f, 0.4f);
            glTranslatef((float)(k * 0.31 - 20.0), (float)(k * 0.17), (float)(-k * 0.23));
            glRotatef(angle, 1.0f, 0.0f, 1.0f);
            glRotatef(angle * 0.5f, ax, ay, 0.3f);
        });
        expectSameMatrix(GL_PROJECTION_MATRIX, [=] {
            glMatrixMode(GL_PROJECTION);
            glTranslatef(0.35f, 0.1f, 0.0f);
            gluPerspective(60.0 + k * 0.3, 640.0 / 480.0, 0.1 + k * 0.01, 1000.0);
        });
        if (HasFailure())
            return;
    }
}

// Glyph edges fall on exact pixel centres far more often than random edges
// do (their corners sit on a grid of font units), so the overlay's text is
// where a vertex placed a rounding apart shows first: forty lines of it,
// pixel for pixel.
TEST_F(GlLayer, OverlayTextCoversTheSamePixels)
{
    auto draw = [] {
        createOutlineFont();
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE_MINUS_DST_COLOR, GL_ZERO);
        glMatrixMode(GL_PROJECTION);
        gluOrtho2D(0.0, 1.0, 0.0, 1.0);
        glMatrixMode(GL_MODELVIEW);
        for (int k = 0; k < 40; k++) {
            glLoadIdentity();
            glTranslatef(0.3f + 0.0011f * (float)k, 0.02f * (float)k, 1.0f);
            glScalef(0.025f, 0.025f, 0.025f);
            drawText("slab tunnel 14:09  77.87 s frame 4672 vers");
        }
    };
    Picture desktop = drawOn(false, draw);
    Picture es = drawOn(true, draw);
    long lit = 0, differ = 0;
    for (size_t i = 0; i < desktop.rgb.size(); i++) {
        lit += desktop.rgb[i] != 0;
        differ += desktop.rgb[i] != es.rgb[i];
    }
    EXPECT_GT(lit, 40 * 1000) << "the text did not draw";
    EXPECT_EQ(differ, 0);
}

TEST_F(GlLayer, AttributePushPopLeavesTheMatrixModeOutOfTheShowsMask)
{
    for (bool gles : {false, true}) {
        usePath(gles);
        glMatrixMode(GL_MODELVIEW);
        glBlendFunc(GL_ONE, GL_ONE);
        glPushAttrib(0x6AFFB);
        glMatrixMode(GL_TEXTURE);
        glEnable(GL_FOG);
        glDepthMask(GL_FALSE);
        glBlendFunc(GL_ZERO, GL_SRC_COLOR);
        glPopAttrib();
        GLint mode = 0, src = 0, mask = 1;
        glGetIntegerv(GL_MATRIX_MODE, &mode);
        glGetIntegerv(GL_BLEND_SRC, &src);
        glGetIntegerv(GL_DEPTH_WRITEMASK, &mask);
        EXPECT_EQ(mode, GL_TEXTURE) << (gles ? "es" : "desktop");
        EXPECT_EQ(src, GL_ZERO) << "the colour-buffer bit is not in the mask";
        EXPECT_EQ(mask, GL_TRUE);
        EXPECT_FALSE(glIsEnabled(GL_FOG));
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        glMatrixMode(GL_MODELVIEW);
        glBlendFunc(GL_ONE, GL_ONE);
        glPopAttrib();
        glGetIntegerv(GL_MATRIX_MODE, &mode);
        glGetIntegerv(GL_BLEND_SRC, &src);
        EXPECT_EQ(mode, GL_TEXTURE);
        EXPECT_EQ(src, GL_ZERO);
        glMatrixMode(GL_MODELVIEW);
        EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    }
}

TEST_F(GlLayer, StackErrorsReachGlGetErrorOnce)
{
    for (bool gles : {false, true}) {
        usePath(gles);
        glMatrixMode(GL_MODELVIEW);
        glPopMatrix();
        EXPECT_EQ(glGetError(), (GLenum)GL_STACK_UNDERFLOW) << (gles ? "es" : "desktop");
        EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
        glPopAttrib();
        EXPECT_EQ(glGetError(), (GLenum)GL_STACK_UNDERFLOW);
        glHint(GL_FOG_HINT, GL_NICEST);
        glPixelTransferf(GL_DEPTH_SCALE, 1.0f);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR) << "kept state raises no error";
    }
}

// A quad, a strip, a fan, a polygon and a quad strip with colours and
// texture coordinates per vertex.
static void drawPrimitives()
{
    glMatrixMode(GL_PROJECTION);
    glOrtho(0, 8, 0, 6, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glBegin(GL_QUADS);
    glColor3f(1, 0, 0);
    glVertex2f(0.2f, 0.2f);
    glColor3f(0, 1, 0);
    glVertex2f(2.7f, 0.4f);
    glColor3f(0, 0, 1);
    glVertex2f(2.5f, 2.6f);
    glColor3f(1, 1, 1);
    glVertex2f(0.1f, 2.2f);
    glEnd();
    glColor4f(0.5f, 0.8f, 0.2f, 1.0f);  // persists outside begin/end
    glBegin(GL_TRIANGLE_STRIP);
    for (int i = 0; i < 6; i++)
        glVertex3f(3.0f + i * 0.8f, 0.3f + (i & 1) * 1.9f, 0.0f);
    glEnd();
    glBegin(GL_TRIANGLE_FAN);
    glVertex2f(1.5f, 4.5f);
    for (int i = 0; i <= 6; i++)
        glVertex2f(1.5f + 1.2f * std::cos(i * 0.8f), 4.5f + 1.2f * std::sin(i * 0.8f));
    glEnd();
    glBegin(GL_POLYGON);
    glColor3f(0.9f, 0.3f, 0.1f);
    glVertex2f(3.5f, 3.0f);
    glVertex2f(5.0f, 3.2f);
    glColor3f(0.1f, 0.3f, 0.9f);
    glVertex2f(5.2f, 5.0f);
    glVertex2f(4.2f, 5.8f);
    glVertex2f(3.3f, 4.6f);
    glEnd();
    glBegin(GL_QUAD_STRIP);
    for (int i = 0; i < 5; i++) {
        glColor3f(i * 0.2f, 1.0f - i * 0.2f, 0.5f);
        glVertex2f(5.8f + i * 0.5f, 3.0f);
        glVertex2f(5.8f + i * 0.5f, 5.5f - i * 0.3f);
    }
    glEnd();
}

TEST_F(GlLayer, ImmediateModePrimitivesMatch)
{
    expectSamePicture(drawPrimitives, 100000);
}

TEST_F(GlLayer, PrimitivesInAListMatch)
{
    expectSamePicture(
        [] {
            GLuint list = glGenLists(1);
            glNewList(list, GL_COMPILE);
            drawPrimitives();
            glEndList();
            glColor4f(0.3f, 0.3f, 0.3f, 1.0f);  // the list sets its own
            glCallList(list);
            glDeleteLists(list, 1);
        },
        100000);
}

// One list calls another: the inner one binds and sets up a texture and the
// texture matrix, the outer one saves and restores around it, and 256 glyph
// lists play through glListBase and glCallLists.
TEST_F(GlLayer, NestedListsRestoreState)
{
    for (bool gles : {false, true}) {
        usePath(gles);
        GLuint texture = checkerTexture(32);
        glBindTexture(GL_TEXTURE_2D, 0);
        GLuint lists = glGenLists(2);
        glNewList(lists + 1, GL_COMPILE);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        glMatrixMode(GL_TEXTURE);
        glScalef(2.0f, 2.0f, 1.0f);
        glMatrixMode(GL_MODELVIEW);
        glEnable(GL_FOG);
        glEndList();
        glNewList(lists, GL_COMPILE);
        glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT | GL_FOG_BIT);
        glCallList(lists + 1);
        glPopAttrib();
        glEndList();
        GLint bound = -1;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        EXPECT_EQ(bound, 0) << "compiling runs nothing";
        glCallList(lists);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        EXPECT_EQ(bound, 0) << (gles ? "es" : "desktop");
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
        EXPECT_FALSE(glIsEnabled(GL_FOG));
        GLfloat tm[16];
        glGetFloatv(GL_TEXTURE_MATRIX, tm);
        EXPECT_EQ(tm[0], 2.0f) << "matrices are not attributes";
        EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
        glDeleteLists(lists, 2);
        glDeleteTextures(1, &texture);
    }
}

static void drawTexturedListScene()
{
    static GLuint texture = 0;
    texture = checkerTexture(64);
    GLuint base = glGenLists(256);
    for (int c = 0; c < 256; c++) {
        glNewList(base + c, GL_COMPILE);
        if (c >= 'a' && c <= 'z') {
            glBegin(GL_QUADS);
            glTexCoord2f(0, 0);
            glVertex2f(0.1f, 0.1f);
            glTexCoord2f(1, 0);
            glVertex2f(0.8f, 0.1f);
            glTexCoord2f(1, 1);
            glVertex2f(0.8f, 0.2f + (c - 'a') * 0.03f);
            glTexCoord2f(0, 1);
            glVertex2f(0.1f, 0.9f);
            glEnd();
        }
        glTranslatef(1.0f, 0.0f, 0.0f);
        glEndList();
    }
    glMatrixMode(GL_PROJECTION);
    glOrtho(0, 10, 0, 3, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glColor4f(0.9f, 0.7f, 1.0f, 1.0f);  // the lists set no colour: it comes from here
    glPushAttrib(GL_LIST_BIT);
    glListBase(base);
    const char text[] = "zant layer";
    glCallLists((GLsizei)std::strlen(text), GL_UNSIGNED_BYTE, text);
    glPopAttrib();
    glDisable(GL_TEXTURE_2D);
    glDeleteLists(base, 256);
    glDeleteTextures(1, &texture);
}

TEST_F(GlLayer, GlyphListsThroughListBaseMatch)
{
    expectSamePicture(drawTexturedListScene, 20000);
}

// A triangle whose indices lie above 65535.
static void drawHighIndices()
{
    static std::vector<float> positions(70000 * 3, 0.0f);
    static const GLuint indices[3] = {65536, 69999, 66000};
    const float corners[3][3] = {{-0.9f, -0.8f, 0.0f}, {0.8f, -0.6f, 0.0f}, {0.1f, 0.9f, 0.0f}};
    for (int k = 0; k < 3; k++)
        std::memcpy(&positions[(size_t)indices[k] * 3], corners[k], sizeof corners[k]);
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, positions.data());
    glColor4f(0.2f, 0.9f, 0.4f, 1.0f);
    glDrawElements(GL_TRIANGLES, 3, GL_UNSIGNED_INT, indices);
    glPopClientAttrib();
}

TEST_F(GlLayer, ThirtyTwoBitIndicesDraw)
{
    expectSamePicture(drawHighIndices, 50000);
}

// A sphere of radius 1 seen from z = 3, sphere-mapped, fogged from 2 to 4,
// drawn from arrays with 3-component texture coordinates and a texture matrix.
static void drawSphereMapped()
{
    static GLuint texture = 0;
    texture = checkerTexture(64);
    std::vector<float> pos, nrm, tex;
    std::vector<GLuint> idx;
    const int rings = 24, segments = 32;
    for (int r = 0; r <= rings; r++) {
        for (int s = 0; s <= segments; s++) {
            float th = (float)M_PI * r / rings, ph = 2.0f * (float)M_PI * s / segments;
            float x = std::sin(th) * std::cos(ph), y = std::cos(th), z = std::sin(th) * std::sin(ph);
            pos.insert(pos.end(), {x, y, z});
            nrm.insert(nrm.end(), {x, y, z});
            tex.insert(tex.end(), {0.3f, 0.3f, 0.5f});
        }
    }
    for (int r = 0; r < rings; r++) {
        for (int s = 0; s < segments; s++) {
            GLuint a = r * (segments + 1) + s, b = a + segments + 1;
            idx.insert(idx.end(), {a, b, a + 1, a + 1, b, b + 1});
        }
    }
    glMatrixMode(GL_PROJECTION);
    gluPerspective(40.0, 4.0 / 3.0, 0.5, 10.0);
    glMatrixMode(GL_MODELVIEW);
    gluLookAt(0.0, 0.0, 3.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
    glRotatef(20.0f, 1.0f, 0.5f, 0.0f);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
    glMatrixMode(GL_TEXTURE);
    glScalef(2.0f, 2.0f, 1.0f);
    glMatrixMode(GL_MODELVIEW);
    const GLfloat fogColor[4] = {0.1f, 0.2f, 0.6f, 1.0f};
    glEnable(GL_FOG);
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glFogfv(GL_FOG_COLOR, fogColor);
    glFogf(GL_FOG_START, 2.0f);
    glFogf(GL_FOG_END, 4.0f);
    glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, pos.data());
    glNormalPointer(GL_FLOAT, 0, nrm.data());
    glTexCoordPointer(3, GL_FLOAT, 0, tex.data());
    glDrawElements(GL_TRIANGLES, (GLsizei)idx.size(), GL_UNSIGNED_INT, idx.data());
    glPopClientAttrib();
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glDisable(GL_FOG);
    glDisable(GL_TEXTURE_2D);
    glDeleteTextures(1, &texture);
}

TEST_F(GlLayer, SphereMapOnAKnownSphereMatches)
{
    expectSamePicture(drawSphereMapped, 50000);
}

// glMultiDrawArrays strips and an RGB read through a pack buffer.
static void drawStripsAndReadBack()
{
    std::vector<float> pos, tex;
    std::vector<GLint> first;
    std::vector<GLsizei> count;
    for (int i = 0; i < 40; i++) {
        first.push_back((GLint)pos.size() / 3);
        count.push_back(4);
        float x = -0.9f + i * 0.045f;
        pos.insert(pos.end(), {x, -0.8f, 0.0f, x, 0.8f, 0.0f, x + 0.04f, -0.7f, 0.0f, x + 0.03f, 0.7f, 0.0f});
        tex.insert(tex.end(), {0, 1, 0, 0, 1, 1, 1, 0});
    }
    glColor4f(0.6f, 0.5f, 0.9f, 1.0f);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, pos.data());
    glTexCoordPointer(2, GL_FLOAT, 0, tex.data());
    glMultiDrawArrays(GL_TRIANGLE_STRIP, first.data(), count.data(), (GLsizei)first.size());
    glPopClientAttrib();
    glDisable(GL_BLEND);
    // The picture comes back through a pack buffer as RGB and is drawn again
    // into the top left corner: any fault in that read shows as a difference.
    GLuint pbo;
    glGenBuffers(1, &pbo);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, pbo);
    glBufferData(GL_PIXEL_PACK_BUFFER, 64 * 48 * 3, nullptr, GL_STREAM_READ);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(300, 200, 64, 48, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    const uint8_t* rgb = (const uint8_t*)glMapBuffer(GL_PIXEL_PACK_BUFFER, GL_READ_ONLY);
    ASSERT_NE(rgb, nullptr);
    std::vector<uint8_t> copy(rgb, rgb + 64 * 48 * 3);
    glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    glDeleteBuffers(1, &pbo);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, 640, 0, 480);
    glBegin(GL_QUADS);
    for (int y = 0; y < 48; y++) {
        for (int x = 0; x < 64; x++) {
            const uint8_t* p = &copy[(size_t)(y * 64 + x) * 3];
            glColor3f(p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f);
            float px = 10.0f + x * 2, py = 380.0f + y * 2;
            glVertex2f(px, py);
            glVertex2f(px + 2, py);
            glVertex2f(px + 2, py + 2);
            glVertex2f(px, py + 2);
        }
    }
    glEnd();
}

TEST_F(GlLayer, MultiDrawStripsAndPackBufferReadsMatch)
{
    expectSamePicture(drawStripsAndReadBack, 50000);
}

// What --gles runs on holds none of the desktop library's functions: every
// slot is the layer's own, so no GL 1.1-only call reaches the OpenGL ES
// context.
TEST_F(GlLayer, TheOpenGlEsPathHoldsNoDesktopFunction)
{
    usePath(true);
    GlSlot slots[200];
    int n = glTableSlots(slots, 200);
    ASSERT_GT(n, 90);
    ASSERT_LE(n, 200);
    for (int i = 0; i < n; i++) {
        const std::string name = slots[i].name;
        void* desktop = name.rfind("glu", 0) == 0 ? desktopGluProc(slots[i].name) : desktopGlProc(slots[i].name);
        EXPECT_NE(slots[i].function, nullptr) << name;
        EXPECT_NE(slots[i].function, desktop) << name << " still goes to the desktop library";
    }
    usePath(false);
    n = glTableSlots(slots, 200);
    for (int i = 0; i < n; i++) {
        const std::string name = slots[i].name;
        void* desktop = name.rfind("glu", 0) == 0 ? desktopGluProc(slots[i].name) : desktopGlProc(slots[i].name);
        EXPECT_EQ(slots[i].function, desktop) << name << " on the desktop path";
    }
}

// The mosaic's way of drawing: a small texture of random texels magnified
// over the screen, flipped by the texture matrix, four layers added at
// quarter steps of intensity.
static void drawMagnifiedLayers()
{
    std::vector<uint8_t> texels(16 * 12 * 4);
    srand(11);
    for (uint8_t& v : texels)
        v = (uint8_t)(rand() & 255);
    GLuint name;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 16, 12, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glMatrixMode(GL_PROJECTION);
    glOrtho(-1.0, 1.0, -1.0, 1.0, -0.2, -1000.0);
    for (int i = 0; i < 4; i++) {
        glMatrixMode(GL_TEXTURE);
        glLoadIdentity();
        glTranslatef(0.5f, 0.5f, 0.0f);
        glScalef(1.0f, -1.0f, 1.0f);
        glRotatef(0.0f, 0.0f, 0.0f, 1.0f);
        glTranslatef(-0.5f, -0.5f, 0.0f);
        glMatrixMode(GL_MODELVIEW);
        float c = (float)(0.5 * (i + 1) * 0.25);
        glColor4f(c, c, c, c);
        glBegin(GL_POLYGON);
        glTexCoord2f(0.0f, 1.0f);
        glVertex3f(-1.0f, -1.0f, 0.201f);
        glTexCoord2f(1.0f, 1.0f);
        glVertex3f(1.0f, -1.0f, 0.201f);
        glTexCoord2f(1.0f, 0.0f);
        glVertex3f(1.0f, 1.0f, 0.201f);
        glTexCoord2f(0.0f, 0.0f);
        glVertex3f(-1.0f, 1.0f, 0.201f);
        glEnd();
    }
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glDeleteTextures(1, &name);
}

TEST_F(GlLayer, MagnifiedTextureLayersMatch)
{
    expectSamePicture(drawMagnifiedLayers, 100000);
}

// The show's mosaic over a picture of coloured bands, in the letterbox.
TEST_F(GlLayer, MosaicMatches)
{
    expectSamePicture(
        [] {
            makeMosaicTextures();
            glViewport(0, 60, 640, 360);
            drawPrimitives();
            glLoadIdentity();
            glMatrixMode(GL_PROJECTION);
            glLoadIdentity();
            mosaicGlow(0.5f, DF_ADD | DF_NEAREST);
        },
        100000);
}

// The layer refuses a desktop context (there the same calls would work and
// prove nothing) and leaves the table as it was.
// The depth still's read would raise a GL error there, and a GL error ends
// the show: the key answers with a reason instead.
TEST_F(GlLayer, TheDepthStillIsDeclinedOnOpenGlEsWithoutAGlError)
{
    usePath(true);
    std::string why = saveDepthBlurredStill();
    EXPECT_NE(why.find("not available with --gles"), std::string::npos) << why;
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST_F(GlLayer, TheLayerRefusesADesktopContext)
{
    usePath(false);
    char err[256] = "";
    EXPECT_FALSE(useGlesLayer(err, sizeof err));
    EXPECT_NE(std::string(err).find("not OpenGL ES"), std::string::npos) << err;
    EXPECT_EQ(glPath(), GlPath::Desktop);
    GlSlot slots[200];
    int n = glTableSlots(slots, 200);
    for (int i = 0; i < n; i++) {
        if (std::string(slots[i].name).rfind("glu", 0) != 0) {
            EXPECT_EQ(slots[i].function, desktopGlProc(slots[i].name)) << slots[i].name;
        }
    }
}

// Every texel value times colours that make exact halves: texture times
// colour must round to the same byte as on the desktop, where the layer's
// shader would otherwise land one below at about one texel in ten (and four
// added layers of the mosaic then differ by up to four).
static std::vector<uint8_t> rampOn(bool gles, float c)
{
    usePath(gles);
    std::vector<uint8_t> texels(256 * 4);
    for (int i = 0; i < 256; i++)
        texels[i * 4] = texels[i * 4 + 1] = texels[i * 4 + 2] = texels[i * 4 + 3] = (uint8_t)i;
    GLuint name;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 256, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glEnable(GL_TEXTURE_2D);
    glMatrixMode(GL_PROJECTION);
    glOrtho(0, 640, 0, 480, -1, 1);
    glColor4f(c, c, c, c);
    glBegin(GL_POLYGON);
    glTexCoord2f(0, 0);
    glVertex2f(0, 0);
    glTexCoord2f(1, 0);
    glVertex2f(512, 0);
    glTexCoord2f(1, 1);
    glVertex2f(512, 8);
    glTexCoord2f(0, 1);
    glVertex2f(0, 8);
    glEnd();
    glDisable(GL_TEXTURE_2D);
    std::vector<uint8_t> row = readPixelsRgb(0, 4, 512, 1);
    glDeleteTextures(1, &name);
    std::vector<uint8_t> values(256);
    for (int t = 0; t < 256; t++)
        values[t] = row[t * 2 * 3];
    return values;
}

TEST_F(GlLayer, TextureTimesColourRoundsLikeTheDesktop)
{
    for (float c : {0.125f, 0.25f, 0.375f, 0.5f, 0.3f, 0.7f, 1.0f}) {
        std::vector<uint8_t> desktop = rampOn(false, c), es = rampOn(true, c);
        EXPECT_EQ(desktop, es) << "colour " << c;
        EXPECT_NEAR(desktop[255], 255.0f * c, 1.0f) << "the ramp was drawn";
    }
}

// A browser's canvas has alpha (the frame is copied into RGBA textures); the
// show is made for a frame without, where alpha reads as 1 and the smear's
// copies of the frame blend by it. On a frame with alpha the layer keeps it
// at 1 and says the frame has none.
TEST_F(GlLayer, AFrameWithAlphaKeepsItAtOne)
{
    usePath(true);
    GLuint frame = 0, color = 0;
    glGenFramebuffers(1, &frame);
    glBindFramebuffer(GL_FRAMEBUFFER, frame);
    glGenRenderbuffers(1, &color);
    glBindRenderbuffer(GL_RENDERBUFFER, color);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, 640, 480);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, color);
    ASSERT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), (GLenum)GL_FRAMEBUFFER_COMPLETE);
    char err[256] = "";
    ASSERT_TRUE(useGlesLayer(err, sizeof err)) << err;
    GLint bits = -1;
    glGetIntegerv(GL_ALPHA_BITS, &bits);
    EXPECT_EQ(bits, 0);
    glViewport(0, 0, 640, 480);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glColor4f(0.5f, 0.5f, 0.5f, 0.25f);
    glBegin(GL_QUADS);
    glVertex2f(-0.5f, -0.5f);
    glVertex2f(0.5f, -0.5f);
    glVertex2f(0.5f, 0.5f);
    glVertex2f(-0.5f, 0.5f);
    glEnd();
    GLboolean mask[4] = {};
    glGetBooleanv(GL_COLOR_WRITEMASK, mask);
    EXPECT_TRUE(mask[3]) << "the program's own mask is kept";
    std::vector<uint8_t> rgba((size_t)640 * 480 * 4);
    glReadPixels(0, 0, 640, 480, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    const uint8_t* inside = &rgba[((size_t)240 * 640 + 320) * 4];
    const uint8_t* outside = &rgba[((size_t)10 * 640 + 10) * 4];
    EXPECT_NEAR(inside[0], 128, 1);
    EXPECT_EQ(inside[3], 255) << "a draw wrote alpha";
    EXPECT_EQ(outside[0], 0);
    EXPECT_EQ(outside[3], 255) << "a clear to alpha 0 wrote it";
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteRenderbuffers(1, &color);
    glDeleteFramebuffers(1, &frame);
}
