// Drawing on OpenGL ES 3: the one shader family that stands in for the
// fixed-function pipeline (three matrices, sphere-map texture coordinates,
// MODULATE, linear fog), immediate mode, client arrays, and the start-up of
// the layer.
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "gl/es.h"
#include "platform/glproc.h"

EsTable es;

static const char* const vertexShader = R"(
layout(location = 0) in vec4 position;
layout(location = 1) in vec4 color;
layout(location = 2) in vec4 texcoord;
layout(location = 3) in vec3 normal;
uniform mat4 modelViewProjection, modelView, textureMatrix;
uniform mat3 normalMatrix;
uniform bool sphereS, sphereT, rescaleNormals;
out vec4 vColor;
out vec4 vTexcoord;
out float vFogCoord;
void main()
{
    gl_Position = modelViewProjection * position;
    vec4 eye = modelView * position;
    vColor = clamp(color, 0.0, 1.0);
    vec4 tc = texcoord;
    if (sphereS || sphereT) {
        vec3 u = normalize(eye.xyz);
        vec3 n = normalMatrix * normal;
        if (rescaleNormals)
            n = normalize(n);
        vec3 r = u - 2.0 * dot(n, u) * n;
        float m = 2.0 * sqrt(r.x * r.x + r.y * r.y + (r.z + 1.0) * (r.z + 1.0));
        if (sphereS)
            tc.s = r.x / m + 0.5;
        if (sphereT)
            tc.t = r.y / m + 0.5;
    }
    mat4 t = textureMatrix;
    vTexcoord = vec4(dot(t[0], tc), dot(t[1], tc), dot(t[2], tc), dot(t[3], tc));
    vFogCoord = abs(eye.z);
}
)";

// One program per combination of texture and fog, so the fragment shader
// has no branches: the most common draws (a textured screen quad) run the
// shortest shader. The texel is taken back to its byte and scaled by 1/255,
// as the desktop's fixed function does, with the constants as uniforms so
// the compiler cannot fold them into the product: texture times colour
// then rounds to the same byte (the mosaic's four added layers would
// otherwise differ by up to four). The colour leaves on the byte it is
// stored as, alpha too: the desktop blends bytes, so a blend weighs by its
// alpha's byte (1/7 as 36/255); a GL that blends the float alpha (a
// browser's) would leave the smear's layers a few levels apart.
static const char* const fragmentShader = R"(
precision highp float;
uniform sampler2D image;
uniform float texelSteps, texelStep;  // 255 and 1/255, as uniforms so the compiler keeps the order of operations
uniform vec4 fogColor;
uniform float fogEnd, fogScale;
in vec4 vColor;
in vec4 vTexcoord;
in float vFogCoord;
out vec4 fragColor;
void main()
{
#if TEXTURED
    vec4 texel = round(textureProj(image, vTexcoord) * texelSteps) * texelStep;
    vec4 c = vColor * texel;
#else
    vec4 c = vColor;
#endif
#if FOGGED
    float f = clamp((fogEnd - vFogCoord) * fogScale, 0.0, 1.0);
    c.rgb = mix(fogColor.rgb, c.rgb, f);
#endif
    fragColor = round(c * texelSteps) * texelStep;
}
)";

struct Program {
    GLuint name;
    GLint modelViewProjection, modelView, textureMatrix, normalMatrix;
    GLint sphereS, sphereT, normalize, fogColor, fogEnd, fogScale, image;
    // What it was last given, so unchanged values are not sent again.
    unsigned matrixSerial;
    int switches;
    float fog[6];
};
const int PROGRAM_TEXTURED = 1, PROGRAM_FOGGED = 2;
static Program programs[4];
static int currentProgram = -1;
static GLuint vertexArray = 0, streamVertices = 0, streamIndices = 0;
static unsigned enabledArrays = 0;  // of the attributes after position, in the layer's vertex array

