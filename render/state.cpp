#include "render/state.h"

#include "core/runstate.h"
#include "core/frame.h"
#include "render/camera.h"
#include "platform/gl.h"

const RenderState blackPreset = {{0.0f, 0.0f, 0.0f, 1.0f}};
int letterboxClears = 0;
int vertexcount = 0;
int polygoncount = 0;

static void resetEnables()
{
    glFrontFace(GL_CCW);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glDisable(GL_LIGHTING);
    glDisable(GL_BLEND);
    glDisable(GL_FOG);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDisable(GL_TEXTURE_GEN_Q);
    glDisable(GL_TEXTURE_GEN_R);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glDisable(GL_TEXTURE_1D);
    glDisable(GL_TEXTURE_2D);
    glShadeModel(GL_SMOOTH);
    glDisable(GL_NORMALIZE);
    glDisable(GL_AUTO_NORMAL);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_ALWAYS, 0.0f);
    glDisable(GL_COLOR_MATERIAL);
    glDisable(GL_DITHER);
    glDisable(GL_LINE_SMOOTH);
    glDisable(GL_POLYGON_SMOOTH);
    glDisable(GL_POINT_SMOOTH);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_LINE_STIPPLE);
    glDisable(GL_INDEX_LOGIC_OP);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
}

static void resetColourAndMaterial()
{
    static const GLfloat ambient[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    static const GLfloat diffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
    static const GLfloat specular[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    static const GLfloat emission[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glDepthMask(GL_TRUE);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, emission);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 0.0f);
}

// The first frames after the music starts wipe the whole window (both halves
// of the double buffer) so the bars outside the letterbox band are clean.
static void clearLetterboxBars()
{
    if (musicStarted != 1)
        return;
    int before = letterboxClears++;
    if (before >= 8)
        return;
    glViewport(0, 0, screenwidth, screenheight);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glViewport(0, (int)(screenheight * 0.125), screenwidth, (int)(screenheight * 0.75));
}

void applyRenderState(const RenderState* preset)
{
    resetEnables();
    resetColourAndMaterial();
    clearLetterboxBars();
    if (preset) {
        const Color4& c = preset->clearColor;
        glClearColor(c.x, c.y, c.z, c.w);
        glClearDepth(1.0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    polygoncount = 0;
    vertexcount = 0;
    projshiftx = 0.0f;
    projshifty = 0.0f;
}

void pushState()
{
    // Blend function, alpha function, colour mask, clear colour and matrix
    // mode are deliberately not part of the mask.
    glPushAttrib(0x6AFFB);
    glMatrixMode(GL_TEXTURE);
    glPushMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
}

void popState()
{
    glPopAttrib();
    glMatrixMode(GL_TEXTURE);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

void setFog(const Color4& color, float start, float end)
{
    GLfloat c[4] = {color.x, color.y, color.z, color.w};
    glEnable(GL_FOG);
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glFogf(GL_FOG_DENSITY, 1.0f);
    glFogfv(GL_FOG_COLOR, c);
    glFogf(GL_FOG_START, start);
    glFogf(GL_FOG_END, end);
    glHint(GL_FOG_HINT, GL_NICEST);
}
