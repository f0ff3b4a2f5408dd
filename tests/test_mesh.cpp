// Mesh compiler, cube and tube: geometry, normals, and what the two list
// recording paths really hand to GL (read back through feedback mode and
// rendered pixels).
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "mesh/mesh.h"
#include "platform/gl.h"
#include "tests/support/gl_fixture.h"

namespace {

const double kDeg = M_PI / 180.0;

Vec3 posOf(const Mesh* m, int i)
{
    return Vec3{m->positions[i][0], m->positions[i][1], m->positions[i][2]};
}

Vec3 normalOf(const Mesh* m, int i)
{
    return Vec3{m->normals[i][0], m->normals[i][1], m->normals[i][2]};
}

double angleBetween(Vec3 a, Vec3 b)
{
    double d = (double)a.x * b.x + (double)a.y * b.y + (double)a.z * b.z;
    double la = std::sqrt((double)a.x * a.x + (double)a.y * a.y + (double)a.z * a.z);
    double lb = std::sqrt((double)b.x * b.x + (double)b.y * b.y + (double)b.z * b.z);
    double c = d / (la * lb);
    return std::acos(c > 1 ? 1 : (c < -1 ? -1 : c));
}

#define EXPECT_VEC3_NEAR(v, ex, ey, ez, tol)                                                                           \
    do {                                                                                                               \
        EXPECT_NEAR((v).x, (ex), (tol));                                                                               \
        EXPECT_NEAR((v).y, (ey), (tol));                                                                               \
        EXPECT_NEAR((v).z, (ez), (tol));                                                                               \
    } while (0)

// One vertex as feedback mode reports it: window position, lit colour,
// texture coordinate (s, t, r, q).
struct FbVertex {
    float pos[3];
    float col[4];
    float tex[4];
};
using FbTriangle = std::vector<FbVertex>;

// Runs a list in feedback mode and returns the polygons GL produced from it,
// in drawing order.
std::vector<FbTriangle> feedbackOf(GLuint list)
{
    std::vector<GLfloat> buf(1 << 20);
    glFeedbackBuffer((GLsizei)buf.size(), GL_3D_COLOR_TEXTURE, buf.data());
    glRenderMode(GL_FEEDBACK);
    glCallList(list);
    int n = glRenderMode(GL_RENDER);
    std::vector<FbTriangle> out;
    int i = 0;
    while (i < n) {
        int token = (int)buf[i++];
        if (token != GL_POLYGON_TOKEN) {
            ADD_FAILURE() << "unexpected feedback token " << token;
            break;
        }
        int count = (int)buf[i++];
        FbTriangle tri;
        for (int k = 0; k < count; k++) {
            FbVertex v;
            for (int c = 0; c < 3; c++)
                v.pos[c] = buf[i++];
            for (int c = 0; c < 4; c++)
                v.col[c] = buf[i++];
            for (int c = 0; c < 4; c++)
                v.tex[c] = buf[i++];
            tri.push_back(v);
        }
        out.push_back(tri);
    }
    return out;
}

// Lighting that writes the normal into the colour: three directional lights
// along +x, +y, +z coloured red, green and blue, no ambient term. A vertex
// with normal n comes out as (max(0,n.x), max(0,n.y), max(0,n.z)).
void normalAsColourLighting()
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const GLfloat zero[4] = {0, 0, 0, 1};
    const GLfloat white[4] = {1, 1, 1, 1};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, zero);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, zero);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, white);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, zero);
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, zero);
    for (int a = 0; a < 3; a++) {
        GLfloat dir[4] = {0, 0, 0, 0};
        GLfloat col[4] = {0, 0, 0, 1};
        dir[a] = 1;
        col[a] = 1;
        glLightfv(GL_LIGHT0 + a, GL_POSITION, dir);
        glLightfv(GL_LIGHT0 + a, GL_DIFFUSE, col);
        glLightfv(GL_LIGHT0 + a, GL_AMBIENT, zero);
        glLightfv(GL_LIGHT0 + a, GL_SPECULAR, zero);
        glEnable(GL_LIGHT0 + a);
    }
    glEnable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-10, 10, -10, 10, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    glViewport(0, 0, 640, 480);
}

void expectColourIsNormal(const FbVertex& v, Vec3 n, const char* what)
{
    SCOPED_TRACE(what);
    EXPECT_NEAR(v.col[0], std::max(0.0f, n.x), 2e-3);
    EXPECT_NEAR(v.col[1], std::max(0.0f, n.y), 2e-3);
    EXPECT_NEAR(v.col[2], std::max(0.0f, n.z), 2e-3);
}