static bool loadEntryPoints(char* err, int errSize)
{
#define ZANT_ES_LOAD(ret, name, params)                                                        \
    es.name = (ret(*) params)glesProc("gl" #name);                                             \
    if (!es.name || isDispatchTrampoline((void*)es.name)) {                                    \
        std::snprintf(err, errSize, "the OpenGL ES context has no gl%s", #name);               \
        return false;                                                                          \
    }
    ZANT_ES_FUNCTIONS(ZANT_ES_LOAD)
#undef ZANT_ES_LOAD
    return true;
}

static GLuint compileShader(GLenum kind, const char* prefix, const char* source, char* err, int errSize)
{
    GLuint shader = es.CreateShader(kind);
    const char* parts[2] = {prefix, source};
    es.ShaderSource(shader, 2, parts, nullptr);
    es.CompileShader(shader);
    GLint ok = 0;
    es.GetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[512] = "";
        es.GetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::snprintf(err, errSize, "the layer's shader does not compile: %s", log);
        return 0;
    }
    return shader;
}

static bool buildProgram(int variant, GLuint vs, char* err, int errSize)
{
    char prefix[96];
    std::snprintf(prefix, sizeof prefix, "#version 300 es\n#define TEXTURED %d\n#define FOGGED %d\n",
                  (variant & PROGRAM_TEXTURED) ? 1 : 0, (variant & PROGRAM_FOGGED) ? 1 : 0);
    GLuint fs = compileShader(GL_FRAGMENT_SHADER, prefix, fragmentShader, err, errSize);
    if (!fs)
        return false;
    GLuint name = es.CreateProgram();
    es.AttachShader(name, vs);
    es.AttachShader(name, fs);
    es.LinkProgram(name);
    GLint ok = 0;
    es.GetProgramiv(name, GL_LINK_STATUS, &ok);
    if (!ok) {
        char log[512] = "";
        es.GetProgramInfoLog(name, sizeof log, nullptr, log);
        std::snprintf(err, errSize, "the layer's shader does not link: %s", log);
        return false;
    }
    auto at = [name](const char* uniform) { return es.GetUniformLocation(name, uniform); };
    programs[variant] = Program{name,          at("modelViewProjection"), at("modelView"), at("textureMatrix"),
                                at("normalMatrix"), at("sphereS"),        at("sphereT"),   at("rescaleNormals"),
                                at("fogColor"), at("fogEnd"),             at("fogScale"),  at("image"),
                                0,             -1,                        {}};
    es.UseProgram(name);
    es.Uniform1i(programs[variant].image, 0);
    es.Uniform1f(es.GetUniformLocation(name, "texelSteps"), 255.0f);
    es.Uniform1f(es.GetUniformLocation(name, "texelStep"), 1.0f / 255.0f);
    return true;
}

static bool buildPrograms(char* err, int errSize)
{
    GLuint vs = compileShader(GL_VERTEX_SHADER, "#version 300 es\n", vertexShader, err, errSize);
    if (!vs)
        return false;
    for (int variant = 0; variant < 4; variant++) {
        if (!buildProgram(variant, vs, err, errSize))
            return false;
    }
    currentProgram = -1;
    return true;
}

void resetSentState();
void resetLists();
void resetTextures();

static void resetLayerState()
{
    L = LayerState{};
    for (auto& stack : L.stacks)
        stack.assign(1, identityMatrix());
    es.GetIntegerv(GL_VIEWPORT, L.s.viewport);
    std::memcpy(L.s.scissor, L.s.viewport, sizeof L.s.scissor);
    enabledArrays = 0;
    resetSentState();
    resetLists();
    resetTextures();
}

// The layer is for OpenGL ES contexts only: on a desktop one the same calls
// would work and prove nothing about the path.
static bool esContext(char* err, int errSize)
{
    const char* version = (const char*)es.GetString(GL_VERSION);
    if (version && std::strncmp(version, "OpenGL ES 3", 11) == 0)
        return true;
    std::snprintf(err, errSize, "the context is not OpenGL ES 3 (it says \"%s\")", version ? version : "nothing");
    return false;
}

bool startEsLayer(char* err, int errSize)
{
    if (!loadEntryPoints(err, errSize) || !esContext(err, errSize) || !buildPrograms(err, errSize))
        return false;
    es.GenVertexArrays(1, &vertexArray);
    es.BindVertexArray(vertexArray);
    es.GenBuffers(1, &streamVertices);
    es.GenBuffers(1, &streamIndices);
    es.EnableVertexAttribArray(0);
    resetLayerState();
    keepFrameAlphaOpaque();
    while (es.GetError() != GL_NO_ERROR) { }
    return true;
}

// --- shader inputs --------------------------------------------------------

// The normal matrix: the inverse transpose of the modelview's upper 3x3.
static void normalMatrixOf(const Mat4& mv, float out[9])
{
    const float* m = mv.m;
    double a = m[0], b = m[4], c = m[8], d = m[1], e = m[5], f = m[9], g = m[2], h = m[6], i = m[10];
    double det = a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
    if (det == 0.0)
        det = 1.0;
    double inv[9] = {(e * i - f * h) / det, (c * h - b * i) / det, (b * f - c * e) / det,
                     (f * g - d * i) / det, (a * i - c * g) / det, (c * d - a * f) / det,
                     (d * h - e * g) / det, (b * g - a * h) / det, (a * e - b * d) / det};
    // inv is row-major (inv[r*3+c]); the transpose in column-major is the same array.
    for (int k = 0; k < 9; k++)
        out[k] = (float)inv[k];
}

static void sendMatrices(Program& p)
{
    if (p.matrixSerial == L.matrixSerial)
        return;
    const Mat4& mv = L.stacks[STACK_MODELVIEW].back();
    Mat4 mvp = multiply(L.stacks[STACK_PROJECTION].back(), mv);
    float nm[9];
    normalMatrixOf(mv, nm);
    es.UniformMatrix4fv(p.modelViewProjection, 1, GL_FALSE, mvp.m);
    es.UniformMatrix4fv(p.modelView, 1, GL_FALSE, mv.m);
    es.UniformMatrix4fv(p.textureMatrix, 1, GL_TRUE, L.stacks[STACK_TEXTURE].back().m);
    es.UniformMatrix3fv(p.normalMatrix, 1, GL_FALSE, nm);
    p.matrixSerial = L.matrixSerial;
}

static void sendSwitches(Program& p)
{
    uint32_t en = L.s.enables;
    bool sphereS = (en & EN_TEXGEN_S) && L.s.texGenMode[0] == GL_SPHERE_MAP;
    bool sphereT = (en & EN_TEXGEN_T) && L.s.texGenMode[1] == GL_SPHERE_MAP;
    int switches = (sphereS ? 1 : 0) | (sphereT ? 2 : 0) | ((en & EN_NORMALIZE) ? 4 : 0);
    if (switches != p.switches) {
        es.Uniform1i(p.sphereS, switches & 1);
        es.Uniform1i(p.sphereT, (switches >> 1) & 1);
        es.Uniform1i(p.normalize, (switches >> 2) & 1);
        p.switches = switches;
    }
    if (p.fogColor < 0)
        return;
    float range = L.s.fogEnd - L.s.fogStart;
    float fog[6] = {L.s.fogColor[0], L.s.fogColor[1], L.s.fogColor[2], L.s.fogColor[3], L.s.fogEnd,
                    range != 0.0f ? 1.0f / range : 0.0f};
    if (std::memcmp(fog, p.fog, sizeof fog)) {
        es.Uniform4fv(p.fogColor, 1, fog);
        es.Uniform1f(p.fogEnd, fog[4]);
        es.Uniform1f(p.fogScale, fog[5]);
        std::memcpy(p.fog, fog, sizeof fog);
    }
}

static void prepareDraw()
{
    flushRealState();
    uint32_t en = L.s.enables;
    int variant = ((en & EN_TEXTURE_2D) ? PROGRAM_TEXTURED : 0) |
        ((en & EN_FOG) && L.s.fogMode == GL_LINEAR ? PROGRAM_FOGGED : 0);
    Program& p = programs[variant];
    if (variant != currentProgram) {
        es.UseProgram(p.name);
        currentProgram = variant;
    }
    sendMatrices(p);
    sendSwitches(p);
}

// Attribute 0 is always per vertex; the others per vertex or the current value.
static void bindAttributes(unsigned attribs)
{
    const GLsizei stride = sizeof(Vertex);
    es.VertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, stride, (const void*)offsetof(Vertex, pos));
    struct Slot {
        unsigned bit;
        GLuint location;
        GLint size;
        size_t offset;
        const float* current;
    };
    const Slot slots[3] = {{ATTR_COLOR, 1, 4, offsetof(Vertex, color), L.s.color},
                           {ATTR_TEXCOORD, 2, 4, offsetof(Vertex, tex), L.s.texcoord},
                           {ATTR_NORMAL, 3, 3, offsetof(Vertex, normal), L.s.normal}};
    for (const Slot& s : slots) {
        if (attribs & s.bit) {
            if (!(enabledArrays & s.bit))
                es.EnableVertexAttribArray(s.location);
            es.VertexAttribPointer(s.location, s.size, GL_FLOAT, GL_FALSE, stride, (const void*)s.offset);
        } else {
            if (enabledArrays & s.bit)
                es.DisableVertexAttribArray(s.location);
            es.VertexAttrib4f(s.location, s.current[0], s.current[1], s.current[2], s.size == 4 ? s.current[3] : 1.0f);
        }
    }
    enabledArrays = attribs;
}

