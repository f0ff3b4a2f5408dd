// Drawing shortcuts taken for speed must give the very pixels of the plain
// way of drawing: the shattered mesh and the fins from vertex arrays against
// one glBegin/glEnd primitive at a time, and magnified quads without a mip
// level choice against the trilinear filter every bind asks for.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "fx/overlay.h"
#include "mesh/debris.h"
#include "mesh/mesh.h"
#include "music/spectrum.h"
#include "render/camera.h"
#include "platform/gl.h"
#include "render/state.h"
#include "render/texbind.h"
#include "scenes/fins.h"
#include "fx/flicker.h"
#include "render/vecmath.h"
#include "scenes/mesh_draw.h"
#include "tests/support/gl_fixture.h"
#include "tests/test_scenes_support.h"
#include "texture/assets.h"
#include "texture/procedural.h"

namespace {

using FastPaths = SceneGlTest;

std::vector<uint8_t> wholeFrame()
{
    return readPixelsRgb(0, 0, 640, 480);
}

int litPixels(const std::vector<uint8_t>& rgb)
{
    int n = 0;
    for (size_t i = 0; i + 2 < rgb.size(); i += 3)
        n += rgb[i] + rgb[i + 1] + rgb[i + 2] > 0;
    return n;
}

int differingBytes(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    int n = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); i++)
        n += a[i] != b[i];
    return n;
}

// A picture with detail in every texel, so a different filter shows.
Texture* speckled(int size, int flags)
{
    return makeTestTexture(
        size, size,
        [](int x, int y) {
            const unsigned h = ((unsigned)x * 73856093u) ^ ((unsigned)y * 19349663u);
            return Rgba{(uint8_t)(h >> 3), (uint8_t)(h >> 11), (uint8_t)(h >> 19), 255};
        },
        flags);
}

// The shattered draw as first written: one immediate-mode triangle per
// face between the same matrix operations.
void shatteredImmediate(const Mesh* mesh, float amount, float distance)
{
    pushState();
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
    const float angle = (float)((double)amount * 360.0);
    const float offset = (float)((double)distance * amount);
    for (int i = 0; i < mesh->faceCount; i++) {
        const int* v = mesh->faces[i].v;
        const float* pa = mesh->positions[v[0]];
        const float* na = mesh->normals[v[0]];
        glPushMatrix();
        glTranslatef(na[0] * offset, na[1] * offset, na[2] * offset);
        glTranslatef(pa[0], pa[1], pa[2]);
        glRotatef(angle, (float)std::sin((double)pa[0]), (float)std::sin((double)mesh->positions[v[1]][1]),
                  (float)std::sin((double)mesh->positions[v[2]][2]));
        glTranslatef(-pa[0], -pa[1], -pa[2]);
        glBegin(GL_TRIANGLES);
        for (int k = 0; k < 3; k++) {
            if (mesh->texcoords)
                glTexCoord2f(mesh->texcoords[v[k]][0], mesh->texcoords[v[k]][1]);
            glNormal3f(mesh->normals[v[k]][0], mesh->normals[v[k]][1], mesh->normals[v[k]][2]);
            glVertex3f(mesh->positions[v[k]][0], mesh->positions[v[k]][1], mesh->positions[v[k]][2]);
        }
        glEnd();
        glPopMatrix();
    }
    popState();
}

std::vector<uint8_t> shatteredFrame(const Mesh* mesh, const Camera& camera, const Texture* texture, int mode,
                                    float amount, bool immediate)
{
    applyRenderState(&blackPreset);
    setCamera(camera, Vec3{0, 0, 0}, 0);
    bindTexture(texture, mode);
    if (immediate)
        shatteredImmediate(mesh, amount, 40.0f);
    else
        drawMeshShattered(mesh, amount, 40.0f);
    return wholeFrame();
}