// Two triangles meeting at vertices 0 and 2: one facing +z, one facing +x.
const float hingePositions[4][4] = {{0, 0, 0, 0}, {1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}};
const int hingeTriangles[2][3] = {{0, 1, 2}, {0, 2, 3}};

}  // namespace

class MeshTest : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        glPushAttrib(GL_ALL_ATTRIB_BITS);
    }
    void TearDown() override
    {
        glPopAttrib();
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    }
};

// ---- compileMesh -----------------------------------------------------------

TEST_F(MeshTest, SharedVertexAveragesFaceNormalsWithEqualWeight)
{
    Mesh* m = compileMesh(hingeTriangles, hingePositions, nullptr, 4, 2, 0);
    ASSERT_EQ(m->vertexCount, 4);
    ASSERT_EQ(m->faceCount, 2);
    EXPECT_EQ(m->flags, 0);
    EXPECT_EQ(m->positions, hingePositions);
    EXPECT_EQ(m->texcoords, nullptr);
    EXPECT_VEC3_NEAR(m->faces[0].normal, 0, 0, 1, 1e-6);
    EXPECT_VEC3_NEAR(m->faces[1].normal, 1, 0, 0, 1e-6);
    for (int k = 0; k < 3; k++) {
        EXPECT_EQ(m->faces[0].v[k], hingeTriangles[0][k]);
        EXPECT_EQ(m->faces[1].v[k], hingeTriangles[1][k]);
    }
    // The shared corners are the half-way direction, the others keep their
    // single face's normal.
    EXPECT_VEC3_NEAR(normalOf(m, 0), 0.70710678, 0, 0.70710678, 1e-6);
    EXPECT_VEC3_NEAR(normalOf(m, 2), 0.70710678, 0, 0.70710678, 1e-6);
    EXPECT_VEC3_NEAR(normalOf(m, 1), 0, 0, 1, 1e-6);
    EXPECT_VEC3_NEAR(normalOf(m, 3), 1, 0, 0, 1e-6);
    EXPECT_VEC3_NEAR(m->center, 0.25, 0.25, 0.25, 1e-7);
    EXPECT_TRUE(glIsList(m->list));
}

TEST_F(MeshTest, FaceWeightIgnoresTriangleArea)
{
    // Same hinge, but the +x triangle is a hundred times larger: an
    // area-weighted sum would lean the shared normals towards +x.
    const float pos[4][4] = {{0, 0, 0, 0}, {1, 0, 0, 0}, {0, 10, 0, 0}, {0, 0, 20, 0}};
    Mesh* m = compileMesh(hingeTriangles, pos, nullptr, 4, 2, 0);
    EXPECT_VEC3_NEAR(normalOf(m, 0), 0.70710678, 0, 0.70710678, 1e-6);
}

TEST_F(MeshTest, CenterIsAccumulatedInSinglePrecision)
{
    // 1e8 + 1 is 1e8 in a float, so the running sum of x loses the 1 and the
    // centre is exactly 0; a double sum would give 1/3.
    const float pos[3][4] = {{1e8f, 0, 0, 0}, {1, 1, 0, 0}, {-1e8f, 0, 1, 0}};
    const int tri[1][3] = {{0, 1, 2}};
    Mesh* m = compileMesh(tri, pos, nullptr, 3, 1, 0);
    EXPECT_EQ(m->center.x, 0.0f);
    EXPECT_FLOAT_EQ(m->center.y, 1.0f / 3.0f);
}

TEST_F(MeshTest, EveryCompileTakesItsOwnList)
{
    Mesh* a = compileMesh(hingeTriangles, hingePositions, nullptr, 4, 2, 0);
    Mesh* b = compileMesh(hingeTriangles, hingePositions, nullptr, 4, 2, DF_FLAT);
    EXPECT_NE(a->list, 0u);
    EXPECT_NE(b->list, 0u);
    EXPECT_NE(a->list, b->list);
    EXPECT_NE(a->normals, b->normals);
    EXPECT_NE(a->faces, b->faces);
    EXPECT_EQ(b->flags, DF_FLAT);
}