void drawVertices(const Vertex* vertices, size_t count, const uint32_t* indices, size_t indexCount, unsigned attribs,
                  GLenum nativeMode)
{
    if (count == 0)
        return;
    prepareDraw();
    es.BindBuffer(GL_ARRAY_BUFFER, streamVertices);
    es.BufferData(GL_ARRAY_BUFFER, (GLsizeiptr)(count * sizeof(Vertex)), vertices, GL_STREAM_DRAW);
    bindAttributes(attribs);
    if (!indices) {
        es.DrawArrays(nativeMode, 0, (GLsizei)count);
        return;
    }
    if (indexCount == 0)
        return;
    es.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, streamIndices);
    es.BufferData(GL_ELEMENT_ARRAY_BUFFER, (GLsizeiptr)(indexCount * 4), indices, GL_STREAM_DRAW);
    es.DrawElements(GL_TRIANGLES, (GLsizei)indexCount, GL_UNSIGNED_INT, nullptr);
}

void drawBuffered(GLuint vbo, GLuint ibo, size_t firstIndex, size_t indexCount, unsigned attribs)
{
    prepareDraw();
    es.BindBuffer(GL_ARRAY_BUFFER, vbo);
    bindAttributes(attribs);
    es.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, ibo);
    es.DrawElements(GL_TRIANGLES, (GLsizei)indexCount, GL_UNSIGNED_INT, (const void*)(firstIndex * 4));
}

