// A square tunnel of eight-block rings streaming past at one ring per beat;
// each ring keeps its own twist, and far rings grow radial ridges.
#include <cmath>
#include <numbers>

#include "fx/overlay.h"
#include "render/camera.h"
#include "platform/gl.h"
#include "render/state.h"
#include "render/texbind.h"
#include "scenes/mesh_draw.h"
#include "scenes/scenes.h"
#include "mesh/meshes.h"
#include "texture/assets.h"

void drawBox(float sx, float sy, float sz, float x, float y, float z)
{
    glPushMatrix();
    glTranslatef(x, y, z);
    glScalef(sx * 0.5f, sy * 0.5f, sz * 0.5f);
    drawMesh(cubemesh);
    glPopMatrix();
}

static float ringStretch(float d)
{
    float c = (float)(1.0 + 2.0 * d);
    if (c < 1.0f)
        c = 1.0f;
    if (c > 3.0f)
        c = 3.0f;
    return c;
}

// Eight blocks on the border of a 4 x 4 square, corners left out; every
// second block stretches away from the axis about its own centre.
void drawTunnelRing(float d, float angle, float z)
{
    const float c = ringStretch(d);
    glPushMatrix();
    glRotatef(angle, 0.0f, 0.0f, 1.0f);
    glTranslatef(0.0f, 0.0f, z);
    drawBox(1.0f, 1.0f, 1.0f, 0.5f, 1.5f, 0.0f);
    drawBox(1.0f, c, 1.0f, -0.5f, 1.5f, 0.0f);
    drawBox(1.0f, 1.0f, 1.0f, -1.5f, 0.5f, 0.0f);
    drawBox(c, 1.0f, 1.0f, -1.5f, -0.5f, 0.0f);
    drawBox(1.0f, 1.0f, 1.0f, -0.5f, -1.5f, 0.0f);
    drawBox(1.0f, c, 1.0f, 0.5f, -1.5f, 0.0f);
    drawBox(1.0f, 1.0f, 1.0f, 1.5f, -0.5f, 0.0f);
    drawBox(c, 1.0f, 1.0f, 1.5f, 0.5f, 0.0f);
    glPopMatrix();
}

void drawSlabTunnelScene(float t)
{
    const float z = (float)(16.0 * t);
    const int n = (int)(8.0 * t + 0.5);
    applyRenderState(&blackPreset);

    Camera camera;
    camera.eye = Vec3{(float)(1.5 * std::sin(n + 4.8297 * t)), (float)std::sin(n + 5.2112 * t),
                      (float)(2.0 * std::sin(t * std::numbers::pi / 2.0))};
    camera.fov = 110.0f;
    setCamera(camera, Vec3{0.0f, 0.0f, 0.0f}, 0);

    bindTexture(txtr2tex, 0);
    glPushMatrix();
    glScalef(15.0f, 15.0f, 15.0f);
    glTranslatef(0.0f, 0.0f, -z);
    // The angle depends on the ring index only, so a ring keeps its twist
    // as it travels; d is a quarter of its distance from the viewer.
    const int m = (int)z;
    const double w = std::fmod((double)z, 1.0) * 0.25;
    for (int i = m - 8; i <= m + 7; i++)
        drawTunnelRing((float)std::fabs((i - m) * 0.25 - w), (float)(70.0 * std::sin(0.2803 * i)), (float)i);
    glPopMatrix();

    drawOverlay(bg1tex, 1.0f, DF_MULTIPLY);
    drawOverlay(bg2tex, 1.0f, DF_ALPHA);
}