TEST_F(MeshTest, VertexArrayListUsesSmoothedNormals)
{
    Mesh* m = compileMesh(hingeTriangles, hingePositions, nullptr, 4, 2, 0);
    normalAsColourLighting();
    auto tris = feedbackOf(m->list);
    ASSERT_EQ(tris.size(), 2u);
    ASSERT_EQ(tris[0].size(), 3u);
    ASSERT_EQ(tris[1].size(), 3u);
    const Vec3 half{0.70710678f, 0, 0.70710678f};
    expectColourIsNormal(tris[0][0], half, "shared corner in first triangle");
    expectColourIsNormal(tris[0][1], Vec3{0, 0, 1}, "corner of first only");
    expectColourIsNormal(tris[0][2], half, "second shared corner");
    expectColourIsNormal(tris[1][0], half, "shared corner in second triangle");
    expectColourIsNormal(tris[1][2], Vec3{1, 0, 0}, "corner of second only");
}

TEST_F(MeshTest, FlatListGivesOneNormalPerTriangle)
{
    Mesh* m = compileMesh(hingeTriangles, hingePositions, nullptr, 4, 2, DF_FLAT);
    normalAsColourLighting();
    auto tris = feedbackOf(m->list);
    ASSERT_EQ(tris.size(), 2u);
    for (int k = 0; k < 3; k++) {
        expectColourIsNormal(tris[0][k], Vec3{0, 0, 1}, "first triangle");
        expectColourIsNormal(tris[1][k], Vec3{1, 0, 0}, "second triangle");
    }
}

TEST_F(MeshTest, ListsWithoutTexcoordsLeaveTheCurrentTexcoordAlone)
{
    // A list that issued texture coordinates would change the current one.
    Mesh* flat = compileMesh(hingeTriangles, hingePositions, nullptr, 4, 2, DF_FLAT);
    Mesh* arrays = compileMesh(hingeTriangles, hingePositions, nullptr, 4, 2, 0);
    normalAsColourLighting();
    for (const Mesh* m : {flat, arrays}) {
        glTexCoord4f(0.25f, 0.5f, 0.75f, 1.0f);
        auto tris = feedbackOf(m->list);
        ASSERT_EQ(tris.size(), 2u);
        for (const auto& t : tris)
            for (const auto& v : t) {
                EXPECT_FLOAT_EQ(v.tex[0], 0.25f);
                EXPECT_FLOAT_EQ(v.tex[1], 0.5f);
                EXPECT_FLOAT_EQ(v.tex[2], 0.75f);
            }
    }
}

TEST_F(MeshTest, TexcoordsRecordUAndVWithAZeroThirdComponent)
{
    // The source slots beyond u and v hold junk that must never reach GL.
    const float tex[4][4] = {{0.1f, 0.2f, 7, 9}, {0.3f, 0.4f, 7, 9}, {0.5f, 0.6f, 7, 9}, {0.7f, 0.8f, 7, 9}};
    Mesh* arrays = compileMesh(hingeTriangles, hingePositions, tex, 4, 2, 0);
    Mesh* flat = compileMesh(hingeTriangles, hingePositions, tex, 4, 2, DF_FLAT);
    EXPECT_EQ(arrays->texcoords, tex);
    normalAsColourLighting();
    for (const Mesh* m : {arrays, flat}) {
        glTexCoord4f(0.5f, 0.5f, 0.5f, 0.5f);
        auto tris = feedbackOf(m->list);
        ASSERT_EQ(tris.size(), 2u);
        for (int t = 0; t < 2; t++)
            for (int k = 0; k < 3; k++) {
                const FbVertex& v = tris[t][k];
                int src = hingeTriangles[t][k];
                EXPECT_FLOAT_EQ(v.tex[0], tex[src][0]);
                EXPECT_FLOAT_EQ(v.tex[1], tex[src][1]);
                EXPECT_FLOAT_EQ(v.tex[2], 0.0f);
                EXPECT_FLOAT_EQ(v.tex[3], 1.0f);
            }
    }
}

TEST_F(MeshTest, CompilingLeavesClientAndServerStateAsItWas)
{
    const float tex[4][4] = {};
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glMatrixMode(GL_PROJECTION);
    compileMesh(hingeTriangles, hingePositions, tex, 4, 2, 0);
    compileMesh(hingeTriangles, hingePositions, tex, 4, 2, DF_FLAT);
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_NORMAL_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_PROJECTION);
    GLint listIndex = -1;
    glGetIntegerv(GL_LIST_INDEX, &listIndex);
    EXPECT_EQ(listIndex, 0) << "a list was left open";
    glMatrixMode(GL_MODELVIEW);
}

// ---- cube ------------------------------------------------------------------

