// The meshes the show uses and the start-up order of every asset: the
// textures first, then the meshes, the debris drawing its random values last.
#pragma once
#include "core/types.h"

extern Mesh* modelmesh;
extern Mesh* tubemesh;
extern Mesh* cubemesh;

// Both halves, textures first. The order is fixed: every later random draw
// depends on how many values the steps before it took.
void prepareAssets();
// The model, tube, cube and debris.
void prepareMeshes();
