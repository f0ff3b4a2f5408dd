// Edge fins: which edges each variant picks, the random tables and when
// they are filled, the state left behind, and that fins go uncounted.
#include <gtest/gtest.h>

#include <vector>

#include "mesh/mesh.h"
#include "platform/gl.h"
#include "render/state.h"
#include "scenes/fins.h"
#include "tests/support/gl_fixture.h"
#include "tests/support/rand15_oracle.h"
#include "tests/test_scenes_support.h"
#include "texture/procedural.h"

namespace {

using Fins = SceneGlTest;

Texture* white()
{
    static Texture* t = makeFlatTexture(Rgba{255, 255, 255, 255});
    return t;
}

// A floor triangle facing +y whose three edges cover different x spans seen
// from the front: edge 0-1 spans x 0..2, edge 1-2 spans 1..2, edge 2-0 spans 0..1.
const float floorTri[3][3] = {{0, 0, 0}, {2, 0, -1}, {1, 0, -2}};

// count triangles; triangle i sits at x offset 3i when shown, else far off screen.
struct Strip {
    std::vector<float> pos;  // 16-byte entries
    std::vector<int> idx;
    Mesh* mesh;
};

Strip* floorStrip(int count, const std::vector<int>& shown)
{
    Strip* s = new Strip;
    for (int i = 0; i < count; i++) {
        bool visible = false;
        for (int v : shown)
            visible |= v == i;
        float dx = visible ? 3.0f * i : 1000.0f;
        if (visible && count > 10)
            dx = (i == 0) ? 0.0f : 3.0f;
        for (int k = 0; k < 3; k++) {
            s->pos.push_back(floorTri[k][0] + dx);
            s->pos.push_back(floorTri[k][1]);
            s->pos.push_back(floorTri[k][2]);
            s->pos.push_back(0.0f);
            s->idx.push_back(3 * i + k);
        }
    }
    s->mesh =
        compileMesh((const int(*)[3])s->idx.data(), (const float(*)[4])s->pos.data(), nullptr, 3 * count, count, 0);
    return s;
}

// World x -1..15 across the frame, y -1..3 up, looking down -z.
void frontView()
{
    glViewport(0, 0, 640, 480);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-1, 15, -1, 3, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// Red channel half-way up a fin of length 2, at world x.
int finLevel(float x)
{
    int px = (int)((x + 1.0f) / 16.0f * 640.0f);
    int py = (int)((1.0f + 1.0f) / 4.0f * 480.0f);
    return red(pixelAt(px, py));
}

// Which edge triangle at offset dx carries a fin: 0, 1, 2, or -1 for none.
int edgeAt(float dx)
{
    bool left = finLevel(dx + 0.5f) > 0, right = finLevel(dx + 1.5f) > 0;
    if (left && right)
        return 0;
    if (right)
        return 1;
    if (left)
        return 2;
    return -1;
}

TEST_F(Fins, LengthZeroDrawsNothingButFillsTheTable)
{
    static Strip* one = floorStrip(1, {0});
    struct Variant {
        void (*draw)(const Mesh*, const Texture*, float);
        int* table;
        int* calls;
    } variants[] = {{drawFinsRandomEdge, randomEdgeTable, &randomEdgeCalls},
                    {drawFinsAllEdges, allEdgesTable, &allEdgesCalls},
                    {drawFinsGrid, gridTable, &gridCalls},
                    {[](const Mesh*, const Texture* t, float) { skipFinsAllEdges(t); }, allEdgesTable, &allEdgesCalls}};
    for (const Variant& v : variants) {
        *v.calls = 0;
        const uint64_t before = rand15Draws;
        const std::vector<int> expected = rand15ValuesAfter(before, 256);
        frontView();
        glColor3f(1, 1, 1);
        v.draw(one->mesh, white(), 0.0f);
        EXPECT_EQ(rand15Draws, before + 256);
        EXPECT_EQ(std::vector<int>(v.table, v.table + 256), expected);
        EXPECT_TRUE(allBlack(readPixelsRgb(0, 0, 640, 480)));
        v.draw(one->mesh, white(), 0.0f);
        EXPECT_EQ(rand15Draws, before + 256) << "filled once only";
        EXPECT_EQ(*v.calls, 2);
    }
}

TEST_F(Fins, StateLeftBehind)
{
    static Strip* one = floorStrip(1, {0});
    frontView();
    glColor4f(0.2f, 0.3f, 0.4f, 0.5f);
    glEnable(GL_CULL_FACE);
    drawFinsRandomEdge(one->mesh, white(), 1.0f);
    GLint src = 0, dst = 0, func = 0;
    GLboolean mask = GL_TRUE;
    GLfloat colour[4];
    glGetIntegerv(GL_BLEND_SRC, &src);
    glGetIntegerv(GL_BLEND_DST, &dst);
    glGetIntegerv(GL_DEPTH_FUNC, &func);
    glGetBooleanv(GL_DEPTH_WRITEMASK, &mask);
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(src, GL_ONE);
    EXPECT_EQ(dst, GL_ONE);
    EXPECT_EQ(func, GL_LESS);
    EXPECT_EQ(mask, GL_FALSE);
    EXPECT_EQ(colour[0], 1.0f) << "random-edge fins are white";

    glColor4f(0.2f, 0.3f, 0.4f, 0.5f);
    drawFinsAllEdges(one->mesh, white(), 1.0f);
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[0], 0.2f) << "other variants keep the caller's colour";
}

// What a faded-out scene leaves for whatever it draws next.
std::vector<GLint> finStateSnapshot()
{
    std::vector<GLint> state;
    for (GLenum e : {GL_BLEND_SRC, GL_BLEND_DST, GL_DEPTH_FUNC, GL_DEPTH_WRITEMASK, GL_TEXTURE_BINDING_2D}) {
        GLint v = 0;
        glGetIntegerv(e, &v);
        state.push_back(v);
    }
    for (GLenum e : {GL_CULL_FACE, GL_DEPTH_TEST, GL_BLEND, GL_TEXTURE_2D})
        state.push_back(glIsEnabled(e));
    GLfloat tc[4];
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, tc);
    for (GLfloat c : tc)
        state.push_back((GLint)(c * 1000));
    return state;
}

