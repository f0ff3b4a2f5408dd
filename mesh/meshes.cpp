#include "mesh/meshes.h"

#include "mesh/debris.h"
#include "mesh/mesh.h"
#include "texture/assets.h"

Mesh* modelmesh = nullptr;
Mesh* tubemesh = nullptr;
Mesh* cubemesh = nullptr;

void prepareMeshes()
{
    loadModelMesh(0);  // stores modelmesh itself
    tubemesh = makeTubeMesh(8, 16, 0);
    cubemesh = makeCubeMesh(1.0f, DF_FLAT);
    makeDebris();
}

void prepareAssets()
{
    prepareTextures();
    prepareMeshes();
}
