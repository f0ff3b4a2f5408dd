// A frozen cloud of 128 black cubes with one white fin per face triangle,
// circled twice per pattern by a camera whose distance pulses every two beats.
#include <cmath>
#include <numbers>

#include "fx/overlay.h"
#include "render/camera.h"
#include "platform/gl.h"
#include "render/state.h"
#include "scenes/fins.h"
#include "scenes/mesh_draw.h"
#include "scenes/scenes.h"
#include "mesh/meshes.h"
#include "texture/assets.h"
#include "texture/procedural.h"

int swarmTable[256];
int swarmCalls = 0;

// Filled on the first frame, not at start-up: the layout depends on what
// the generator gave out before.
static void fillSwarmTableOnce()
{
    if (swarmCalls++ != 0)
        return;
    for (int i = 0; i < 256; i++)
        swarmTable[i] = rand15();
}

static void setSwarmCamera(float t)
{
    const double q = std::fmod(8.0 * t + 0.5, 1.0);
    const double r = 33.0 + 5.0 * q;
    const double angle = 4.0 * std::numbers::pi * t;
    projshiftx = 0.35f;
    projshifty = 0.1f;
    Camera camera;
    camera.eye = Vec3{(float)(r * std::sin(angle)), 0.0f, (float)(r * std::cos(angle))};
    camera.fov = 120.0f;
    setCamera(camera, Vec3{0.0f, 0.0f, 0.0f}, 0);
}

static float swarmCoordinate(int value)
{
    return (float)(value * 0.0030517578125 - 50.0);
}

static void drawSwarmCube(int k)
{
    const int* table = swarmTable;
    const float s = (float)(5.0 + table[k] * (1.0 / 4096.0));
    const float x = swarmCoordinate(table[k + 18]);
    const float y = swarmCoordinate(table[k + 91]);
    const float z = swarmCoordinate(table[k + 74]);
    const float a1 = (float)(table[k + 81] / 100);
    const float a2 = (float)(table[k + 77] / 100);
    pushState();
    glColor3f(0.0f, 0.0f, 0.0f);
    glDisable(GL_TEXTURE_2D);
    glTranslatef(x, y, z);
    glScalef(s, s, s);
    glRotatef(a1, 1.0f, 0.0f, 1.0f);
    glRotatef(a2, -1.0f, 1.0f, 0.0f);
    drawMesh(cubemesh);
    drawFinsRandomEdge(cubemesh, txtr2tex, 2.0f);
    popState();
}

void drawCubeSwarmScene(float t)
{
    fillSwarmTableOnce();
    applyRenderState(&blackPreset);
    drawOverlay(bg1tex, 1.0f, 0);
    setSwarmCamera(t);
    glColor3f(0.0f, 0.0f, 0.0f);
    glScalef(0.4f, 0.4f, 0.4f);
    for (int k = 0; k < 128; k++)
        drawSwarmCube(k);
}