TEST_F(Fins, SkippedAllEdgesLeaveWhatDrawnOnesLeave)
{
    static Strip* one = floorStrip(1, {0});
    std::vector<GLint> after[2];
    for (int skip = 0; skip < 2; skip++) {
        frontView();
        glEnable(GL_CULL_FACE);
        glBindTexture(GL_TEXTURE_2D, 0);
        glTexCoord2f(0.5f, 0.25f);
        if (skip)
            skipFinsAllEdges(white());
        else
            drawFinsAllEdges(one->mesh, white(), 1.0f);
        after[skip] = finStateSnapshot();
    }
    EXPECT_EQ(after[1], after[0]);
}

TEST_F(Fins, NotCounted)
{
    static Strip* one = floorStrip(1, {0});
    applyRenderState(nullptr);
    drawFinsAllEdges(one->mesh, white(), 1.0f);
    drawFinsGrid(one->mesh, white(), 1.0f);
    drawFinsRandomEdge(one->mesh, white(), 1.0f);
    EXPECT_EQ(vertexcount, 0);
    EXPECT_EQ(polygoncount, 0);
}

TEST_F(Fins, AllEdgesStandAlongTheFaceNormal)
{
    static Strip* one = floorStrip(1, {0});
    frontView();
    glColor3f(0.25f, 0.25f, 0.25f);
    drawFinsAllEdges(one->mesh, white(), 2.0f);
    // Both halves are covered by two of the three edges: brightness adds up.
    EXPECT_NEAR(finLevel(0.5f), 128, 2);
    EXPECT_NEAR(finLevel(1.5f), 128, 2);
    // Up along +y to length 2, not beyond; nothing below the floor.
    EXPECT_EQ(red(pixelAt((int)(1.5f / 16 * 640), (int)(3.5f / 4 * 480))), 0);
    EXPECT_EQ(red(pixelAt((int)(1.5f / 16 * 640), (int)(0.5f / 4 * 480))), 0);
}

TEST_F(Fins, RandomEdgeFollowsItsTableAndWrapsAt256)
{
    static Strip* many = floorStrip(257, {0, 256});
    randomEdgeCalls = 1;  // keep the table set here
    const int saved = randomEdgeTable[0];
    for (int value : {3, 4, 5, 30001}) {
        randomEdgeTable[0] = value;
        applyRenderState(&blackPreset);
        frontView();
        drawFinsRandomEdge(many->mesh, white(), 2.0f);
        EXPECT_EQ(edgeAt(0.0f), value % 3) << "triangle 0, table value " << value;
        EXPECT_EQ(edgeAt(3.0f), value % 3) << "triangle 256 reuses entry 0";
    }
    randomEdgeTable[0] = saved;
}

TEST_F(Fins, GridTakesEveryEvenTriangle)
{
    for (int count : {3, 4}) {
        Strip* s = floorStrip(count, {0, 1, 2, 3});
        applyRenderState(&blackPreset);
        frontView();
        glColor3f(0.25f, 0.25f, 0.25f);
        drawFinsGrid(s->mesh, white(), 2.0f);
        for (int i = 0; i < count; i++) {
            const float dx = 3.0f * i;
            if (i % 2 == 0) {
                // Edges 0-1 (x 0..2) and 1-2 (x 1..2): two fins over the right half.
                EXPECT_NEAR(finLevel(dx + 0.5f), 64, 2) << count << " triangles, #" << i;
                EXPECT_NEAR(finLevel(dx + 1.5f), 128, 2) << count << " triangles, #" << i;
            } else {
                EXPECT_EQ(edgeAt(dx), -1) << count << " triangles, #" << i;
            }
        }
    }
}

}  // namespace