TEST_F(FastPaths, ShatteredMeshDrawsWhatImmediateModeDraws)
{
    Mesh* model = loadModelMesh(0);
    Mesh* cube = makeCubeMesh(8.0f, 0);
    ASSERT_NE(model, nullptr);
    ASSERT_EQ(model->texcoords, nullptr) << "the model takes the sphere map's coordinates";
    ASSERT_NE(cube->texcoords, nullptr);
    Texture* picture = speckled(64, 0);
    const Camera modelView{Vec3{40.0f, 25.0f, 45.0f}, 100.0f};
    const Camera cubeView{Vec3{14.0f, 10.0f, 18.0f}, 60.0f};
    for (float amount : {0.0f, 0.02f, 0.08f, 0.2f}) {
        auto plain = shatteredFrame(model, modelView, picture, DF_SPHEREMAP, amount, true);
        auto fast = shatteredFrame(model, modelView, picture, DF_SPHEREMAP, amount, false);
        EXPECT_GT(litPixels(plain), 5000) << "the model is on screen";
        EXPECT_EQ(differingBytes(plain, fast), 0) << "model, amount " << amount;

        plain = shatteredFrame(cube, cubeView, picture, 0, amount, true);
        fast = shatteredFrame(cube, cubeView, picture, 0, amount, false);
        EXPECT_GT(litPixels(plain), 5000) << "the cube is on screen";
        EXPECT_EQ(differingBytes(plain, fast), 0) << "cube, amount " << amount;
    }
}