// --- primitives -------------------------------------------------------------

// Each primitive split into triangles with the vertices in the order the
// desktop rasteriser (Mesa's draw module, last vertex provoking) uses, so
// attribute interpolation rounds alike: quads, fans and polygons around
// their first vertex.
template <class At>
static bool triangulateWith(GLenum mode, uint32_t n, At at, std::vector<uint32_t>& out)
{
    auto tri = [&](uint32_t a, uint32_t b, uint32_t c) { out.insert(out.end(), {at(a), at(b), at(c)}); };
    switch (mode) {
    case GL_TRIANGLES:
        for (uint32_t i = 0; i + 2 < n; i += 3)
            tri(i, i + 1, i + 2);
        return true;
    case GL_TRIANGLE_STRIP:
        for (uint32_t i = 0; i + 2 < n; i++)
            (i & 1) ? tri(i + 1, i, i + 2) : tri(i, i + 1, i + 2);
        return true;
    case GL_TRIANGLE_FAN:
    case GL_POLYGON:
        for (uint32_t i = 0; i + 2 < n; i++)
            tri(i + 1, i + 2, 0);
        return true;
    case GL_QUADS:
        for (uint32_t i = 0; i + 3 < n; i += 4) {
            if (compilingList()) {  // display lists split them on the other diagonal
                tri(i, i + 1, i + 3);
                tri(i + 1, i + 2, i + 3);
            } else {
                tri(i + 1, i + 2, i);
                tri(i + 2, i + 3, i);
            }
        }
        return true;
    case GL_QUAD_STRIP:
        for (uint32_t i = 0; i + 3 < n; i += 2) {
            tri(i + 2, i, i + 3);
            tri(i, i + 1, i + 3);
        }
        return true;
    default: return false;
    }
}

