// The embedded model's mesh and the tetrahedral debris of broken boxes.
#pragma once
#include "render/types.h"

struct DebrisTable {
    Mesh* pieces[200];
    int count;
};
extern DebrisTable debris;

Mesh* loadModelMesh(int flags);
void makeDebris();
void makeDebrisBox(Color4 lo, Color4 hi);
Mesh* makeDebrisPiece(const float (*vertices)[4], const int (*triangles)[3]);
