// Every texture the show uses, made once at start-up in a fixed order: the
// mosaic noise with the display, the rest with the other assets.
#pragma once
#include "core/datapath.h"
#include "core/types.h"

extern Texture* mosaictex[4];  // 32, 16, 8, 4 texels square
extern Texture* noisetex;
extern Texture* txtr1tex;
extern Texture* txtr2tex;
extern Texture* metaltex;
extern Texture* bg1tex;
extern Texture* bg2tex;
extern Texture* bg3tex;
extern Texture* bg4tex;
extern Texture* bg5tex;
extern Texture* bg6tex;
extern Texture* gridtex;
extern TextureSet* noiseset;
extern Texture* screentex;
extern Texture* screentex2;

// The four mosaic noise textures; they come before any other texture.
void makeMosaicTextures();
// One of them (0 to 3: 32, 16, 8, 4 texels), for a start-up that checks the
// GL's capabilities between the first and the others.
void makeMosaicTexture(int index);
// Noise texture, the ten pictures, the noise set and the two screen
// textures, each but the noise set followed by a black loading frame.
void prepareTextures();

// The ten pictures from the data folder, by index in loading order.
const int PICTURE_COUNT = 10;
// "txtr1.jpg" and so on; null outside 0..PICTURE_COUNT-1.
const char* pictureFile(int index);
// Reads the picture again into the same texture record (scenes keep their
// pointers). A picture that fails keeps the old one, with a warning, and
// gives false.
bool reloadPicture(int index);
