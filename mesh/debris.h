// The embedded model's mesh and the tetrahedral debris of broken boxes.
#pragma once
#include "core/types.h"

struct DebrisTable {
    Mesh* pieces[200];
    int count;
};
extern DebrisTable debris;

// Compiles the embedded model into modelmesh and returns it.
Mesh* loadModelMesh(int flags);
void makeDebris();
void makeDebrisBox(Color4 lo, Color4 hi);
Mesh* makeDebrisPiece(const float (*vertices)[4], const int (*triangles)[3]);
