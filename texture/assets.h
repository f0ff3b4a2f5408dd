// Every texture and mesh the show uses, built once at start-up in a fixed order.
#pragma once
#include <string>
#include "render/types.h"

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
extern Mesh* modelmesh;
extern Mesh* tubemesh;
extern Mesh* cubemesh;

// Folder holding the soundtrack and pictures ("data" unless --data says otherwise).
extern std::string dataDir;
// dataDir joined with a file name: "data/txtr1.jpg".
std::string dataPath(const char* file);

// Both halves below, textures first. The order is fixed: every later random
// draw depends on how many values the steps before it took.
void prepareAssets();
// Noise texture, the ten pictures, the noise set and the two screen
// textures, each but the noise set followed by a black loading frame.
void prepareTextures();
// The model, tube, cube and debris; the debris draws its random values last.
void prepareMeshes();
