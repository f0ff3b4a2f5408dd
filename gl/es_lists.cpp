// Display lists (GL_COMPILE): state calls recorded as they were made, and
// geometry gathered into one vertex and index buffer per list, drawn in
// batches. Attributes the list never set come from the current values when
// it is played, as on the desktop.
#include <cstring>
#include <unordered_map>

#include "gl/es.h"

struct ListBatch {
    size_t firstIndex, indexCount;
    unsigned attribs;
};

// One step of a list: a recorded call, or a batch of its geometry.
struct ListItem {
    std::function<void()> call;
    int batch = -1;
};

struct DisplayList {
    std::vector<ListItem> items;
    std::vector<ListBatch> batches;
    GLuint vertexBuffer = 0, indexBuffer = 0;
};

static std::unordered_map<GLuint, DisplayList> lists;
static GLuint nextName = 1;
static bool compiling = false;
static GLuint compilingName = 0;
static GLenum compilingMode = GL_COMPILE;
static DisplayList building;
static std::vector<Vertex> buildVertices;
static std::vector<uint32_t> buildIndices;
static CurrentValues buildCurrent;
static unsigned buildSet = 0;         // attributes the list has set so far
static unsigned setInsideBegin = 0;   // of those, set only between glBegin and glEnd
static int playDepth = 0;
const int MAX_LIST_NESTING = 64;

static void freeBuffers(DisplayList& list)
{
    if (list.vertexBuffer)
        es.DeleteBuffers(1, &list.vertexBuffer);
    if (list.indexBuffer)
        es.DeleteBuffers(1, &list.indexBuffer);
    list.vertexBuffer = list.indexBuffer = 0;
}

void resetLists()
{
    lists.clear();
    nextName = 1;
    compiling = false;
    playDepth = 0;
}

bool compilingList()
{
    return compiling;
}

void recordCall(std::function<void()> call)
{
    building.items.push_back(ListItem{std::move(call), -1});
}

const CurrentValues& listCurrent()
{
    return buildCurrent;
}

unsigned listAttribs()
{
    return buildSet;
}

void listSetCurrent(unsigned attrib, const float* values, bool insideBegin)
{
    float* to = attrib == ATTR_COLOR ? buildCurrent.color
        : attrib == ATTR_TEXCOORD    ? buildCurrent.texcoord
                                     : buildCurrent.normal;
    int n = attrib == ATTR_NORMAL ? 3 : 4;
    std::memcpy(to, values, sizeof(float) * n);
    buildSet |= attrib;
    if (insideBegin) {
        setInsideBegin |= attrib;
        return;
    }
    setInsideBegin &= ~attrib;
    float v[4] = {};
    std::memcpy(v, values, sizeof(float) * n);
    recordCall([attrib, v] {
        float* dst = attrib == ATTR_COLOR ? L.s.color : attrib == ATTR_TEXCOORD ? L.s.texcoord : L.s.normal;
        std::memcpy(dst, v, sizeof(float) * (attrib == ATTR_NORMAL ? 3 : 4));
    });
}

// Consecutive geometry with the same per-vertex attributes joins one batch.
void listAddPrimitive(GLenum mode, const std::vector<Vertex>& vertices, const uint32_t* order, uint32_t n,
                      unsigned attribs)
{
    uint32_t base = (uint32_t)buildVertices.size();
    size_t before = buildIndices.size();
    buildVertices.insert(buildVertices.end(), vertices.begin(), vertices.end());
    bool ok;
    if (order) {
        std::vector<uint32_t> moved(order, order + n);
        for (uint32_t& k : moved)
            k += base;
        ok = triangulateIndexed(mode, moved.data(), n, buildIndices);
    } else {
        ok = triangulate(mode, base, (uint32_t)vertices.size(), buildIndices);
    }
    if (!ok) {
        layerError(GL_INVALID_ENUM);  // lists hold no points or lines
        return;
    }
    size_t added = buildIndices.size() - before;
    // As on the desktop, a list's arrays leave the last vertex's values
    // current once it has played, as its own glColor/glTexCoord/glNormal do.
    if (n > 0 || !vertices.empty()) {
        const Vertex& last = order ? vertices[order[n - 1]] : vertices.back();
        if (attribs & ATTR_COLOR)
            std::memcpy(buildCurrent.color, last.color, sizeof buildCurrent.color);
        if (attribs & ATTR_TEXCOORD)
            std::memcpy(buildCurrent.texcoord, last.tex, sizeof buildCurrent.texcoord);
        if (attribs & ATTR_NORMAL)
            std::memcpy(buildCurrent.normal, last.normal, sizeof buildCurrent.normal);
        buildSet |= attribs;
        setInsideBegin |= attribs;
    }
    if (!building.items.empty() && building.items.back().batch >= 0) {
        ListBatch& last = building.batches[(size_t)building.items.back().batch];
        if (last.attribs == attribs && last.firstIndex + last.indexCount == before) {
            last.indexCount += added;
            return;
        }
    }
    building.batches.push_back(ListBatch{before, added, attribs});
    building.items.push_back(ListItem{nullptr, (int)building.batches.size() - 1});
}