TEST_F(MeshTest, CubeHasTwentyFourVerticesAndOutwardAxisNormals)
{
    Mesh* m = makeCubeMesh(1.0f, DF_FLAT);
    ASSERT_EQ(m->vertexCount, 24);
    ASSERT_EQ(m->faceCount, 12);
    EXPECT_EQ(m->flags, DF_FLAT);
    EXPECT_VEC3_NEAR(m->center, 0, 0, 0, 0);
    for (int i = 0; i < 24; i++)
        for (int a = 0; a < 3; a++)
            EXPECT_EQ(std::fabs(m->positions[i][a]), 1.0f) << "vertex " << i;

    EXPECT_EQ(m->faces[0].v[0], 0);
    EXPECT_EQ(m->faces[0].v[1], 2);
    EXPECT_EQ(m->faces[0].v[2], 1);
    EXPECT_VEC3_NEAR(m->faces[0].normal, 0, 1, 0, 0);

    // Faces come top, bottom, back, front, right, left, two triangles each.
    const Vec3 axes[6] = {{0, 1, 0}, {0, -1, 0}, {0, 0, -1}, {0, 0, 1}, {1, 0, 0}, {-1, 0, 0}};
    for (int f = 0; f < 12; f++) {
        SCOPED_TRACE("triangle " + std::to_string(f));
        const Vec3& ax = axes[f / 2];
        EXPECT_VEC3_NEAR(m->faces[f].normal, ax.x, ax.y, ax.z, 0);
        for (int k = 0; k < 3; k++) {
            int v = m->faces[f].v[k];
            EXPECT_EQ(v / 4, f / 2) << "triangle uses another face's vertex";
            // Each vertex touches only its own face, so smoothing keeps the face normal.
            Vec3 n = normalOf(m, v);
            EXPECT_VEC3_NEAR(n, ax.x, ax.y, ax.z, 0);
            // The vertex lies on the face's plane.
            Vec3 p = posOf(m, v);
            EXPECT_EQ(p.x * ax.x + p.y * ax.y + p.z * ax.z, 1.0f);
        }
    }
}

TEST_F(MeshTest, CubeFacesCarryAWholeTextureSquare)
{
    Mesh* m = makeCubeMesh(2.5f, 0);
    const float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (int i = 0; i < 24; i++) {
        EXPECT_EQ(m->texcoords[i][0], uv[i % 4][0]) << "vertex " << i;
        EXPECT_EQ(m->texcoords[i][1], uv[i % 4][1]) << "vertex " << i;
        for (int a = 0; a < 3; a++)
            EXPECT_EQ(std::fabs(m->positions[i][a]), 2.5f);
    }
    // Spot-check the table: vertex 9 is the back face's (+s,-s,-s), vertex 22 the
    // left face's (-s,+s,+s).
    EXPECT_VEC3_NEAR(posOf(m, 9), 2.5, -2.5, -2.5, 0);
    EXPECT_VEC3_NEAR(posOf(m, 22), -2.5, 2.5, 2.5, 0);
}

TEST_F(MeshTest, FlatCubeListRecordsTrianglesInOrderWithFaceColours)
{
    Mesh* m = makeCubeMesh(1.0f, DF_FLAT);
    normalAsColourLighting();
    auto tris = feedbackOf(m->list);
    ASSERT_EQ(tris.size(), 12u);
    for (int f = 0; f < 12; f++) {
        ASSERT_EQ(tris[f].size(), 3u);
        for (int k = 0; k < 3; k++) {
            int v = m->faces[f].v[k];
            expectColourIsNormal(tris[f][k], m->faces[f].normal, "flat cube");
            EXPECT_FLOAT_EQ(tris[f][k].tex[0], m->texcoords[v][0]);
            EXPECT_FLOAT_EQ(tris[f][k].tex[1], m->texcoords[v][1]);
            // Window x from the (-10..10) ortho onto 640 pixels.
            EXPECT_NEAR(tris[f][k].pos[0], (m->positions[v][0] + 10) * 32, 1e-3);
            EXPECT_NEAR(tris[f][k].pos[1], (m->positions[v][1] + 10) * 24, 1e-3);
        }
    }
}

// ---- tube ------------------------------------------------------------------

