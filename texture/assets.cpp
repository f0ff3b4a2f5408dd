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

void makeMosaicTextures()
{
    const int sizes[4] = {32, 16, 8, 4};
    for (int i = 0; i < 4; i++)
        mosaictex[i] = makeNoiseTexture(sizes[i], sizes[i], 0, 255, makeColor4(1.0f, 1.0f, 1.0f), DF_CLAMP);
}

static Texture* picture(const char* file, float scale, int flags)
{
    return loadTexture(dataPath(file).c_str(), makeColor4(scale, scale, scale), flags);
}

void prepareTextures()
{
    noisetex = makeNoiseTexture(256, 256, 0, 255, makeColor4(1.0f, 1.0f, 1.0f), 0);
    txtr1tex = picture("txtr1.jpg", 4.0f, 0);
    txtr2tex = picture("txtr2.jpg", 1.0f, DF_CLAMP);
    metaltex = picture("metal.jpg", 1.0f, DF_SPHEREMAP);
    bg1tex = picture("bg1.jpg", 1.0f, DF_CLAMP);
    bg2tex = picture("bg2.jpg", 1.0f, DF_CLAMP);
    bg3tex = picture("bg3.jpg", 1.0f, DF_CLAMP);
    bg4tex = picture("bg4.jpg", 1.0f, DF_CLAMP);
    bg5tex = picture("bg5.jpg", 1.0f, DF_CLAMP);
    bg6tex = picture("bg6.jpg", 1.0f, DF_CLAMP);
    gridtex = picture("gridi.jpg", 1.0f, 0);
    // Nothing draws the set, but its two million draws keep the random
    // sequence where the scenes expect it.
    noiseset = makeNoiseSet(6);
    screentex = makeScreenTexture();
    screentex2 = makeScreenTexture();
}
