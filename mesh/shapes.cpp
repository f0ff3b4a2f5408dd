#include <cmath>

#include "mesh/mesh.h"

// The arrays built here are never released: the compiled Mesh keeps
// referring to its positions and texture coordinates.

namespace {

struct CubeFace {
    int corner[4][3];  // -1/+1 per axis, in vertex order
    int tri[2][3];     // face-local corners, counter-clockwise from outside
};

// Top, bottom, back, front, right, left; each face owns four vertices so it
// can carry a whole texture square.
const CubeFace cubeFaces[6] = {
    {{{-1, 1, -1}, {1, 1, -1}, {1, 1, 1}, {-1, 1, 1}}, {{0, 2, 1}, {0, 3, 2}}},
    {{{-1, -1, -1}, {1, -1, -1}, {1, -1, 1}, {-1, -1, 1}}, {{0, 1, 2}, {0, 2, 3}}},
    {{{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1}}, {{0, 2, 1}, {0, 3, 2}}},
    {{{-1, -1, 1}, {1, -1, 1}, {1, 1, 1}, {-1, 1, 1}}, {{0, 1, 2}, {0, 2, 3}}},
    {{{1, -1, -1}, {1, -1, 1}, {1, 1, 1}, {1, 1, -1}}, {{0, 2, 1}, {0, 3, 2}}},
    {{{-1, -1, -1}, {-1, -1, 1}, {-1, 1, 1}, {-1, 1, -1}}, {{0, 1, 2}, {0, 2, 3}}},
};

const float squareUv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};

}  // namespace

Mesh* makeCubeMesh(float s, int flags)
{
    float(*positions)[4] = new float[24][4];
    float(*texcoords)[4] = new float[24][4];
    int(*triangles)[3] = new int[12][3];
    for (int f = 0; f < 6; f++) {
        for (int k = 0; k < 4; k++) {
            int v = f * 4 + k;
            for (int a = 0; a < 3; a++)
                positions[v][a] = cubeFaces[f].corner[k][a] * s;
            positions[v][3] = 0.0f;
            texcoords[v][0] = squareUv[k][0];
            texcoords[v][1] = squareUv[k][1];
            texcoords[v][2] = 0.0f;
            texcoords[v][3] = 0.0f;
        }
        for (int t = 0; t < 2; t++)
            for (int a = 0; a < 3; a++)
                triangles[f * 2 + t][a] = f * 4 + cubeFaces[f].tri[t][a];
    }
    Mesh* mesh = compileMesh(triangles, positions, texcoords, 24, 12, flags);
    delete[] triangles;  // only read while compiling
    return mesh;
}

// An open cylinder of radius 1 around the y axis, rows units tall, centred on
// the origin. The seam column is duplicated so u can run to 1.
Mesh* makeTubeMesh(int segments, int rows, int flags)
{
    int n = segments, m = rows, r = n + 1;
    int vertexCount = (n + 1) * (m + 1);
    int faceCount = 2 * n * m;
    float(*positions)[4] = new float[vertexCount][4];
    float(*texcoords)[4] = new float[vertexCount][4];
    int(*triangles)[3] = new int[faceCount][3];

    for (int i = 0; i <= m; i++) {
        for (int j = 0; j <= n; j++) {
            int v = i * r + j;
            double theta = (j * 2.0 * M_PI) / n;
            positions[v][0] = (float)std::sin(theta);
            positions[v][1] = (float)(m / 2.0 - i);
            positions[v][2] = (float)std::cos(theta);
            positions[v][3] = 0.0f;
            texcoords[v][0] = (float)((double)j / n);
            texcoords[v][1] = (float)((double)i / m);
            texcoords[v][2] = 0.0f;
            texcoords[v][3] = 0.0f;
        }
    }
    int t = 0;
    for (int i = 0; i < m; i++) {
        int b = i * r;
        for (int j = 0; j < n; j++) {
            triangles[t][0] = b + j;
            triangles[t][1] = b + r + j;
            triangles[t][2] = b + r + j + 1;
            t++;
            triangles[t][0] = b + j + 1;
            triangles[t][1] = b + j;
            triangles[t][2] = b + r + j + 1;
            t++;
        }
    }
    Mesh* mesh = compileMesh(triangles, positions, texcoords, vertexCount, faceCount, flags);
    delete[] triangles;
    return mesh;
}
