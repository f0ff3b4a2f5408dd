#include "scenes/mesh_draw.h"

#include <cmath>
#include <vector>

#include "platform/gl.h"
#include "render/state.h"

static void setSolidState()
{
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
}

// Counted on every call, also while a display list is being recorded, so
// replays of such a list add nothing.
static void countMesh(const Mesh* mesh)
{
    polygoncount += mesh->faceCount;
    vertexcount += mesh->vertexCount;
}

void drawMesh(const Mesh* mesh)
{
    pushState();
    setSolidState();
    glCallList(mesh->list);
    countMesh(mesh);
    popState();
}

// Corner data in face order, three corners per triangle, so each shard is
// one glDrawArrays of three vertices. Rebuilt on every call: it is a plain
// copy, and a mesh record may be reused for other data between calls.
struct ShardArrays {
    std::vector<float> positions;  // 3 floats per corner
    std::vector<float> normals;    // 3 floats per corner
    std::vector<float> texcoords;  // 2 floats per corner, empty without texcoords
};

static void gatherCorners(const Mesh* mesh, ShardArrays& out)
{
    const size_t corners = (size_t)mesh->faceCount * 3;
    out.positions.resize(corners * 3);
    out.normals.resize(corners * 3);
    out.texcoords.resize(mesh->texcoords ? corners * 2 : 0);
    for (size_t c = 0; c < corners; c++) {
        const int v = mesh->faces[c / 3].v[c % 3];
        for (int k = 0; k < 3; k++) {
            out.positions[c * 3 + k] = mesh->positions[v][k];
            out.normals[c * 3 + k] = mesh->normals[v][k];
        }
        if (mesh->texcoords) {
            out.texcoords[c * 2] = mesh->texcoords[v][0];
            out.texcoords[c * 2 + 1] = mesh->texcoords[v][1];
        }
    }
}

// Only these arrays, whatever the caller had on: colour, edge flag and, for
// a mesh without texcoords, texture coordinate come from the current values
// as they would between glBegin and glEnd.
static void enableShardArrays(const ShardArrays& arrays)
{
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_INDEX_ARRAY);
    glDisableClientState(GL_EDGE_FLAG_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, arrays.positions.data());
    glEnableClientState(GL_VERTEX_ARRAY);
    glNormalPointer(GL_FLOAT, 0, arrays.normals.data());
    glEnableClientState(GL_NORMAL_ARRAY);
    if (arrays.texcoords.empty()) {
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    } else {
        glTexCoordPointer(2, GL_FLOAT, 0, arrays.texcoords.data());
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    }
}

// The axis takes one coordinate from each corner so neighbouring triangles
// spin differently. Each shard needs its own matrix and so its own draw; from
// arrays that draw costs a third of what a glBegin/glEnd triangle does on a
// software renderer, with the same vertices and the same pixels.
static void drawShard(const Mesh* mesh, int i, float angle, float offset)
{
    const MeshFace& face = mesh->faces[i];
    const int a = face.v[0], b = face.v[1], c = face.v[2];
    const float* pa = mesh->positions[a];
    const float* na = mesh->normals[a];
    glPushMatrix();
    glTranslatef(na[0] * offset, na[1] * offset, na[2] * offset);
    glTranslatef(pa[0], pa[1], pa[2]);
    glRotatef(angle, (float)std::sin((double)pa[0]), (float)std::sin((double)mesh->positions[b][1]),
              (float)std::sin((double)mesh->positions[c][2]));
    glTranslatef(-pa[0], -pa[1], -pa[2]);
    glDrawArrays(GL_TRIANGLES, i * 3, 3);
    glPopMatrix();
}

void drawMeshShattered(const Mesh* mesh, float amount, float distance)
{
    static ShardArrays arrays;
    pushState();
    setSolidState();
    const float angle = (float)((double)amount * 360.0);
    const float offset = (float)((double)distance * amount);
    if (mesh->faceCount > 0) {
        gatherCorners(mesh, arrays);
        glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
        enableShardArrays(arrays);
        for (int i = 0; i < mesh->faceCount; i++)
            drawShard(mesh, i, angle, offset);
        glPopClientAttrib();
    }
    countMesh(mesh);
    popState();
}
