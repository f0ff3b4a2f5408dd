#include "mesh/debris.h"

#include "mesh/mesh.h"
#include "mesh/meshes.h"
#include "mesh/model_data.h"
#include "render/vecmath.h"
#include "core/random.h"

DebrisTable debris = {};

namespace {

const int debrisCapacity = (int)(sizeof debris.pieces / sizeof debris.pieces[0]);

// Corners named by three bits x, y, z: 0 takes lo on that axis, 1 takes hi.
enum { C000 = 0, C001 = 1, C010 = 2, C011 = 3, C100 = 4, C101 = 5, C110 = 6, C111 = 7 };

// The four corner tetrahedra of a box, triangle by triangle, each wound out
// of its piece; the fourth triangle is the inner face. The central
// tetrahedron (c000, c110, c101, c011) is left out so the box is hollow once
// its pieces fly apart.
const int pieceCorners[4][4][3] = {
    {{C000, C101, C001}, {C000, C001, C011}, {C001, C101, C011}, {C101, C000, C011}},
    {{C000, C100, C101}, {C100, C110, C101}, {C000, C110, C100}, {C000, C101, C110}},
    {{C000, C010, C110}, {C000, C011, C010}, {C010, C011, C110}, {C000, C110, C011}},
    {{C111, C101, C110}, {C111, C011, C101}, {C111, C110, C011}, {C011, C110, C101}},
};

const int pieceTriangles[4][3] = {{0, 1, 2}, {3, 4, 5}, {6, 7, 8}, {9, 10, 11}};

void cornerOf(int corner, const Color4& lo, const Color4& hi, float out[4])
{
    out[0] = (corner & 4) ? hi.x : lo.x;
    out[1] = (corner & 2) ? hi.y : lo.y;
    out[2] = (corner & 1) ? hi.z : lo.z;
    out[3] = 0.0f;
}

}  // namespace

// The embedded sculpture has no texture coordinates; the metal scene maps it
// with generated sphere coordinates instead.
Mesh* loadModelMesh(int flags)
{
    modelmesh = compileMesh(modelFaces, modelVertices, nullptr, modelVertexCount, modelFaceCount, flags);
    return modelmesh;
}

Mesh* makeDebrisPiece(const float (*vertices)[4], const int (*triangles)[3])
{
    // Planar mapping in world units: the texture repeats every unit.
    float(*texcoords)[4] = new float[12][4];
    for (int i = 0; i < 12; i++) {
        texcoords[i][0] = vertices[i][0] + vertices[i][2];
        texcoords[i][1] = vertices[i][1] + vertices[i][2];
        texcoords[i][2] = 0.0f;
        texcoords[i][3] = 0.0f;
    }
    Mesh* piece = compileMesh(triangles, vertices, texcoords, 12, 4, 0);
    // Only the list, counts and centre are used from here on; the caller's
    // vertices are temporary too.
    delete[] texcoords;
    piece->positions = nullptr;
    piece->texcoords = nullptr;
    return piece;
}

void makeDebrisBox(Color4 lo, Color4 hi)
{
    for (int p = 0; p < 4; p++) {
        if (debris.count >= debrisCapacity)
            continue;
        float vertices[12][4];
        for (int t = 0; t < 4; t++)
            for (int k = 0; k < 3; k++)
                cornerOf(pieceCorners[p][t][k], lo, hi, vertices[t * 3 + k]);
        debris.pieces[debris.count] = makeDebrisPiece(vertices, pieceTriangles);
        debris.count++;
    }
}

// 50 random boxes, four pieces each. Every box takes seven draws in a fixed
// order, so the boxes depend on everything drawn before them.
void makeDebris()
{
    for (int b = 0; b < 50; b++) {
        int r1 = rand15();
        int r2 = rand15();
        int r3 = rand15();
        int r4 = rand15();
        int r5 = rand15();
        int r6 = rand15();
        int r7 = rand15();
        float cx = (float)(r1 / 128.0 - r2 / 128.0);
        float cy = (float)(r3 / 128.0 - r4 / 128.0);
        float cz = (float)(r5 / 128.0 - r6 / 128.0);
        double h = 16.0 + r7 / 1024.0;
        Color4 lo = makeColor4((float)(cx - h), (float)(cy - h), (float)(cz - h));
        Color4 hi = makeColor4((float)(cx + h), (float)(cy + h), (float)(cz + h));
        makeDebrisBox(lo, hi);
    }
}
