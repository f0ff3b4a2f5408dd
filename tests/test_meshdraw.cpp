// Mesh drawing, whole and shattered: the solid-geometry state, the per-frame
// counters, state restore and the shape of the broken triangles.
#include <gtest/gtest.h>

#include <cmath>

#include "mesh/mesh.h"
#include "render/camera.h"
#include "platform/gl.h"
#include "render/state.h"
#include "render/texbind.h"
#include "scenes/mesh_draw.h"
#include "tests/support/gl_fixture.h"
#include "tests/test_scenes_support.h"

namespace {

using MeshDraw = SceneGlTest;

Mesh* cube()
{
    static Mesh* m = makeCubeMesh(1.0f, DF_FLAT);
    return m;
}

// One triangle; positions kept alive for the mesh's lifetime.
Mesh* singleTriangle(const float (*pos)[4])
{
    static const int tri[1][3] = {{0, 1, 2}};
    return compileMesh(tri, pos, nullptr, 3, 1, 0);
}

// Cube corners differ in colour per quadrant so a wrong texture coordinate shows.
Texture* quadrants()
{
    static Texture* t = makeTestTexture(64, 64, [](int x, int y) {
        return Rgba{(uint8_t)(x < 32 ? 220 : 40), (uint8_t)(y < 32 ? 200 : 30), 90, 255};
    });
    return t;
}

void lookAtCube()
{
    Camera camera{Vec3{2.5f, 2.0f, 3.5f}, 60.0f};
    setCamera(camera, Vec3{0, 0, 0}, 0);
}

// World square -2..2 on the whole frame, looking down -z.
void flatView()
{
    glViewport(0, 0, 640, 480);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-2, 2, -2, 2, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

int litPixels(const std::vector<uint8_t>& rgb)
{
    int n = 0;
    for (size_t i = 0; i + 2 < rgb.size(); i += 3)
        if (rgb[i] + rgb[i + 1] + rgb[i + 2] > 0)
            n++;
    return n;
}

TEST_F(MeshDraw, CountersAddTheMeshCounts)
{
    applyRenderState(nullptr);
    drawMesh(cube());
    EXPECT_EQ(vertexcount, 24);
    EXPECT_EQ(polygoncount, 12);
    drawMeshShattered(cube(), 0.1f, 1.0f);
    EXPECT_EQ(vertexcount, 48);
    EXPECT_EQ(polygoncount, 24);
    applyRenderState(nullptr);
    EXPECT_EQ(vertexcount, 0);
}

TEST_F(MeshDraw, EmptyMeshStillCountsAndRestores)
{
    Mesh empty{};
    empty.list = glGenLists(1);
    glNewList(empty.list, GL_COMPILE);
    glEndList();
    empty.vertexCount = 5;
    glDisable(GL_CULL_FACE);
    drawMeshShattered(&empty, 0.5f, 3.0f);
    EXPECT_EQ(vertexcount, 5);
    EXPECT_EQ(polygoncount, 0);
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
}

TEST_F(MeshDraw, BothRestoreTheCallersEnables)
{
    for (int shattered = 0; shattered < 2; shattered++) {
        glDisable(GL_CULL_FACE);
        glDisable(GL_DEPTH_TEST);
        glEnable(GL_BLEND);
        glDepthMask(GL_FALSE);
        glDepthFunc(GL_ALWAYS);
        lookAtCube();
        if (shattered)
            drawMeshShattered(cube(), 0.0f, 0.0f);
        else
            drawMesh(cube());
        GLint func = 0;
        GLboolean mask = GL_TRUE;
        glGetIntegerv(GL_DEPTH_FUNC, &func);
        glGetBooleanv(GL_DEPTH_WRITEMASK, &mask);
        EXPECT_FALSE(glIsEnabled(GL_CULL_FACE)) << shattered;
        EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST)) << shattered;
        EXPECT_TRUE(glIsEnabled(GL_BLEND)) << shattered;
        EXPECT_EQ(mask, GL_FALSE) << shattered;
        EXPECT_EQ(func, GL_ALWAYS) << shattered;
    }
}

