// Edge fins: additive textured quads standing on triangle edges along the
// face normal, in three edge choices, each with its random table.
#pragma once
#include "core/types.h"

// One edge per triangle, picked from the variant's table; drawn white.
void drawFinsRandomEdge(const Mesh* mesh, const Texture* texture, float length);
// All three edges of every triangle, in the caller's colour.
void drawFinsAllEdges(const Mesh* mesh, const Texture* texture, float length);
// Everything drawFinsAllEdges leaves behind (its table, GL state, current
// texture coordinate) without the fins: for fins that would add nothing.
void skipFinsAllEdges(const Texture* texture);
// The first two edges of every second triangle: the quad grid of a mesh
// made of split quads, in the caller's colour.
void drawFinsGrid(const Mesh* mesh, const Texture* texture, float length);

// Tables and call counters, filled from rand15 on each variant's first call
// (exposed for tests of the draw order).
extern int randomEdgeTable[256];
extern int allEdgesTable[256];
extern int gridTable[256];
extern int randomEdgeCalls;
extern int allEdgesCalls;
extern int gridCalls;
