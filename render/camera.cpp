#include "render/camera.h"

#include "core/frame.h"
#include "platform/gl.h"

float xpos = 0.0f, ypos = 0.0f, zpos = 0.0f, xrot = 0.0f, yrot = 0.0f;
float projshiftx = 0.0f;
float projshifty = 0.0f;

// The whole frame with DF_FULLSCREEN (literal size), else the letterbox band.
static void setViewport(int flags)
{
    if (flags & DF_FULLSCREEN)
        glViewport(0, 0, FRAME_WIDTH, FRAME_HEIGHT);
    else
        glViewport(0, (int)(screenheight * 0.125), screenwidth, (int)(screenheight * 0.75));
}

void setOrtho(int flags)
{
    setViewport(flags);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // Negative near/far: visible eye-space z runs from +0.2 to +1000, so
    // screen quads sit at z = 0.201.
    glOrtho(-1.0, 1.0, -1.0, 1.0, -0.2, -1000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void setPerspective(float fov, int flags)
{
    setViewport(flags);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glTranslatef(projshiftx, projshifty, 0.0f);
    gluPerspective(fov, 1.5999999999999999, 0.2, 1000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void setCamera(const Camera& camera, const Vec3& target, int flags)
{
    setPerspective(camera.fov, flags);
    gluLookAt(camera.eye.x, camera.eye.y, camera.eye.z, target.x, target.y, target.z, 0.0, 1.0, 0.0);
}
