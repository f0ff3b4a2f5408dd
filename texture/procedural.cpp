#include "texture/procedural.h"

#include <cstdlib>
#include <cstring>

#include "core/errors.h"
#include "core/frame.h"
#include "core/random.h"
#include "render/caps.h"
#include "platform/gl.h"

static uint8_t* allocPixels(int width, int height)
{
    size_t bytes = (size_t)width * (size_t)height * 4;
    uint8_t* pixels = (uint8_t*)std::malloc(bytes ? bytes : 1);
    if (!pixels)
        fatalError("Out of memory for a texture");
    return pixels;
}

static void fillRecord(Texture* t, int width, int height, Color4 scale, int flags)
{
    glGenTextures(1, &t->name);
    t->scale.x = scale.x;
    t->scale.y = scale.y;
    t->scale.z = scale.z;
    t->width = width;
    t->height = height;
    t->flags = flags;
}

// Every bound texture minifies trilinearly, so each one needs its whole chain.
static void uploadMipmapped(Texture* t, const uint8_t* pixels)
{
    glBindTexture(GL_TEXTURE_2D, t->name);
    gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGBA8, t->width, t->height, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
}

Texture* makeNoiseTexture(int width, int height, int lo, int hi, Color4 scale, int flags)
{
    Texture* t = new Texture{};
    uint8_t* pixels = allocPixels(width, height);
    // An empty range gives flat lo, still one draw per texel so the sequence
    // stays aligned for whoever draws next.
    int range = hi > lo ? hi - lo : 1;
    size_t texels = (size_t)width * (size_t)height;
    for (size_t i = 0; i < texels; i++) {
        uint8_t v = (uint8_t)(lo + rand15() % range);
        pixels[i * 4 + 0] = v;
        pixels[i * 4 + 1] = v;
        pixels[i * 4 + 2] = v;
        pixels[i * 4 + 3] = 255;
    }
    fillRecord(t, width, height, scale, flags);
    uploadMipmapped(t, pixels);
    presentLoadingFrame();
    std::free(pixels);
    return t;
}

Texture* makeSolidTexture(int width, int height, int r, int g, int b, int a, Color4 scale, int flags)
{
    Texture* t = new Texture{};
    uint8_t* pixels = allocPixels(width, height);
    size_t texels = (size_t)width * (size_t)height;
    for (size_t i = 0; i < texels; i++) {
        pixels[i * 4 + 0] = (uint8_t)r;
        pixels[i * 4 + 1] = (uint8_t)g;
        pixels[i * 4 + 2] = (uint8_t)b;
        pixels[i * 4 + 3] = (uint8_t)a;
    }
    fillRecord(t, width, height, scale, flags);
    uploadMipmapped(t, pixels);
    presentLoadingFrame();
    std::free(pixels);
    return t;
}

// The frame copies fill only the frame-sized corner; the scale maps 0..1 onto it.
Texture* makeScreenTexture()
{
    Color4 scale = {};
    scale.x = (float)((double)FRAME_WIDTH / texwidth);
    scale.y = (float)((double)FRAME_HEIGHT / texheight);
    scale.z = 1.0f;
    return makeSolidTexture(texwidth, texheight, 0, 0, 0, 0, scale, DF_CLAMP);
}

// Every entry shows the first w x h texels of the same random bytes; only
// level 0 is uploaded and no loading frame is shown.
TextureSet* makeNoiseSet(int count)
{
    TextureSet* set = new TextureSet{};
    uint8_t* pixels = allocPixels(texwidth, texheight);
    set->count = count;
    set->textures = new Texture[count > 0 ? count : 0]{};
    size_t bytes = (size_t)texwidth * (size_t)texheight * 4;
    for (size_t i = 0; i < bytes; i++)
        pixels[i] = (uint8_t)rand15();
    Color4 scale = {};
    scale.x = (float)((double)FRAME_WIDTH / texwidth);
    scale.y = (float)((double)FRAME_HEIGHT / texheight);
    scale.z = 1.0f;
    int w = texwidth, h = texheight;
    for (int i = 0; i < count; i++) {
        Texture* t = &set->textures[i];
        fillRecord(t, w, h, scale, 0);
        glBindTexture(GL_TEXTURE_2D, t->name);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
        w /= 2;
        h /= 2;
    }
    std::free(pixels);
    return set;
}