bool triangulate(GLenum mode, uint32_t base, uint32_t n, std::vector<uint32_t>& indices)
{
    return triangulateWith(mode, n, [base](uint32_t i) { return base + i; }, indices);
}

bool triangulateIndexed(GLenum mode, const uint32_t* order, uint32_t n, std::vector<uint32_t>& indices)
{
    return triangulateWith(mode, n, [order](uint32_t i) { return order[i]; }, indices);
}

static bool knownMode(GLenum mode)
{
    return mode <= GL_POLYGON;
}

// --- immediate mode ---------------------------------------------------------

static std::vector<Vertex> immediate;
static GLenum immediateMode = 0;
static bool insideBegin = false;
static std::vector<uint32_t> scratchIndices;

bool betweenBeginEnd()
{
    return insideBegin;
}

void currentVertex(Vertex& v)
{
    const float* c = compilingList() ? listCurrent().color : L.s.color;
    const float* t = compilingList() ? listCurrent().texcoord : L.s.texcoord;
    const float* n = compilingList() ? listCurrent().normal : L.s.normal;
    std::memcpy(v.color, c, sizeof v.color);
    std::memcpy(v.tex, t, sizeof v.tex);
    std::memcpy(v.normal, n, sizeof v.normal);
    v.pos[0] = v.pos[1] = v.pos[2] = 0.0f;
    v.pos[3] = 1.0f;
}

void es_glBegin(GLenum mode)
{
    if (insideBegin || !knownMode(mode)) {
        layerError(insideBegin ? GL_INVALID_OPERATION : GL_INVALID_ENUM);
        return;
    }
    insideBegin = true;
    immediateMode = mode;
    immediate.clear();
}

static void drawPrimitive(GLenum mode, const Vertex* vertices, size_t count, unsigned attribs)
{
    scratchIndices.clear();
    if (triangulate(mode, 0, (uint32_t)count, scratchIndices))
        drawVertices(vertices, count, scratchIndices.data(), scratchIndices.size(), attribs, mode);
    else
        drawVertices(vertices, count, nullptr, 0, attribs, mode);
}

void es_glEnd()
{
    if (!insideBegin) {
        layerError(GL_INVALID_OPERATION);
        return;
    }
    insideBegin = false;
    if (compilingList())
        listAddPrimitive(immediateMode, immediate, nullptr, 0, listAttribs());
    else
        drawPrimitive(immediateMode, immediate.data(), immediate.size(), ATTR_COLOR | ATTR_TEXCOORD | ATTR_NORMAL);
}

void es_glVertex3f(GLfloat x, GLfloat y, GLfloat z)
{
    if (!insideBegin)
        return;  // GL leaves a vertex outside glBegin/glEnd undefined
    Vertex v;
    currentVertex(v);
    v.pos[0] = x;
    v.pos[1] = y;
    v.pos[2] = z;
    immediate.push_back(v);
}