GLuint es_glGenLists(GLsizei range)
{
    if (range < 0) {
        layerError(GL_INVALID_VALUE);
        return 0;
    }
    if (range == 0)
        return 0;
    GLuint first = nextName;
    for (GLsizei i = 0; i < range; i++)
        lists[first + (GLuint)i];
    nextName += (GLuint)range;
    return first;
}

void es_glDeleteLists(GLuint list, GLsizei range)
{
    for (GLsizei i = 0; i < range; i++) {
        auto it = lists.find(list + (GLuint)i);
        if (it == lists.end())
            continue;
        freeBuffers(it->second);
        lists.erase(it);
    }
}

void es_glNewList(GLuint list, GLenum mode)
{
    if (compiling || list == 0) {
        layerError(compiling ? GL_INVALID_OPERATION : GL_INVALID_VALUE);
        return;
    }
    if (mode != GL_COMPILE && mode != GL_COMPILE_AND_EXECUTE) {
        layerError(GL_INVALID_ENUM);
        return;
    }
    compiling = true;
    compilingName = list;
    compilingMode = mode;
    building = DisplayList{};
    buildVertices.clear();
    buildIndices.clear();
    std::memcpy(buildCurrent.color, L.s.color, sizeof buildCurrent.color);
    std::memcpy(buildCurrent.texcoord, L.s.texcoord, sizeof buildCurrent.texcoord);
    std::memcpy(buildCurrent.normal, L.s.normal, sizeof buildCurrent.normal);
    buildSet = setInsideBegin = 0;
}

// Values set only between glBegin and glEnd still are the current ones
// after the list, as the desktop leaves them.
static void recordFinalCurrent()
{
    if (!setInsideBegin)
        return;
    unsigned which = setInsideBegin;
    CurrentValues v = buildCurrent;
    recordCall([which, v] {
        if (which & ATTR_COLOR)
            std::memcpy(L.s.color, v.color, sizeof v.color);
        if (which & ATTR_TEXCOORD)
            std::memcpy(L.s.texcoord, v.texcoord, sizeof v.texcoord);
        if (which & ATTR_NORMAL)
            std::memcpy(L.s.normal, v.normal, sizeof v.normal);
    });
}

void es_glEndList()
{
    if (!compiling) {
        layerError(GL_INVALID_OPERATION);
        return;
    }
    recordFinalCurrent();
    compiling = false;
    if (!buildIndices.empty()) {
        es.GenBuffers(1, &building.vertexBuffer);
        es.GenBuffers(1, &building.indexBuffer);
        es.BindBuffer(GL_ARRAY_BUFFER, building.vertexBuffer);
        es.BufferData(GL_ARRAY_BUFFER, (GLsizeiptr)(buildVertices.size() * sizeof(Vertex)), buildVertices.data(),
                      GL_STATIC_DRAW);
        es.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, building.indexBuffer);
        es.BufferData(GL_ELEMENT_ARRAY_BUFFER, (GLsizeiptr)(buildIndices.size() * 4), buildIndices.data(),
                      GL_STATIC_DRAW);
    }
    DisplayList& slot = lists[compilingName];
    freeBuffers(slot);
    slot = std::move(building);
    building = DisplayList{};
    if (compilingMode == GL_COMPILE_AND_EXECUTE)
        es_glCallList(compilingName);
}

static void playList(GLuint name)
{
    auto it = lists.find(name);
    if (it == lists.end())
        return;  // calling an unused name does nothing
    if (playDepth >= MAX_LIST_NESTING)
        return;
    playDepth++;
    // A list may be replaced while it plays (it never is here); hold the buffers by value.
    const DisplayList& list = it->second;
    for (size_t i = 0; i < list.items.size(); i++) {
        const ListItem& item = list.items[i];
        if (item.batch < 0) {
            item.call();
            continue;
        }
        const ListBatch& b = list.batches[(size_t)item.batch];
        drawBuffered(list.vertexBuffer, list.indexBuffer, b.firstIndex, b.indexCount, b.attribs);
    }
    playDepth--;
}

void es_glCallList(GLuint list)
{
    RECORD_IN_LIST(es_glCallList(list));
    playList(list);
}

void es_glCallLists(GLsizei n, GLenum type, const GLvoid* names)
{
    if (n < 0) {
        layerError(GL_INVALID_VALUE);
        return;
    }
    std::vector<GLuint> each((size_t)n);
    for (GLsizei i = 0; i < n; i++) {
        switch (type) {
        case GL_UNSIGNED_BYTE: each[(size_t)i] = ((const GLubyte*)names)[i]; break;
        case GL_BYTE: each[(size_t)i] = (GLuint)((const GLbyte*)names)[i]; break;
        case GL_UNSIGNED_SHORT: each[(size_t)i] = ((const GLushort*)names)[i]; break;
        case GL_UNSIGNED_INT: each[(size_t)i] = ((const GLuint*)names)[i]; break;
        default: layerError(GL_INVALID_ENUM); return;
        }
    }
    if (compilingList()) {
        recordCall([each] {
            for (GLuint k : each)
                playList(L.s.listBase + k);
        });
        return;
    }
    for (GLuint k : each)
        playList(L.s.listBase + k);
}

void es_glListBase(GLuint base)
{
    RECORD_IN_LIST(es_glListBase(base));
    L.s.listBase = base;
}