TEST_F(MeshTest, TubeRingsColumnsAndTexcoords)
{
    Mesh* m = makeTubeMesh(8, 16, 0);
    ASSERT_EQ(m->vertexCount, 153);
    ASSERT_EQ(m->faceCount, 256);
    EXPECT_EQ(m->flags, 0);
    EXPECT_VEC3_NEAR(posOf(m, 0), 0, 8, 1, 0);
    EXPECT_EQ(m->texcoords[0][0], 0.0f);
    EXPECT_EQ(m->texcoords[0][1], 0.0f);
    EXPECT_EQ(m->positions[152][1], -8.0f);
    EXPECT_EQ(m->texcoords[152][0], 1.0f);
    EXPECT_EQ(m->texcoords[152][1], 1.0f);
    // The duplicated seam column pulls the mean towards +z: 17/153 = 1/9.
    EXPECT_VEC3_NEAR(m->center, 0, 0, 1.0 / 9.0, 1e-6);
    for (int i = 0; i <= 16; i++)
        for (int j = 0; j <= 8; j++) {
            int v = i * 9 + j;
            double th = j * 45 * kDeg;
            EXPECT_NEAR(m->positions[v][0], std::sin(th), 1e-7);
            EXPECT_EQ(m->positions[v][1], 8.0f - i);
            EXPECT_NEAR(m->positions[v][2], std::cos(th), 1e-7);
            EXPECT_FLOAT_EQ(m->texcoords[v][0], j / 8.0f);
            EXPECT_FLOAT_EQ(m->texcoords[v][1], i / 16.0f);
        }
}

TEST_F(MeshTest, TubeTrianglesFaceOutwardSegmentBySegment)
{
    Mesh* m = makeTubeMesh(8, 16, 0);
    for (int f = 0; f < 256; f++) {
        int seg = (f / 2) % 8;
        double mid = (seg + 0.5) * 45 * kDeg;
        SCOPED_TRACE("triangle " + std::to_string(f));
        EXPECT_VEC3_NEAR(m->faces[f].normal, std::sin(mid), 0, std::cos(mid), 1e-6);
    }
    // First two triangles of ring 0: (0, 9, 10) and (1, 0, 10).
    const int expect[2][3] = {{0, 9, 10}, {1, 0, 10}};
    for (int t = 0; t < 2; t++)
        for (int k = 0; k < 3; k++)
            EXPECT_EQ(m->faces[t].v[k], expect[t][k]);
}

TEST_F(MeshTest, TubeNormalsAreRadialInsideAndCreasedAtTheSeam)
{
    Mesh* m = makeTubeMesh(8, 16, 0);
    for (int i = 0; i <= 16; i++)
        for (int j = 0; j <= 8; j++) {
            int v = i * 9 + j;
            Vec3 n = normalOf(m, v);
            Vec3 radial{(float)std::sin(j * 45 * kDeg), 0, (float)std::cos(j * 45 * kDeg)};
            double off = angleBetween(n, radial) / kDeg;
            EXPECT_NEAR(n.y, 0.0f, 1e-6);
            EXPECT_NEAR(std::sqrt(n.x * n.x + n.z * n.z), 1.0, 1e-6);
            SCOPED_TRACE("ring " + std::to_string(i) + " column " + std::to_string(j));
            if (j == 0 || j == 8)
                EXPECT_NEAR(off, 22.5, 1e-3);
            else if (i == 0 || i == 16)
                EXPECT_NEAR(off, 7.8612, 1e-3);  // atan(tan(22.5 deg) / 3)
            else
                EXPECT_NEAR(off, 0.0, 1e-3);
        }
    // The seam columns lean into the one segment each of them touches.
    EXPECT_GT(normalOf(m, 9 * 5 + 0).x, 0.3f);
    EXPECT_LT(normalOf(m, 9 * 5 + 8).x, -0.3f);
    // Top ring leans to the segment after the vertex, bottom ring to the one before.
    Vec3 top = normalOf(m, 2), bottom = normalOf(m, 16 * 9 + 2);
    EXPECT_GT(std::atan2(top.x, top.z), 90 * kDeg);
    EXPECT_LT(std::atan2(bottom.x, bottom.z), 90 * kDeg);
}

// ---- pixels ----------------------------------------------------------------

namespace {

// Perspective view from above a corner, one white directional light, no
// ambient, so each face's shade depends only on its normal.
void litCornerView(double eyeX, double eyeY, double eyeZ, double fov)
{
    glViewport(0, 0, 640, 480);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fov, 640.0 / 480.0, 0.5, 100);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const GLfloat zero[4] = {0, 0, 0, 1};
    const GLfloat white[4] = {1, 1, 1, 1};
    const GLfloat dir[4] = {0.3f, 0.8f, 0.5f, 0};
    gluLookAt(eyeX, eyeY, eyeZ, 0, 0, 0, 0, 1, 0);
    // Set after the camera so the light direction is in world space.
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, zero);
    glLightfv(GL_LIGHT0, GL_POSITION, dir);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, zero);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, white);
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
    glShadeModel(GL_SMOOTH);
}