void es_glVertex2f(GLfloat x, GLfloat y)
{
    es_glVertex3f(x, y, 0.0f);
}

static void setCurrent(unsigned attrib, const float* values, int n)
{
    if (compilingList()) {
        listSetCurrent(attrib, values, insideBegin);
        return;
    }
    float* to = attrib == ATTR_COLOR ? L.s.color : attrib == ATTR_TEXCOORD ? L.s.texcoord : L.s.normal;
    std::memcpy(to, values, sizeof(float) * n);
}

void es_glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a)
{
    const float v[4] = {r, g, b, a};
    setCurrent(ATTR_COLOR, v, 4);
}

void es_glColor3f(GLfloat r, GLfloat g, GLfloat b)
{
    es_glColor4f(r, g, b, 1.0f);
}

void es_glTexCoord2f(GLfloat s, GLfloat t)
{
    const float v[4] = {s, t, 0.0f, 1.0f};
    setCurrent(ATTR_TEXCOORD, v, 4);
}

void es_glNormal3f(GLfloat x, GLfloat y, GLfloat z)
{
    const float v[3] = {x, y, z};
    setCurrent(ATTR_NORMAL, v, 3);
}

void es_glNormal3d(GLdouble x, GLdouble y, GLdouble z)
{
    es_glNormal3f((float)x, (float)y, (float)z);
}

void es_glNormal3dv(const GLdouble* v)
{
    es_glNormal3f((float)v[0], (float)v[1], (float)v[2]);
}

// --- client arrays ----------------------------------------------------------

static void readArray(const ClientArray& a, int i, float* out, int maxComponents)
{
    int n = a.size < maxComponents ? a.size : maxComponents;
    if (a.type == GL_DOUBLE) {
        size_t stride = a.stride ? (size_t)a.stride : sizeof(double) * a.size;
        const double* p = (const double*)((const char*)a.pointer + stride * (size_t)i);
        for (int k = 0; k < n; k++)
            out[k] = (float)p[k];
    } else {
        size_t stride = a.stride ? (size_t)a.stride : sizeof(float) * a.size;
        const float* p = (const float*)((const char*)a.pointer + stride * (size_t)i);
        for (int k = 0; k < n; k++)
            out[k] = p[k];
    }
}

void fetchArrayVertex(int i, Vertex& v, unsigned& attribs)
{
    currentVertex(v);
    attribs = 0;
    const ClientArray* a = L.c.arrays;
    if (a[ARRAY_TEXCOORD].enabled) {
        v.tex[0] = v.tex[1] = v.tex[2] = 0.0f;
        v.tex[3] = 1.0f;
    }
    if (a[ARRAY_VERTEX].enabled)
        readArray(a[ARRAY_VERTEX], i, v.pos, 4);
    if (a[ARRAY_COLOR].enabled) {
        v.color[3] = 1.0f;
        readArray(a[ARRAY_COLOR], i, v.color, 4);
        attribs |= ATTR_COLOR;
    }
    if (a[ARRAY_TEXCOORD].enabled) {
        readArray(a[ARRAY_TEXCOORD], i, v.tex, 4);
        attribs |= ATTR_TEXCOORD;
    }
    if (a[ARRAY_NORMAL].enabled) {
        readArray(a[ARRAY_NORMAL], i, v.normal, 3);
        attribs |= ATTR_NORMAL;
    }
}

// The vertices of one array draw. The store only grows: the fins gather
// 156,552 vertices a frame, and clearing and refilling a vector would zero
// them all first.
static std::vector<Vertex> gatheredStore;
static size_t gatheredCount = 0;

static std::vector<Vertex> gatheredCopy(size_t from)
{
    return std::vector<Vertex>(gatheredStore.begin() + (long)from, gatheredStore.begin() + (long)gatheredCount);
}

