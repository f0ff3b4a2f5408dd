#include "fx/flicker.h"

#include <cmath>

#include "music/spectrum.h"
#include "render/camera.h"
#include "platform/gl.h"
#include "render/texbind.h"
#include "texture/assets.h"
#include "texture/procedural.h"

void drawFlickerOverlay(float t)
{
    float a = (float)std::pow(0.15 * bandEnergy[2], 2.0);
    float zoom = (float)(0.8 + 0.3 * std::sin(1.7291 * t));
    setOrtho(0);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_FOG);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    bindTexture(noisetex, DF_NEAREST);
    // About 16 texels across and 240 up the screen: wide, flat streaks.
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glScalef((float)(zoom * 0.0625), (float)(zoom * 0.9375), 0.0f);
    int r1 = rand15();
    int r2 = rand15();
    glTranslatef((float)(r2 / 32768.0), (float)(r1 / 32768.0), 0.0f);
    glMatrixMode(GL_MODELVIEW);
    // Even at the largest zoom, 18 texels across and 264 up: only magnified.
    skipMipSelection();
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

float flickerFullLevel()
{
    return (float)(1.0 / 0.15);
}
