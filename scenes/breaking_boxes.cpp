// Fifty chrome boxes of four pieces each, whole for the first half of every
// two beats, then bursting outward and twisting until the next two-beat point.
#include <cmath>
#include <numbers>

#include "fx/overlay.h"
#include "mesh/debris.h"
#include "render/camera.h"
#include "platform/gl.h"
#include "render/state.h"
#include "render/texbind.h"
#include "scenes/mesh_draw.h"
#include "scenes/scenes.h"
#include "texture/assets.h"
#include "texture/procedural.h"

float twistTable[1024];
int twistCalls = 0;

static void fillTwistTableOnce()
{
    if (twistCalls++ != 0)
        return;
    for (int i = 0; i < 1024; i++)
        twistTable[i] = (float)(rand15() * (1.0 / 16384.0) - 1.0);
}

// Index into the 1024-entry table, wrapping negative values too.
static float twist(int i)
{
    return twistTable[((i % 1024) + 1024) % 1024];
}

// Spread f pushes the piece away from the vertical axis; spin s turns it
// about its own centre.
static void drawPiece(int i, float spread, float spin, float p)
{
    const Mesh* piece = debris.pieces[i];
    const Vec3 c = piece->center;
    const float w = twist(i);
    const float ax = twist(1023 - (i % 1024));
    const float ay = twist(i + 512);
    const float az = twist(512 - i);
    glPushMatrix();
    glTranslatef(spread * c.x, c.y, spread * c.z);
    glRotatef((float)((double)spin * w * p * 90.0), ax, ay, az);
    glTranslatef(-c.x, -c.y, -c.z);
    drawMesh(piece);
    glPopMatrix();
}

void drawBreakingBoxesScene(float t)
{
    const float radius = (float)(280.0 + 50.0 * std::sin(std::numbers::pi * t));
    const float p = (float)std::fmod(8.0 * t, 1.0);
    const int n = (int)(8.0 * t + 0.5);
    fillTwistTableOnce();
    const float spin = p < 0.5f ? 0.0f : (float)((p - 0.5) * 0.5);
    const float spread = p < 0.5f ? 1.0f : (float)(1.0 + 3.0 * (p - 0.5));

    applyRenderState(&blackPreset);
    drawOverlay(bg3tex, 1.0f, 0);

    projshiftx = 0.3f;
    const double a = n + 4.0 * std::numbers::pi * t;
    Camera camera;
    camera.eye = Vec3{(float)(radius * std::sin(a)), (float)(0.25 * radius * std::sin(0.8 * std::numbers::pi * t)),
                      (float)(radius * std::cos(a))};
    camera.fov = 100.0f;
    setCamera(camera, Vec3{0.0f, 0.0f, 0.0f}, 0);

    bindTexture(metaltex, 0);
    for (int i = 0; i < debris.count; i++)
        drawPiece(i, spread, spin, p);

    drawOverlay(bg5tex, 1.0f, DF_ALPHA);
}
