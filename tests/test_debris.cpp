// Debris: how a box is cut into four corner tetrahedra, how the table fills
// and stops at 200, and which random draws place the 50 boxes.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "mesh/debris.h"
#include "mesh/model_data.h"
#include "platform/gl.h"
#include "render/vecmath.h"
#include "tests/support/gl_fixture.h"
#include "mesh/meshes.h"
#include "texture/assets.h"
#include "texture/procedural.h"

namespace {

Vec3 sub(Vec3 a, Vec3 b)
{
    return Vec3{a.x - b.x, a.y - b.y, a.z - b.z};
}

double dot3(Vec3 a, Vec3 b)
{
    return (double)a.x * b.x + (double)a.y * b.y + (double)a.z * b.z;
}

// Piece p of a box, as the mean of the corners its table row uses: the
// three outer corners next to the piece's own corner pull it that way.
Vec3 expectedCentre(int piece, Color4 lo, Color4 hi)
{
    // Fraction of the way from lo to hi per axis for pieces around c001,
    // c100, c010 and c111.
    const float frac[4][3] = {
        {0.25f, 0.25f, 0.75f}, {0.75f, 0.25f, 0.25f}, {0.25f, 0.75f, 0.25f}, {0.75f, 0.75f, 0.75f}};
    return Vec3{lo.x + (hi.x - lo.x) * frac[piece][0], lo.y + (hi.y - lo.y) * frac[piece][1],
                lo.z + (hi.z - lo.z) * frac[piece][2]};
}

void clearTable()
{
    debris = DebrisTable{};
}

}  // namespace

class DebrisTest : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        clearTable();
    }
    void TearDown() override { EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR); }
};

TEST_F(DebrisTest, UnitBoxGivesFourCornerPiecesInTableOrder)
{
    makeDebrisBox(makeColor4(0, 0, 0), makeColor4(1, 1, 1));
    ASSERT_EQ(debris.count, 4);
    const Vec3 centres[4] = {
        {0.25f, 0.25f, 0.75f}, {0.75f, 0.25f, 0.25f}, {0.25f, 0.75f, 0.25f}, {0.75f, 0.75f, 0.75f}};
    for (int p = 0; p < 4; p++) {
        SCOPED_TRACE("piece " + std::to_string(p + 1));
        const Mesh* m = debris.pieces[p];
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(m->vertexCount, 12);
        EXPECT_EQ(m->faceCount, 4);
        EXPECT_EQ(m->flags, 0);
        EXPECT_TRUE(glIsList(m->list));
        // The vertex data was temporary; only list, counts and centre remain.
        EXPECT_EQ(m->positions, nullptr);
        EXPECT_EQ(m->texcoords, nullptr);
        EXPECT_FLOAT_EQ(m->center.x, centres[p].x);
        EXPECT_FLOAT_EQ(m->center.y, centres[p].y);
        EXPECT_FLOAT_EQ(m->center.z, centres[p].z);
        for (int f = 0; f < 4; f++)
            for (int k = 0; k < 3; k++)
                EXPECT_EQ(m->faces[f].v[k], f * 3 + k) << "no vertex is shared";
    }
    // Piece 1's fourth triangle is the inner face, looking at the box centre.
    const double s = 1.0 / std::sqrt(3.0);
    EXPECT_NEAR(debris.pieces[0]->faces[3].normal.x, s, 1e-6);
    EXPECT_NEAR(debris.pieces[0]->faces[3].normal.y, s, 1e-6);
    EXPECT_NEAR(debris.pieces[0]->faces[3].normal.z, -s, 1e-6);
}