// A caller's arrays neither colour the shards nor get lost.
TEST_F(FastPaths, ShatteredMeshKeepsTheCallersArraysOutAndOn)
{
    Mesh* cube = makeCubeMesh(8.0f, 0);
    Texture* picture = speckled(64, 0);
    const Camera view{Vec3{14.0f, 10.0f, 18.0f}, 60.0f};
    auto plain = shatteredFrame(cube, view, picture, 0, 0.05f, true);
    std::vector<float> red(4 * 1024, 0.0f);
    for (size_t i = 0; i < red.size(); i += 4)
        red[i] = red[i + 3] = 1.0f;
    glColorPointer(4, GL_FLOAT, 0, red.data());
    glEnableClientState(GL_COLOR_ARRAY);
    auto fast = shatteredFrame(cube, view, picture, 0, 0.05f, false);
    EXPECT_EQ(differingBytes(plain, fast), 0);
    EXPECT_TRUE(glIsEnabled(GL_COLOR_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_NORMAL_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
    glDisableClientState(GL_COLOR_ARRAY);
}

// The fins as first written: one glBegin/glEnd strip per fin.
void finStripImmediate(const Mesh* mesh, int a, int b, const Vec3& n, float length)
{
    const float* pa = mesh->positions[a];
    const float* pb = mesh->positions[b];
    auto tip = [&](const float* p, int k) { return (float)((double)length * (&n.x)[k] + p[k]); };
    glBegin(GL_TRIANGLE_STRIP);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(pa[0], pa[1], pa[2]);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(tip(pa, 0), tip(pa, 1), tip(pa, 2));
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(pb[0], pb[1], pb[2]);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(tip(pb, 0), tip(pb, 1), tip(pb, 2));
    glEnd();
}

Vec3 normalOf(const Mesh* mesh, const MeshFace& face)
{
    Vec3 c[3];
    for (int k = 0; k < 3; k++)
        c[k] = Vec3{mesh->positions[face.v[k]][0], mesh->positions[face.v[k]][1], mesh->positions[face.v[k]][2]};
    Vec3 n;
    faceNormal(c[0], c[1], c[2], n);
    return n;
}

// The model's silhouette set-up: black model, grey fins under black fog.
std::vector<uint8_t> modelFinsFrame(const Mesh* model, const Texture* texture, float length, bool immediate)
{
    applyRenderState(&blackPreset);
    setCamera(Camera{Vec3{40.0f, 25.0f, 45.0f}, 100.0f}, Vec3{0, 0, 0}, 0);
    glDisable(GL_TEXTURE_2D);
    glColor3f(0.0f, 0.0f, 0.0f);
    drawMesh(model);
    glColor3f(0.3f, 0.3f, 0.3f);
    setFog(blackPreset.clearColor, 0.0f, 128.0f);
    if (!immediate) {
        drawFinsAllEdges(model, texture, length);
        return wholeFrame();
    }
    drawFinsAllEdges(model, texture, 0.0f);  // the state, with nothing visible
    for (int i = 0; i < model->faceCount; i++) {
        const MeshFace& face = model->faces[i];
        const Vec3 n = normalOf(model, face);
        for (int k = 0; k < 3; k++)
            finStripImmediate(model, face.v[k], face.v[(k + 1) % 3], n, length);
    }
    return wholeFrame();
}

TEST_F(FastPaths, AllEdgeFinsDrawWhatOneStripAtATimeDraws)
{
    Mesh* model = loadModelMesh(0);
    Texture* picture = speckled(128, DF_CLAMP);
    for (float length : {0.4f, 2.5f, 5.0f}) {
        auto plain = modelFinsFrame(model, picture, length, true);
        auto fast = modelFinsFrame(model, picture, length, false);
        EXPECT_GT(litPixels(plain), 20000) << length;
        EXPECT_EQ(differingBytes(plain, fast), 0) << "length " << length;
    }
}

TEST_F(FastPaths, RandomEdgeFinsDrawWhatOneStripAtATimeDraws)
{
    Mesh* cube = makeCubeMesh(8.0f, 0);
    Texture* picture = speckled(64, DF_CLAMP);
    auto frame = [&](bool immediate) {
        applyRenderState(&blackPreset);
        setCamera(Camera{Vec3{14.0f, 10.0f, 18.0f}, 60.0f}, Vec3{0, 0, 0}, 0);
        drawFinsRandomEdge(cube, picture, immediate ? 0.0f : 6.0f);
        for (int i = 0; immediate && i < cube->faceCount; i++) {
            const MeshFace& face = cube->faces[i];
            const int k = randomEdgeTable[i % 256] % 3;
            finStripImmediate(cube, face.v[k], face.v[(k + 1) % 3], normalOf(cube, face), 6.0f);
        }
        return wholeFrame();
    };
    auto plain = frame(true);
    auto fast = frame(false);
    EXPECT_GT(litPixels(plain), 5000);
    EXPECT_EQ(differingBytes(plain, fast), 0);
}

// What follows the fins sees what immediate-mode strips leave: the last
// vertex's texture coordinate, and the caller's arrays as they were.
TEST_F(FastPaths, FinsLeaveTheCurrentStateOfTheirStrips)
{
    Mesh* cube = makeCubeMesh(1.0f, 0);
    glTexCoord2f(0.3f, 0.6f);
    glEnableClientState(GL_NORMAL_ARRAY);
    std::vector<float> normals(3 * 64, 0.0f);
    glNormalPointer(GL_FLOAT, 0, normals.data());
    drawFinsAllEdges(cube, speckled(4, 0), 1.0f);
    GLfloat tc[4];
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, tc);
    EXPECT_EQ(tc[0], 1.0f);
    EXPECT_EQ(tc[1], 0.0f);
    EXPECT_TRUE(glIsEnabled(GL_NORMAL_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
    glDisableClientState(GL_NORMAL_ARRAY);
}

// drawTexturedQuad as first written, keeping the bind's trilinear minification.
void texturedQuadTrilinear(const Texture* texture, float zoom, float scaleX, float scaleY, float angle, int flags)
{
    pushState();
    bindTexture(texture, flags);
    if (flags & DF_ADD) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE);
    } else {
        glDisable(GL_BLEND);
    }
    setOrtho(flags);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glTranslatef(0.5f, 0.5f, 0.0f);
    glScalef((float)((double)scaleX / zoom), (float)((double)scaleY / zoom), 1.0f);
    glRotatef(angle, 0.0f, 0.0f, 1.0f);
    glTranslatef(-0.5f, -0.5f, 0.0f);
    glMatrixMode(GL_MODELVIEW);
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glColor4f(0.8f, 0.8f, 0.8f, 0.8f);
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
    popState();
}

TEST_F(FastPaths, TexturedQuadsDrawWhatTrilinearFilteringDraws)
{
    struct Case {
        int size;
        float zoom, scaleX, scaleY, angle;
        int flags;
    } cases[] = {
        {32, 1.0f, 1.0f, -1.0f, 0.0f, DF_ADD | DF_NEAREST},  // the mosaic's grids
        {16, 1.0f, 1.0f, -1.0f, 0.0f, DF_ADD},
        {4, 1.0f, 1.0f, -1.0f, 0.0f, DF_ADD},
        {64, 0.7f, 1.3f, 1.0f, 33.0f, 0},  // turned and zoomed, still magnified
        {128, 1.0f, 1.0f, 1.0f, 0.0f, DF_FULLSCREEN},
        {1024, 1.0f, 1.0f, 1.0f, 0.0f, 0},           // minified: must keep the mip levels
        {256, 0.5f, 1.0f, 1.0f, 20.0f, DF_NEAREST},  // minified through the zoom
    };
    for (const Case& c : cases) {
        Texture* texture = speckled(c.size, DF_CLAMP);
        applyRenderState(&blackPreset);
        texturedQuadTrilinear(texture, c.zoom, c.scaleX, c.scaleY, c.angle, c.flags);
        auto plain = wholeFrame();
        applyRenderState(&blackPreset);
        drawTexturedQuad(texture, 0.0f, 0.0f, c.zoom, c.scaleX, c.scaleY, c.angle, 0.8f, c.flags);
        auto fast = wholeFrame();
        EXPECT_GT(litPixels(plain), 200000) << c.size;
        EXPECT_EQ(differingBytes(plain, fast), 0) << "size " << c.size << ", flags 0x" << std::hex << c.flags;
    }
}

// The flicker overlay as first written, with the bind's trilinear minification.
void flickerTrilinear(float t)
{
    float a = (float)std::pow(0.15 * bandEnergy[2], 2.0);
    float zoom = (float)(0.8 + 0.3 * std::sin(1.7291 * t));
    setOrtho(0);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_FOG);
    bindTexture(noisetex, DF_NEAREST);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glScalef((float)(zoom * 0.0625), (float)(zoom * 0.9375), 0.0f);
    int r1 = rand15();
    int r2 = rand15();
    glTranslatef((float)(r2 / 32768.0), (float)(r1 / 32768.0), 0.0f);
    glMatrixMode(GL_MODELVIEW);
    glColor4f(a, a, a, 1.0f);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
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

TEST_F(FastPaths, FlickerDrawsWhatTrilinearFilteringDraws)
{
    Texture* saved = noisetex;
    noisetex = makeNoiseTexture(256, 256, 0, 255, Color4{1, 1, 1, 0}, 0);
    const float savedBand = bandEnergy[2];
    bandEnergy[2] = 5.0f;
    // Zoom runs 0.5 to 1.1: the times cover both ends and the middle.
    for (float t : {0.0f, 0.9084f, 2.7252f, 6.3f, 11.17f}) {
        const uint32_t seed = rand15State;
        applyRenderState(&blackPreset);
        flickerTrilinear(t);
        auto plain = wholeFrame();
        rand15State = seed;
        applyRenderState(&blackPreset);
        drawFlickerOverlay(t);
        auto fast = wholeFrame();
        EXPECT_GT(litPixels(plain), 100000) << t;
        EXPECT_EQ(differingBytes(plain, fast), 0) << "t " << t;
    }
    bandEnergy[2] = savedBand;
    noisetex = saved;
}

}  // namespace
