#include "scenes/fins.h"

#include <vector>

#include "platform/gl.h"
#include "render/texbind.h"
#include "render/vecmath.h"
#include "texture/procedural.h"

int randomEdgeTable[256];
int allEdgesTable[256];
int gridTable[256];
int randomEdgeCalls = 0;
int allEdgesCalls = 0;
int gridCalls = 0;

// Every variant fills its table on its first call, read or not: the draws
// belong to the generator sequence later tables see.
static void fillOnFirstCall(int* table, int& calls)
{
    if (calls++ != 0)
        return;
    for (int i = 0; i < 256; i++)
        table[i] = rand15();
}

// Fins hide behind solid geometry but write no depth, so overlapping fins
// add up instead of hiding each other.
static void setFinState()
{
    glDisable(GL_CULL_FACE);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDepthMask(GL_FALSE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
}

static Vec3 vertexOf(const Mesh* mesh, int v)
{
    return Vec3{mesh->positions[v][0], mesh->positions[v][1], mesh->positions[v][2]};
}

static Vec3 faceNormalOf(const Mesh* mesh, const MeshFace& face)
{
    Vec3 n;
    faceNormal(vertexOf(mesh, face.v[0]), vertexOf(mesh, face.v[1]), vertexOf(mesh, face.v[2]), n);
    return n;
}

static Vec3 tipOf(const Vec3& p, const Vec3& n, float length)
{
    return Vec3{(float)((double)length * n.x + p.x), (float)((double)length * n.y + p.y),
                (float)((double)length * n.z + p.z)};
}

// t runs 1 on the surface to 0 at the tip, s from corner a to corner b.
static void drawFin(const Mesh* mesh, int a, int b, const Vec3& n, float length)
{
    const Vec3 pa = vertexOf(mesh, a), pb = vertexOf(mesh, b);
    const Vec3 ta = tipOf(pa, n, length), tb = tipOf(pb, n, length);
    glBegin(GL_TRIANGLE_STRIP);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(pa.x, pa.y, pa.z);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(ta.x, ta.y, ta.z);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(pb.x, pb.y, pb.z);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(tb.x, tb.y, tb.z);
    glEnd();
}

// The strips of one call gathered into arrays and sent with one
// glMultiDrawArrays: the same four-vertex strips in the same order as one
// glBegin/glEnd each, without two GL calls per vertex, which a software
// renderer feels on the model's 39,138 fins every frame.
struct FinStrips {
    std::vector<float> positions;  // 3 floats per vertex, 4 vertices per fin
    std::vector<float> texcoords;  // 2 floats per vertex
    std::vector<GLint> firsts;
    std::vector<GLsizei> counts;
};

static void clearStrips(FinStrips& strips)
{
    strips.positions.clear();
    strips.texcoords.clear();
    strips.firsts.clear();
    strips.counts.clear();
}

static void addVertex(FinStrips& strips, const Vec3& p, float s, float t)
{
    strips.positions.insert(strips.positions.end(), {p.x, p.y, p.z});
    strips.texcoords.insert(strips.texcoords.end(), {s, t});
}

// The vertices drawFin sends, in its order.
static void addFin(FinStrips& strips, const Mesh* mesh, int a, int b, const Vec3& n, float length)
{
    const Vec3 pa = vertexOf(mesh, a), pb = vertexOf(mesh, b);
    strips.firsts.push_back((GLint)(strips.positions.size() / 3));
    strips.counts.push_back(4);
    addVertex(strips, pa, 0.0f, 1.0f);
    addVertex(strips, tipOf(pa, n, length), 0.0f, 0.0f);
    addVertex(strips, pb, 1.0f, 1.0f);
    addVertex(strips, tipOf(pb, n, length), 1.0f, 0.0f);
}

// Only the position and texture coordinate arrays, whatever the caller had
// on; colour comes from the current colour as between glBegin and glEnd.
// Afterwards the current texture coordinate is the last vertex's, as the
// strips would have left it.
static void drawStrips(const FinStrips& strips)
{
    if (strips.firsts.empty())
        return;
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_INDEX_ARRAY);
    glDisableClientState(GL_EDGE_FLAG_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, strips.positions.data());
    glEnableClientState(GL_VERTEX_ARRAY);
    glTexCoordPointer(2, GL_FLOAT, 0, strips.texcoords.data());
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glMultiDrawArrays(GL_TRIANGLE_STRIP, strips.firsts.data(), strips.counts.data(), (GLsizei)strips.firsts.size());
    glPopClientAttrib();
    glTexCoord2f(1.0f, 0.0f);
}

void drawFinsRandomEdge(const Mesh* mesh, const Texture* texture, float length)
{
    static FinStrips strips;
    fillOnFirstCall(randomEdgeTable, randomEdgeCalls);
    setFinState();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    bindTexture(texture, 0);
    clearStrips(strips);
    for (int i = 0; i < mesh->faceCount; i++) {
        const MeshFace& face = mesh->faces[i];
        const int k = randomEdgeTable[i % 256] % 3;
        addFin(strips, mesh, face.v[k], face.v[(k + 1) % 3], faceNormalOf(mesh, face), length);
    }
    drawStrips(strips);
}

static void beginFinsAllEdges(const Texture* texture)
{
    fillOnFirstCall(allEdgesTable, allEdgesCalls);
    setFinState();
    bindTexture(texture, 0);
}

void skipFinsAllEdges(const Texture* texture)
{
    beginFinsAllEdges(texture);
    glTexCoord2f(1.0f, 0.0f);  // where drawStrips leaves it
}

void drawFinsAllEdges(const Mesh* mesh, const Texture* texture, float length)
{
    static FinStrips strips;
    beginFinsAllEdges(texture);
    clearStrips(strips);
    for (int i = 0; i < mesh->faceCount; i++) {
        const MeshFace& face = mesh->faces[i];
        const Vec3 n = faceNormalOf(mesh, face);
        addFin(strips, mesh, face.v[0], face.v[1], n, length);
        addFin(strips, mesh, face.v[1], face.v[2], n, length);
        addFin(strips, mesh, face.v[2], face.v[0], n, length);
    }
    drawStrips(strips);
}

// Drawn once, into the column hall's display list: the strips stay plain
// glBegin/glEnd so the list holds exactly what was always recorded.
void drawFinsGrid(const Mesh* mesh, const Texture* texture, float length)
{
    fillOnFirstCall(gridTable, gridCalls);
    setFinState();
    bindTexture(texture, 0);
    for (int i = 0; i < mesh->faceCount; i += 2) {
        const MeshFace& face = mesh->faces[i];
        const Vec3 n = faceNormalOf(mesh, face);
        drawFin(mesh, face.v[0], face.v[1], n, length);
        drawFin(mesh, face.v[1], face.v[2], n, length);
    }
}