TEST_F(DebrisTest, OuterFacesLookOutOfTheBoxAndCutFacesAcrossIt)
{
    makeDebrisBox(makeColor4(-2, 1, 3), makeColor4(4, 7, 9));
    ASSERT_EQ(debris.count, 4);
    const Vec3 boxCentre{1, 4, 6};
    for (int p = 0; p < 4; p++) {
        const Mesh* m = debris.pieces[p];
        for (int f = 0; f < 3; f++) {
            // An outer face lies on a box side: its normal is an axis pointing
            // away from the box centre, the same way as the piece centre.
            Vec3 n = m->faces[f].normal;
            Vec3 out = sub(m->center, boxCentre);
            EXPECT_NEAR(std::fabs(n.x) + std::fabs(n.y) + std::fabs(n.z), 1.0, 1e-6)
                << "piece " << p + 1 << " face " << f + 1;
            EXPECT_GT(dot3(n, out), 0.0) << "piece " << p + 1 << " face " << f + 1;
        }
        // Every cut face faces out of its piece, which is towards the box
        // centre: culled as back faces, a cut face wound the other way would
        // let the piece vanish while it turns that side to the camera.
        Vec3 inner = m->faces[3].normal;
        EXPECT_LT(dot3(inner, sub(m->center, boxCentre)), 0.0) << "piece " << p + 1;
        // The box is a cube, so the cut runs across three face diagonals.
        EXPECT_NEAR(std::fabs(inner.x), 1.0 / std::sqrt(3.0), 1e-6);
        EXPECT_NEAR(std::fabs(inner.y), 1.0 / std::sqrt(3.0), 1e-6);
        EXPECT_NEAR(std::fabs(inner.z), 1.0 / std::sqrt(3.0), 1e-6);
    }
}

// Pixels lit by one piece drawn white from outside, looking along -dir, with
// back faces culled as the scene draws them.
static int litPixelsFrom(const Mesh* piece, const double dir[3])
{
    glViewport(0, 0, 640, 480);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glDisable(GL_FOG);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
    glColor4f(1, 1, 1, 1);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-2, 2, -1.5, 1.5, 1, 20);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    // Any up vector not along the view direction.
    const double up[3] = {std::fabs(dir[1]) > 0.9 ? 1.0 : 0.0, std::fabs(dir[1]) > 0.9 ? 0.0 : 1.0, 0.0};
    gluLookAt(8 * dir[0], 8 * dir[1], 8 * dir[2], 0, 0, 0, up[0], up[1], up[2]);
    glCallList(piece->list);
    glFinish();
    int lit = 0;
    for (uint8_t v : readPixelsRgb(0, 0, 640, 480))
        lit += v != 0;
    return lit;
}

// A closed piece with every face wound out of it shows from any side. From
// the six axes and the eight corner directions (the box centre's among them
// for each piece), every piece of a box about the origin must draw.
TEST_F(DebrisTest, EveryPieceShowsFromEverySideWithBackFacesCulled)
{
    makeDebrisBox(makeColor4(-1, -1, -1), makeColor4(1, 1, 1));
    ASSERT_EQ(debris.count, 4);
    std::vector<std::array<double, 3>> dirs;
    for (int a = 0; a < 3; a++)
        for (double sgn : {-1.0, 1.0}) {
            std::array<double, 3> d = {0, 0, 0};
            d[a] = sgn;
            dirs.push_back(d);
        }
    const double s = 1.0 / std::sqrt(3.0);
    for (double x : {-s, s})
        for (double y : {-s, s})
            for (double z : {-s, s})
                dirs.push_back({x, y, z});
    for (int p = 0; p < 4; p++)
        for (const auto& d : dirs)
            EXPECT_GT(litPixelsFrom(debris.pieces[p], d.data()), 1000)
                << "piece " << p + 1 << " seen from (" << d[0] << ", " << d[1] << ", " << d[2] << ")";
}

TEST_F(DebrisTest, SmoothedNormalsEqualFaceNormalsBecauseNothingIsShared)
{
    makeDebrisBox(makeColor4(0, 0, 0), makeColor4(2, 3, 5));
    for (int p = 0; p < 4; p++) {
        const Mesh* m = debris.pieces[p];
        for (int f = 0; f < 4; f++)
            for (int k = 0; k < 3; k++) {
                int v = m->faces[f].v[k];
                EXPECT_FLOAT_EQ(m->normals[v][0], m->faces[f].normal.x);
                EXPECT_FLOAT_EQ(m->normals[v][1], m->faces[f].normal.y);
                EXPECT_FLOAT_EQ(m->normals[v][2], m->faces[f].normal.z);
            }
    }
}

