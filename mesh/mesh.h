// The compiled triangle mesh (display list plus per-face data) and the
// cube and tube generators.
#pragma once
#include "core/types.h"

Mesh* compileMesh(const int (*triangles)[3], const float (*positions)[4], const float (*texcoords)[4], int vertexCount,
                  int faceCount, int flags);
Mesh* makeCubeMesh(float s, int flags);
Mesh* makeTubeMesh(int segments, int rows, int flags);
