#include "texture/assets.h"

#include "render/vecmath.h"
#include "texture/jpeg.h"
#include "texture/procedural.h"

Texture* mosaictex[4] = {nullptr, nullptr, nullptr, nullptr};
Texture* noisetex = nullptr;
Texture* txtr1tex = nullptr;
Texture* txtr2tex = nullptr;
Texture* metaltex = nullptr;
Texture* bg1tex = nullptr;
Texture* bg2tex = nullptr;
Texture* bg3tex = nullptr;
Texture* bg4tex = nullptr;
Texture* bg5tex = nullptr;
Texture* bg6tex = nullptr;
Texture* gridtex = nullptr;
TextureSet* noiseset = nullptr;
Texture* screentex = nullptr;
Texture* screentex2 = nullptr;

void makeMosaicTexture(int index)
{
    const int sizes[4] = {32, 16, 8, 4};
    int side = sizes[index];
    mosaictex[index] = makeNoiseTexture(side, side, 0, 255, makeColor4(1.0f, 1.0f, 1.0f), DF_CLAMP);
}

void makeMosaicTextures()
{
    for (int i = 0; i < 4; i++)
        makeMosaicTexture(i);
}

struct Picture {
    const char* file;
    Texture** texture;
    float scale;
    int flags;
};

// In loading order.
static const Picture pictures[PICTURE_COUNT] = {
    {"txtr1.jpg", &txtr1tex, 4.0f, 0},
    {"txtr2.jpg", &txtr2tex, 1.0f, DF_CLAMP},
    {"metal.jpg", &metaltex, 1.0f, DF_SPHEREMAP},
    {"bg1.jpg", &bg1tex, 1.0f, DF_CLAMP},
    {"bg2.jpg", &bg2tex, 1.0f, DF_CLAMP},
    {"bg3.jpg", &bg3tex, 1.0f, DF_CLAMP},
    {"bg4.jpg", &bg4tex, 1.0f, DF_CLAMP},
    {"bg5.jpg", &bg5tex, 1.0f, DF_CLAMP},
    {"bg6.jpg", &bg6tex, 1.0f, DF_CLAMP},
    {"gridi.jpg", &gridtex, 1.0f, 0},
};

const char* pictureFile(int index)
{
    return index >= 0 && index < PICTURE_COUNT ? pictures[index].file : nullptr;
}

bool reloadPicture(int index)
{
    const Picture& p = pictures[index];
    if (!*p.texture)
        return false;
    return reloadTexture(*p.texture, dataPath(p.file).c_str(), makeColor4(p.scale, p.scale, p.scale));
}

void prepareTextures()
{
    noisetex = makeNoiseTexture(256, 256, 0, 255, makeColor4(1.0f, 1.0f, 1.0f), 0);
    for (const Picture& p : pictures)
        *p.texture = loadTexture(dataPath(p.file).c_str(), makeColor4(p.scale, p.scale, p.scale), p.flags);
    // Nothing draws the set, but its two million draws keep the random
    // sequence where the scenes expect it.
    noiseset = makeNoiseSet(6);
    screentex = makeScreenTexture();
    screentex2 = makeScreenTexture();
}