TEST_F(DebrisTest, PiecesCarryAPlanarWorldTexture)
{
    // u = x + z, v = y + z per vertex: read back through feedback mode from
    // the piece's list, the only thing the piece keeps.
    makeDebrisBox(makeColor4(1, 2, 3), makeColor4(2, 4, 7));
    const Mesh* m = debris.pieces[0];
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-20, 20, -20, 20, -20, 20);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_CULL_FACE);
    std::vector<GLfloat> buf(4096);
    glFeedbackBuffer((GLsizei)buf.size(), GL_3D_COLOR_TEXTURE, buf.data());
    glRenderMode(GL_FEEDBACK);
    glCallList(m->list);
    int n = glRenderMode(GL_RENDER);
    ASSERT_EQ(n, 4 * (2 + 3 * 11));
    for (int t = 0; t < 4; t++)
        for (int k = 0; k < 3; k++) {
            const GLfloat* v = &buf[t * 35 + 2 + k * 11];
            // Window coords back to world: (-20..20) onto 640x480.
            double x = v[0] / 16.0 - 20, y = v[1] / 12.0 - 20;
            double z = 20 - v[2] * 40;  // depth 0..1 maps eye z -20..20 flipped
            EXPECT_NEAR(v[7], x + z, 1e-3);
            EXPECT_NEAR(v[8], y + z, 1e-3);
            EXPECT_EQ(v[9], 0.0f);
        }
}

TEST_F(DebrisTest, FullTableTakesNoMorePieces)
{
    for (int b = 0; b < 50; b++)
        makeDebrisBox(makeColor4((float)b, 0, 0), makeColor4((float)b + 1, 1, 1));
    ASSERT_EQ(debris.count, 200);
    std::vector<Mesh*> before(debris.pieces, debris.pieces + 200);
    GLuint probe = glGenLists(1);
    makeDebrisBox(makeColor4(0, 0, 0), makeColor4(1, 1, 1));
    EXPECT_EQ(debris.count, 200);
    for (int i = 0; i < 200; i++)
        EXPECT_EQ(debris.pieces[i], before[i]) << "entry " << i;
    // Nothing was compiled for the skipped pieces.
    EXPECT_EQ(glGenLists(1), probe + 1);
}

TEST_F(DebrisTest, TableHoldsFourPiecesOfEachBoxInCreationOrder)
{
    // A table already part-filled only takes what fits.
    for (int b = 0; b < 49; b++)
        makeDebrisBox(makeColor4(0, 0, 0), makeColor4(1, 1, 1));
    debris.count = 198;
    makeDebrisBox(makeColor4(10, 10, 10), makeColor4(11, 11, 11));
    ASSERT_EQ(debris.count, 200);
    EXPECT_FLOAT_EQ(debris.pieces[198]->center.z, 10.75f);  // piece 1, around c001
    EXPECT_FLOAT_EQ(debris.pieces[199]->center.x, 10.75f);  // piece 2, around c100
    EXPECT_FLOAT_EQ(debris.pieces[199]->center.z, 10.25f);
}

TEST_F(DebrisTest, MakeDebrisDrawsSevenValuesPerBoxInOrder)
{
    // Take the next 350 values of the shared generator, rewind it, and
    // check each box against them: centre from draws 1-6, size from 7.
    const uint32_t start = 12345;
    rand15State = start;
    std::vector<int> r(350);
    for (int& v : r)
        v = rand15();
    const uint32_t end = rand15State;

    rand15State = start;
    uint64_t drawsBefore = rand15Draws;
    makeDebris();
    EXPECT_EQ(rand15Draws - drawsBefore, 350u);
    EXPECT_EQ(rand15State, end);
    ASSERT_EQ(debris.count, 200);

    for (int b = 0; b < 50; b++) {
        SCOPED_TRACE("box " + std::to_string(b));
        const int* d = &r[b * 7];
        double cx = d[0] / 128.0 - d[1] / 128.0;
        double cy = d[2] / 128.0 - d[3] / 128.0;
        double cz = d[4] / 128.0 - d[5] / 128.0;
        double h = 16.0 + d[6] / 1024.0;
        Color4 lo = makeColor4((float)(cx - h), (float)(cy - h), (float)(cz - h));
        Color4 hi = makeColor4((float)(cx + h), (float)(cy + h), (float)(cz + h));
        for (int p = 0; p < 4; p++) {
            Vec3 want = expectedCentre(p, lo, hi);
            const Mesh* m = debris.pieces[b * 4 + p];
            EXPECT_NEAR(m->center.x, want.x, 1e-4) << "piece " << p;
            EXPECT_NEAR(m->center.y, want.y, 1e-4) << "piece " << p;
            EXPECT_NEAR(m->center.z, want.z, 1e-4) << "piece " << p;
        }
    }
}

