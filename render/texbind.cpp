#include "render/texbind.h"

#include "render/caps.h"
#include "platform/gl.h"

static void setFilter(GLint filter)
{
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
}

static void setWrap(GLint wrap)
{
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
}

static void enableSphereMap()
{
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
}

// Filter and wrap live in the texture object, so every bind rewrites them;
// clampmode is read here each time because the capability check may set it
// after the first textures exist.
void bindTexture(const Texture* texture, int mode)
{
    glDisable(GL_TEXTURE_1D);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture->name);

    setFilter((texture->flags & DF_NEAREST) ? GL_NEAREST : GL_LINEAR);
    if (mode & DF_NEAREST)
        setFilter(GL_NEAREST);
    // Every texture carries its full mip chain, so minification is always trilinear.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);

    setWrap((texture->flags & DF_CLAMP) ? clampmode : GL_REPEAT);
    if (mode & DF_CLAMP)
        setWrap(clampmode);

    if (texture->flags & DF_SPHEREMAP) {
        enableSphereMap();
    } else {
        glDisable(GL_TEXTURE_GEN_S);
        glDisable(GL_TEXTURE_GEN_T);
    }
    if (mode & DF_SPHEREMAP)
        enableSphereMap();

    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);

    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glScalef(texture->scale.x, texture->scale.y, texture->scale.z);
    glMatrixMode(GL_MODELVIEW);
}

void skipMipSelection()
{
    GLint mag = GL_LINEAR;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &mag);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, mag);
}
