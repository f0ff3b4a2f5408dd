// Drawing a compiled mesh as solid geometry, whole or broken into spinning
// triangles, and the per-frame vertex and polygon counts both keep.
#pragma once
#include "core/types.h"

// Replays the mesh's display list with culling, depth test and writes on,
// blending off; the caller's state comes back afterwards.
void drawMesh(const Mesh* mesh);
// Triangle by triangle, one draw each: each turns amount * 360 degrees about
// its first corner and moves distance * amount along that corner's normal.
void drawMeshShattered(const Mesh* mesh, float amount, float distance);