TEST_F(DebrisTest, FirstBoxFromAFreshGenerator)
{
    // From the generator's start the first seven values are 41, 18467, 6334,
    // 26500, 19169, 15724, 11478: centre (-143.953125, -157.546875,
    // 26.9140625), half-size 27.208984375.
    rand15State = 1;
    makeDebris();
    ASSERT_EQ(debris.count, 200);
    const double h = 27.208984375;
    const Mesh* p1 = debris.pieces[0];
    EXPECT_NEAR(p1->center.x, -143.953125 - h / 2, 1e-4);
    EXPECT_NEAR(p1->center.y, -157.546875 - h / 2, 1e-4);
    EXPECT_NEAR(p1->center.z, 26.9140625 + h / 2, 1e-4);
    // Every box: centre within (-256, 256), half-size in [16, 48).
    for (int b = 0; b < 50; b++) {
        const Mesh* a = debris.pieces[b * 4];      // (0.25, 0.25, 0.75)
        const Mesh* c = debris.pieces[b * 4 + 3];  // (0.75, 0.75, 0.75)
        double half = c->center.x - a->center.x;   // half of the box's width
        EXPECT_GE(half, 16.0 - 1e-3) << "box " << b;
        EXPECT_LT(half, 48.0) << "box " << b;
        double centreX = a->center.x + half / 2;
        EXPECT_GT(centreX, -256.0);
        EXPECT_LT(centreX, 256.0);
    }
}

// ---- embedded model --------------------------------------------------------

TEST_F(DebrisTest, LoadModelMeshCompilesTheEmbeddedTablesIntoModelmesh)
{
    modelmesh = nullptr;
    Mesh* m = loadModelMesh(0);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(modelmesh, m);
    EXPECT_EQ(m->vertexCount, modelVertexCount);
    EXPECT_EQ(m->faceCount, modelFaceCount);
    EXPECT_EQ(m->flags, 0);
    EXPECT_EQ(m->positions, modelVertices) << "the tables are used in place, not copied";
    EXPECT_EQ(m->texcoords, nullptr);
    EXPECT_TRUE(glIsList(m->list));
    for (int f = 0; f < m->faceCount; f += 997)
        for (int k = 0; k < 3; k++)
            EXPECT_EQ(m->faces[f].v[k], modelFaces[f][k]);
    double sum[3] = {0, 0, 0};
    for (int i = 0; i < modelVertexCount; i++)
        for (int a = 0; a < 3; a++)
            sum[a] += modelVertices[i][a];
    // Float running sums over 6691 vertices stay within a few thousandths.
    EXPECT_NEAR(m->center.x, sum[0] / modelVertexCount, 0.01);
    EXPECT_NEAR(m->center.y, sum[1] / modelVertexCount, 0.01);
    EXPECT_NEAR(m->center.z, sum[2] / modelVertexCount, 0.01);

    // Drawn through its list, the whole model reaches GL: every triangle once.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-200, 200, -200, 200, -200, 200);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_CULL_FACE);
    std::vector<GLfloat> buf((size_t)modelFaceCount * (2 + 3 * 3) + 16);
    glFeedbackBuffer((GLsizei)buf.size(), GL_3D, buf.data());
    glRenderMode(GL_FEEDBACK);
    glCallList(m->list);
    int n = glRenderMode(GL_RENDER);
    EXPECT_EQ(n, modelFaceCount * 11);
}

TEST_F(DebrisTest, LoadModelMeshPassesItsFlagsOn)
{
    Mesh* m = loadModelMesh(DF_FLAT);
    EXPECT_EQ(m->flags, DF_FLAT);
    EXPECT_EQ(modelmesh, m);
}