std::map<uint32_t, int> colourHistogram(const std::vector<uint8_t>& rgb)
{
    std::map<uint32_t, int> h;
    for (size_t i = 0; i + 2 < rgb.size(); i += 3) {
        uint32_t c = ((uint32_t)rgb[i] << 16) | ((uint32_t)rgb[i + 1] << 8) | rgb[i + 2];
        if (c)
            h[c]++;
    }
    return h;
}

std::string outPath(const char* name)
{
    return std::string(ZANT_BINARY_DIR) + "/" + name;
}

}  // namespace

TEST_F(MeshTest, FlatCubeRendersEachVisibleFaceInOneColour)
{
    Mesh* cube = makeCubeMesh(1.0f, DF_FLAT);
    litCornerView(3.0, 2.5, 4.0, 45.0);
    glCallList(cube->list);
    auto rgb = readPixelsRgb(0, 0, 640, 480);
    writePngRgb(outPath("mesh_flat_cube.png").c_str(), rgb, 640, 480);
    auto hist = colourHistogram(rgb);
    // Top, right and front are visible and lit differently; nothing else.
    ASSERT_EQ(hist.size(), 3u);
    for (auto& [colour, count] : hist)
        EXPECT_GT(count, 3000) << std::hex << colour;
}

TEST_F(MeshTest, SmoothTubeShadesAcrossEachSideAndFlatTubeDoesNot)
{
    Mesh* smooth = makeTubeMesh(8, 16, 0);
    Mesh* flat = makeTubeMesh(8, 16, DF_FLAT);
    auto rowColours = [](const Mesh* m) {
        litCornerView(0.0, 0.0, 6.0, 60.0);
        glCallList(m->list);
        auto row = readPixelsRgb(0, 240, 640, 1);
        return colourHistogram(row).size();
    };
    // Seen side-on, three to five sides show; flat shading gives one shade
    // each, smoothed normals a gradient across them.
    size_t flatShades = rowColours(flat);
    size_t smoothShades = rowColours(smooth);
    EXPECT_GE(flatShades, 3u);
    EXPECT_LE(flatShades, 5u);
    EXPECT_GT(smoothShades, 40u);
}

TEST_F(MeshTest, WritesAPictureOfCubeAndTube)
{
    // Cube and tube side by side, checker-textured so the texture squares
    // and the seam are visible. Kept for looking at, not compared.
    const int N = 8;
    uint8_t tex[N * N * 3];
    for (int y = 0; y < N; y++)
        for (int x = 0; x < N; x++) {
            bool light = ((x ^ y) & 1) != 0;
            tex[(y * N + x) * 3 + 0] = light ? 255 : 60;
            tex[(y * N + x) * 3 + 1] = (uint8_t)(light ? 128 + x * 16 : 60);
            tex[(y * N + x) * 3 + 2] = (uint8_t)(light ? 128 + y * 16 : 60);
        }
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, N, N, 0, GL_RGB, GL_UNSIGNED_BYTE, tex);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);

    Mesh* cube = makeCubeMesh(1.0f, DF_FLAT);
    Mesh* tube = makeTubeMesh(8, 16, 0);
    litCornerView(0.0, 6.0, 22.0, 45.0);
    glEnable(GL_NORMALIZE);  // the scaled copies would darken otherwise
    const GLfloat ambient[4] = {0.25f, 0.25f, 0.25f, 1};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
    glEnable(GL_TEXTURE_2D);
    glPushMatrix();
    glTranslatef(-4, 0, 0);
    glRotatef(-30, 0, 1, 0);
    glScalef(2.5f, 2.5f, 2.5f);
    glCallList(cube->list);
    glPopMatrix();
    glPushMatrix();
    glTranslatef(4, 0, 0);
    glScalef(2.0f, 0.5f, 2.0f);
    glCallList(tube->list);
    glPopMatrix();
    glDisable(GL_TEXTURE_2D);
    glDeleteTextures(1, &name);

    auto rgb = readPixelsRgb(0, 0, 640, 480);
    EXPECT_TRUE(writePngRgb(outPath("mesh_cube_tube.png").c_str(), rgb, 640, 480));
    EXPECT_GT(colourHistogram(rgb).size(), 20u);
}