static unsigned gatherRange(int first, int count)
{
    unsigned attribs = 0;
    size_t base = gatheredCount;
    if (gatheredStore.size() < base + (size_t)count)
        gatheredStore.resize(base + (size_t)count);
    for (int i = 0; i < count; i++)
        fetchArrayVertex(first + i, gatheredStore[base + i], attribs);
    gatheredCount = base + (size_t)count;
    return attribs;
}

static bool arraysUsable(GLenum mode)
{
    if (!knownMode(mode)) {
        layerError(GL_INVALID_ENUM);
        return false;
    }
    return L.c.arrays[ARRAY_VERTEX].enabled;
}

void es_glDrawArrays(GLenum mode, GLint first, GLsizei count)
{
    if (!arraysUsable(mode) || count <= 0)
        return;
    gatheredCount = 0;
    unsigned attribs = gatherRange(first, count);
    if (compilingList())
        listAddPrimitive(mode, gatheredCopy(0), nullptr, 0, attribs);
    else
        drawPrimitive(mode, gatheredStore.data(), gatheredCount, attribs);
}

// All the ranges in one vertex buffer and one draw.
void es_glMultiDrawArrays(GLenum mode, const GLint* first, const GLsizei* count, GLsizei drawcount)
{
    if (!arraysUsable(mode))
        return;
    gatheredCount = 0;
    scratchIndices.clear();
    unsigned attribs = 0;
    bool triangles = true;
    for (GLsizei d = 0; d < drawcount; d++) {
        if (count[d] <= 0)
            continue;
        uint32_t base = (uint32_t)gatheredCount;
        attribs = gatherRange(first[d], count[d]);
        if (compilingList()) {
            listAddPrimitive(mode, gatheredCopy(base), nullptr, 0, attribs);
            continue;
        }
        triangles = triangulate(mode, base, (uint32_t)count[d], scratchIndices) && triangles;
    }
    if (compilingList())
        return;
    if (triangles)
        drawVertices(gatheredStore.data(), gatheredCount, scratchIndices.data(), scratchIndices.size(), attribs, mode);
    else
        layerError(GL_INVALID_ENUM);  // lines and points are not batched
}

static uint32_t indexAt(GLenum type, const void* indices, size_t i)
{
    switch (type) {
    case GL_UNSIGNED_BYTE: return ((const uint8_t*)indices)[i];
    case GL_UNSIGNED_SHORT: return ((const uint16_t*)indices)[i];
    default: return ((const uint32_t*)indices)[i];
    }
}

// The referenced range of the arrays once, the indices moved down to it.
void es_glDrawElements(GLenum mode, GLsizei count, GLenum type, const GLvoid* indices)
{
    if (type != GL_UNSIGNED_BYTE && type != GL_UNSIGNED_SHORT && type != GL_UNSIGNED_INT) {
        layerError(GL_INVALID_ENUM);
        return;
    }
    if (!arraysUsable(mode) || count <= 0)
        return;
    uint32_t lo = UINT32_MAX, hi = 0;
    for (GLsizei i = 0; i < count; i++) {
        uint32_t k = indexAt(type, indices, (size_t)i);
        lo = k < lo ? k : lo;
        hi = k > hi ? k : hi;
    }
    gatheredCount = 0;
    unsigned attribs = gatherRange((int)lo, (int)(hi - lo + 1));
    std::vector<uint32_t> order((size_t)count);
    for (GLsizei i = 0; i < count; i++)
        order[(size_t)i] = indexAt(type, indices, (size_t)i) - lo;
    if (compilingList()) {
        listAddPrimitive(mode, gatheredCopy(0), order.data(), (uint32_t)count, attribs);
        return;
    }
    scratchIndices.clear();
    if (triangulateIndexed(mode, order.data(), (uint32_t)count, scratchIndices))
        drawVertices(gatheredStore.data(), gatheredCount, scratchIndices.data(), scratchIndices.size(), attribs, mode);
    else
        layerError(GL_INVALID_ENUM);
}
