// The model in sphere-mapped chrome, circled by a gliding camera, breaking
// into spinning triangles in the second half of every two beats.
#include <cmath>

#include "fx/overlay.h"
#include "render/camera.h"
#include "platform/gl.h"
#include "render/state.h"
#include "render/texbind.h"
#include "scenes/mesh_draw.h"
#include "scenes/scenes.h"
#include "mesh/meshes.h"
#include "texture/assets.h"

void drawMetalModelScene(float t)
{
    const double p = std::fmod(8.0 * t, 1.0);
    applyRenderState(&blackPreset);
    drawOverlay(bg5tex, 1.0f, 0);

    projshiftx = 0.35f;
    projshifty = 0.1f;
    Camera camera;
    camera.eye = Vec3{(float)(64.0 * std::sin(2.548 * t)), (float)(64.0 * std::sin(1.081 * t)),
                      (float)(64.0 * std::cos(2.351 * t))};
    camera.fov = 100.0f;
    setCamera(camera, Vec3{0.0f, 0.0f, 0.0f}, 0);

    bindTexture(metaltex, 0);
    if (p < 0.5)
        drawMesh(modelmesh);
    else
        drawMeshShattered(modelmesh, (float)((p - 0.5) * 2.0 * 0.2), 40.0f);

    drawOverlay(bg4tex, 1.0f, DF_ALPHA);
}
