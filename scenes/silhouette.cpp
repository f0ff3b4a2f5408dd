// The opening and closing scene: the model as a black silhouette outlined by
// growing fins over a photograph, fading in and out.
#include <algorithm>
#include <cmath>

#include "fx/overlay.h"
#include "render/camera.h"
#include "platform/gl.h"
#include "render/state.h"
#include "scenes/fins.h"
#include "scenes/mesh_draw.h"
#include "scenes/scenes.h"
#include "mesh/meshes.h"
#include "texture/assets.h"
#include "core/clamp.h"

static float silhouetteFade(float t)
{
    if (t < 2.0f)
        return (float)(t / 2.0);
    if (t < 36.0f)
        return 1.0f;
    return clampUnit((float)(1.0 - ((double)t - 36.0)));
}

// Cuts every two beats only between patterns 6 and 36; outside, the camera glides.
static int silhouetteCut(float t)
{
    if (t < 6.0f || t >= 36.0f)
        return 0;
    return (int)(8.0 * t + 0.5);
}

void drawSilhouetteScene(float t)
{
    const float fade = silhouetteFade(t);
    const int n = silhouetteCut(t);
    applyRenderState(&blackPreset);
    drawOverlay(t < 6.0f ? bg5tex : bg4tex, fade, 0);

    projshiftx = 0.35f;
    projshifty = 0.1f;
    Camera camera;
    camera.eye = Vec3{(float)(64.0 * std::sin(n + 2.548 * t)), (float)(64.0 * std::sin(n + 1.081 * t)),
                      (float)(64.0 * std::cos(n + 2.351 * t))};
    camera.fov = 100.0f;
    setCamera(camera, Vec3{0.0f, 0.0f, 0.0f}, 0);

    // Flat black and depth-writing: hides the fins behind it.
    glDisable(GL_TEXTURE_2D);
    glColor3f(0.0f, 0.0f, 0.0f);
    drawMesh(modelmesh);

    const float e = (float)(0.3 * fade);
    glColor3f(e, e, e);
    // Far fins fade to black, which under additive blending is nothing.
    setFog(blackPreset.clearColor, 0.0f, 128.0f);
    const float length = (float)(5.0 * std::min(std::max((double)t * (1.0 / 6.0), 0.0), 1.0));
    // Black fins in black fog add nothing: once faded out (the show's last
    // five seconds) the 39,000 of them would still cost a software renderer
    // most of the frame.
    if (e > 0.0f)
        drawFinsAllEdges(modelmesh, txtr2tex, length);
    else
        skipFinsAllEdges(txtr2tex);

    if (t >= 32.0f && t < 36.0f)
        drawOverlay(bg5tex, 1.0f, DF_ALPHA);
    if (t >= 36.0f)
        drawOverlay(bg6tex, 1.0f, DF_ALPHA);
}