// The caller's additive blending and disabled depth test must not reach the mesh.
TEST_F(MeshDraw, DrawsSolidWhateverTheCallerSet)
{
    Texture* red = makeFlatTexture(Rgba{200, 0, 0, 255});
    for (int shattered = 0; shattered < 2; shattered++) {
        applyRenderState(&blackPreset);
        glClearColor(0.2f, 0.2f, 0.2f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        lookAtCube();
        bindTexture(red, 0);
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE);
        glDisable(GL_DEPTH_TEST);
        if (shattered)
            drawMeshShattered(cube(), 0.0f, 0.0f);
        else
            drawMesh(cube());
        EXPECT_TRUE(near(pixelAt(320, 240), 0xC80000u, 1))
            << "shattered " << shattered << ": " << std::hex << pixelAt(320, 240);

        // A depth buffer already at 0 hides everything when the test is on.
        glClearDepth(0.0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glClearDepth(1.0);
        if (shattered)
            drawMeshShattered(cube(), 0.0f, 0.0f);
        else
            drawMesh(cube());
        EXPECT_TRUE(near(pixelAt(320, 240), 0x333333u, 1)) << "shattered " << shattered;
    }
}

TEST_F(MeshDraw, ShatteredAtZeroLooksLikeWhole)
{
    glColor3f(1, 1, 1);
    lookAtCube();
    bindTexture(quadrants(), 0);
    drawMesh(cube());
    auto whole = readPixelsRgb(0, 60, 640, 360);

    applyRenderState(&blackPreset);
    lookAtCube();
    bindTexture(quadrants(), 0);
    drawMeshShattered(cube(), 0.0f, 40.0f);
    auto broken = readPixelsRgb(0, 60, 640, 360);

    EXPECT_GT(litPixels(whole), 20000) << "the cube is on screen";
    EXPECT_LT(countDifferent(whole, broken, 8), 200);
}

TEST_F(MeshDraw, ShardTurnsAboutItsFirstCorner)
{
    // Axis (sin 0, sin 0, sin pi/2) = +z: a quarter turn about the first
    // corner (0, -0.5) swings the triangle from its right to its left.
    static const float pos[3][4] = {{0, -0.5f, 0, 0}, {1, 0, 0, 0}, {0, 1, (float)(M_PI / 2), 0}};
    Mesh* tri = singleTriangle(pos);
    flatView();
    glColor3f(1, 1, 1);
    // Pixel of world (x, y) in the -2..2 view.
    auto at = [](float x, float y) { return pixelAt((int)((x + 2) * 160), (int)((y + 2) * 120)); };
    drawMeshShattered(tri, 0.0f, 0.0f);
    EXPECT_EQ(at(0.33f, 0.17f), 0xFFFFFFu) << "unturned";
    EXPECT_EQ(at(-0.67f, -0.17f), 0x000000u);

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawMeshShattered(tri, 0.25f, 0.0f);
    EXPECT_EQ(at(0.33f, 0.17f), 0x000000u);
    EXPECT_EQ(at(-0.67f, -0.17f), 0xFFFFFFu) << "quarter turn about the first corner";
    EXPECT_EQ(at(-0.17f, 0.33f), 0x000000u) << "not about the origin";
}

TEST_F(MeshDraw, ShardMovesAlongItsCornerNormal)
{
    // Facing +z toward the camera: a push along the normal makes it bigger.
    static const float pos[3][4] = {{-0.5f, -0.5f, 0, 0}, {0.5f, -0.5f, 0, 0}, {-0.5f, 0.5f, 0, 0}};
    Mesh* tri = singleTriangle(pos);
    Camera camera{Vec3{0, 0, 4}, 60.0f};
    glColor3f(1, 1, 1);
    setCamera(camera, Vec3{0, 0, 0}, 0);
    // amount 1: a full turn, so only the push is left.
    drawMeshShattered(tri, 1.0f, 0.0f);
    const int still = litPixels(readPixelsRgb(0, 60, 640, 360));
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawMeshShattered(tri, 1.0f, 2.0f);
    const int pushed = litPixels(readPixelsRgb(0, 60, 640, 360));
    EXPECT_GT(still, 1000);
    EXPECT_GT(pushed, still * 3);
}

TEST_F(MeshDraw, ShardsWithoutTexcoordsTakeTheCurrentOne)
{
    static const float pos[3][4] = {{-1, -1, 0, 0}, {1, -1, 0, 0}, {-1, 1, 0, 0}};
    Mesh* tri = singleTriangle(pos);
    flatView();
    glColor3f(1, 1, 1);
    bindTexture(quadrants(), 0);
    glTexCoord2f(0.75f, 0.25f);  // the (40, 200) quadrant
    drawMeshShattered(tri, 0.0f, 0.0f);
    EXPECT_TRUE(near(pixelAt(200, 150), 0x28C85Au, 2)) << std::hex << pixelAt(200, 150);
    EXPECT_TRUE(near(pixelAt(300, 200), 0x28C85Au, 2)) << std::hex << pixelAt(300, 200);
}

}  // namespace
