#include "fx/overlay.h"

#include <algorithm>
#include <cmath>

#include "render/camera.h"
#include "platform/gl.h"
#include "render/state.h"
#include "render/texbind.h"

// The first blend bit present wins; without one the texture replaces the frame.
static void selectBlend(int flags)
{
    if (flags & DF_ADD) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE);
    } else if (flags & DF_DARKEN) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_ZERO, GL_ONE_MINUS_SRC_COLOR);
    } else if (flags & DF_MULTIPLY) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_ZERO, GL_SRC_COLOR);
    } else if (flags & DF_ALPHA) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    } else {
        glDisable(GL_BLEND);
    }
}

static void disableSceneState()
{
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
}

// Texture row 0 at the top of the viewport, so a picture stored top row
// first shows upright. z = 0.201 sits just inside the ortho near limit.
static void drawScreenQuad(float intensity)
{
    glColor4f(intensity, intensity, intensity, intensity);
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

void drawOverlay(const Texture* texture, float intensity, int flags)
{
    pushState();
    selectBlend(flags);
    setOrtho(flags);
    bindTexture(texture, flags);
    // Crop to rows 1/8..7/8: a 4:3 picture fills the 1.78 band undistorted.
    glMatrixMode(GL_TEXTURE);
    glTranslatef(0.0f, 0.125f, 0.0f);
    glScalef(1.0f, 0.75f, 1.0f);
    glMatrixMode(GL_MODELVIEW);
    disableSceneState();
    drawScreenQuad(intensity);
    popState();
}

// The quad crosses at most span / (shorter viewport side) texels per pixel,
// span being the longer side of the texture as scaled, at any angle. Under
// one half (a margin for a renderer's approximate level of detail) the
// texture is only ever magnified.
static bool onlyMagnified(const Texture* texture, float zoom, float scaleX, float scaleY)
{
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    const double span =
        std::max(texture->width * std::fabs((double)scaleX / zoom), texture->height * std::fabs((double)scaleY / zoom));
    return 2.0 * span <= std::min(viewport[2], viewport[3]);
}

void drawTexturedQuad(const Texture* texture, float shiftX, float shiftY, float zoom, float scaleX, float scaleY,
                      float angle, float intensity, int flags)
{
    pushState();
    bindTexture(texture, flags);
    selectBlend(flags);
    setOrtho(flags);
    if (onlyMagnified(texture, zoom, scaleX, scaleY))
        skipMipSelection();
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glTranslatef(shiftX, shiftY, 0.0f);
    glTranslatef(0.5f, 0.5f, 0.0f);
    glScalef((float)((double)scaleX / zoom), (float)((double)scaleY / zoom), 1.0f);
    glRotatef(angle, 0.0f, 0.0f, 1.0f);
    glTranslatef(-0.5f, -0.5f, 0.0f);
    glMatrixMode(GL_MODELVIEW);
    disableSceneState();
    drawScreenQuad(intensity);
    popState();
}
