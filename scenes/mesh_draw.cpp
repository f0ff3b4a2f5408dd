#include "scenes/mesh_draw.h"

#include <cmath>

#include "render/gl.h"
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

static void emitCorner(const Mesh* mesh, int v)
{
    if (mesh->texcoords)
        glTexCoord2f(mesh->texcoords[v][0], mesh->texcoords[v][1]);
    glNormal3f(mesh->normals[v][0], mesh->normals[v][1], mesh->normals[v][2]);
    glVertex3f(mesh->positions[v][0], mesh->positions[v][1], mesh->positions[v][2]);
}

// The axis takes one coordinate from each corner so neighbouring triangles
// spin differently.
static void drawShard(const Mesh* mesh, const MeshFace& face, float angle, float offset)
{
    const int a = face.v[0], b = face.v[1], c = face.v[2];
    const float* pa = mesh->positions[a];
    const float* na = mesh->normals[a];
    glPushMatrix();
    glTranslatef(na[0] * offset, na[1] * offset, na[2] * offset);
    glTranslatef(pa[0], pa[1], pa[2]);
    glRotatef(angle, (float)std::sin((double)pa[0]), (float)std::sin((double)mesh->positions[b][1]),
              (float)std::sin((double)mesh->positions[c][2]));
    glTranslatef(-pa[0], -pa[1], -pa[2]);
    glBegin(GL_TRIANGLES);
    emitCorner(mesh, a);
    emitCorner(mesh, b);
    emitCorner(mesh, c);
    glEnd();
    glPopMatrix();
}

void drawMeshShattered(const Mesh* mesh, float amount, float distance)
{
    pushState();
    setSolidState();
    const float angle = (float)((double)amount * 360.0);
    const float offset = (float)((double)distance * amount);
    for (int i = 0; i < mesh->faceCount; i++)
        drawShard(mesh, mesh->faces[i], angle, offset);
    countMesh(mesh);
    popState();
}
