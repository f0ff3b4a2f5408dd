#include "mesh/mesh.h"

#include <cstddef>
#include <vector>

#include "platform/gl.h"
#include "render/vecmath.h"

static Vec3 positionOf(const float (*positions)[4], int i)
{
    return Vec3{positions[i][0], positions[i][1], positions[i][2]};
}

// Centre as the plain mean of the vertices. The sums stay in floats on
// purpose: the result must match what the shattering and spinning code was
// tuned against, rounding included.
static void computeCenter(Mesh* mesh)
{
    mesh->center = Vec3{0.0f, 0.0f, 0.0f};
    for (int i = 0; i < mesh->vertexCount; i++) {
        mesh->normals[i][0] = 0.0f;
        mesh->normals[i][1] = 0.0f;
        mesh->normals[i][2] = 0.0f;
        mesh->normals[i][3] = 0.0f;
        mesh->center.x += mesh->positions[i][0];
        mesh->center.y += mesh->positions[i][1];
        mesh->center.z += mesh->positions[i][2];
    }
    mesh->center.x /= mesh->vertexCount;
    mesh->center.y /= mesh->vertexCount;
    mesh->center.z /= mesh->vertexCount;
}

// Face normals, and vertex normals as the normalized sum of the unit normals
// of every triangle touching the vertex (equal weights, whatever the area).
static void computeNormals(Mesh* mesh, const int (*triangles)[3])
{
    for (int f = 0; f < mesh->faceCount; f++) {
        MeshFace& face = mesh->faces[f];
        for (int k = 0; k < 3; k++)
            face.v[k] = triangles[f][k];
        faceNormal(positionOf(mesh->positions, face.v[0]), positionOf(mesh->positions, face.v[1]),
                   positionOf(mesh->positions, face.v[2]), face.normal);
        for (int k = 0; k < 3; k++) {
            float* n = mesh->normals[face.v[k]];
            n[0] += face.normal.x;
            n[1] += face.normal.y;
            n[2] += face.normal.z;
        }
    }
    for (int i = 0; i < mesh->vertexCount; i++) {
        Vec3 n{mesh->normals[i][0], mesh->normals[i][1], mesh->normals[i][2]};
        normalize(n);
        mesh->normals[i][0] = n.x;
        mesh->normals[i][1] = n.y;
        mesh->normals[i][2] = n.z;
    }
}

// One indexed draw with smoothed normals. The arrays are read while the list
// is compiled, so packed temporaries are enough; the client state is saved so
// the caller's array setup survives.
static void recordVertexArrays(const Mesh* mesh, const int (*triangles)[3])
{
    int n = mesh->vertexCount;
    std::vector<float> pos((size_t)n * 3), nrm((size_t)n * 3), tex;
    for (int i = 0; i < n; i++) {
        for (int k = 0; k < 3; k++) {
            pos[(size_t)i * 3 + k] = mesh->positions[i][k];
            nrm[(size_t)i * 3 + k] = mesh->normals[i][k];
        }
    }
    if (mesh->texcoords) {
        tex.resize((size_t)n * 3);
        for (int i = 0; i < n; i++) {
            tex[(size_t)i * 3 + 0] = mesh->texcoords[i][0];
            tex[(size_t)i * 3 + 1] = mesh->texcoords[i][1];
            tex[(size_t)i * 3 + 2] = 0.0f;
        }
    }

    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, pos.data());
    glEnableClientState(GL_NORMAL_ARRAY);
    glNormalPointer(GL_FLOAT, 0, nrm.data());
    if (mesh->texcoords) {
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(3, GL_FLOAT, 0, tex.data());
    }
    glNewList(mesh->list, GL_COMPILE);
    glDrawElements(GL_TRIANGLES, 3 * mesh->faceCount, GL_UNSIGNED_INT, triangles);
    glEndList();
    glPopClientAttrib();
    glPopAttrib();
}

// Flat shading: every triangle its own begin/end with a single normal.
static void recordImmediate(const Mesh* mesh)
{
    glNewList(mesh->list, GL_COMPILE);
    for (int f = 0; f < mesh->faceCount; f++) {
        const int* v = mesh->faces[f].v;
        glBegin(GL_TRIANGLES);
        Vec3 n;
        faceNormal(positionOf(mesh->positions, v[0]), positionOf(mesh->positions, v[1]),
                   positionOf(mesh->positions, v[2]), n);
        glNormal3f(n.x, n.y, n.z);
        for (int k = 0; k < 3; k++) {
            if (mesh->texcoords)
                glTexCoord2f(mesh->texcoords[v[k]][0], mesh->texcoords[v[k]][1]);
            glVertex3f(mesh->positions[v[k]][0], mesh->positions[v[k]][1], mesh->positions[v[k]][2]);
        }
        glEnd();
    }
    glEndList();
}

Mesh* compileMesh(const int (*triangles)[3], const float (*positions)[4], const float (*texcoords)[4], int vertexCount,
                  int faceCount, int flags)
{
    Mesh* mesh = new Mesh{};
    mesh->vertexCount = vertexCount;
    mesh->faceCount = faceCount;
    mesh->flags = flags;
    mesh->faces = new MeshFace[faceCount];
    mesh->normals = new float[vertexCount][4];
    mesh->positions = positions;
    mesh->texcoords = texcoords;

    computeCenter(mesh);
    computeNormals(mesh, triangles);

    mesh->list = glGenLists(1);
    if (!(flags & DF_FLAT))
        recordVertexArrays(mesh, triangles);
    else
        recordImmediate(mesh);
    return mesh;
}
