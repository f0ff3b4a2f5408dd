// The layer's fixed-function state: switches, attribute stacks, client
// arrays, pixel storage, queries and errors.
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "gl/es.h"

LayerState L;

void layerError(GLenum error)
{
    if (L.error == GL_NO_ERROR)
        L.error = error;
}

uint32_t enableBit(GLenum cap)
{
    switch (cap) {
    case GL_FOG: return EN_FOG;
    case GL_TEXTURE_2D: return EN_TEXTURE_2D;
    case GL_TEXTURE_1D: return EN_TEXTURE_1D;
    case GL_TEXTURE_GEN_S: return EN_TEXGEN_S;
    case GL_TEXTURE_GEN_T: return EN_TEXGEN_T;
    case GL_TEXTURE_GEN_R: return EN_TEXGEN_R;
    case GL_TEXTURE_GEN_Q: return EN_TEXGEN_Q;
    case GL_LIGHTING: return EN_LIGHTING;
    case GL_ALPHA_TEST: return EN_ALPHA_TEST;
    case GL_COLOR_MATERIAL: return EN_COLOR_MATERIAL;
    case GL_NORMALIZE: return EN_NORMALIZE;
    case GL_AUTO_NORMAL: return EN_AUTO_NORMAL;
    case GL_LINE_SMOOTH: return EN_LINE_SMOOTH;
    case GL_POLYGON_SMOOTH: return EN_POLYGON_SMOOTH;
    case GL_POINT_SMOOTH: return EN_POINT_SMOOTH;
    case GL_LINE_STIPPLE: return EN_LINE_STIPPLE;
    case GL_INDEX_LOGIC_OP: return EN_INDEX_LOGIC_OP;
    case GL_CULL_FACE: return EN_CULL_FACE;
    case GL_DEPTH_TEST: return EN_DEPTH_TEST;
    case GL_BLEND: return EN_BLEND;
    case GL_SCISSOR_TEST: return EN_SCISSOR_TEST;
    case GL_STENCIL_TEST: return EN_STENCIL_TEST;
    case GL_DITHER: return EN_DITHER;
    case GL_LIGHT0: return EN_LIGHT0;
    case GL_POLYGON_OFFSET_FILL: return EN_POLYGON_OFFSET_FILL;
    default: return 0;
    }
}

static void setEnabled(GLenum cap, bool on)
{
    uint32_t bit = enableBit(cap);
    if (!bit) {
        layerError(GL_INVALID_ENUM);
        return;
    }
    L.s.enables = on ? (L.s.enables | bit) : (L.s.enables & ~bit);
}

void es_glEnable(GLenum cap)
{
    RECORD_IN_LIST(es_glEnable(cap));
    setEnabled(cap, true);
}

void es_glDisable(GLenum cap)
{
    RECORD_IN_LIST(es_glDisable(cap));
    setEnabled(cap, false);
}

GLboolean es_glIsEnabled(GLenum cap)
{
    if (ClientArray* a = nullptr; cap == GL_VERTEX_ARRAY || cap == GL_COLOR_ARRAY || cap == GL_NORMAL_ARRAY ||
                                  cap == GL_TEXTURE_COORD_ARRAY) {
        (void)a;
        int id = cap == GL_VERTEX_ARRAY ? ARRAY_VERTEX
            : cap == GL_COLOR_ARRAY     ? ARRAY_COLOR
            : cap == GL_NORMAL_ARRAY    ? ARRAY_NORMAL
                                        : ARRAY_TEXCOORD;
        return L.c.arrays[id].enabled;
    }
    uint32_t bit = enableBit(cap);
    if (!bit) {
        layerError(GL_INVALID_ENUM);
        return GL_FALSE;
    }
    return (L.s.enables & bit) ? GL_TRUE : GL_FALSE;
}

// --- attribute stacks ----------------------------------------------------

struct SavedAttribs {
    GLbitfield mask;
    ServerState state;
};
static std::vector<SavedAttribs> attribStack;
struct SavedClient {
    GLbitfield mask;
    ClientState state;
};
static std::vector<SavedClient> clientStack;
const size_t ATTRIB_STACK_DEPTH = 16;

void es_glPushAttrib(GLbitfield mask)
{
    RECORD_IN_LIST(es_glPushAttrib(mask));
    if (attribStack.size() >= ATTRIB_STACK_DEPTH) {
        layerError(GL_STACK_OVERFLOW);
        return;
    }
    L.s.boundParams = textureParams(L.s.boundTexture);
    attribStack.push_back({mask, L.s});
}

static void restoreEnables(ServerState& s, const ServerState& from, uint32_t bits)
{
    s.enables = (s.enables & ~bits) | (from.enables & bits);
}

// Each group restores what glPushAttrib's bit of that name saves.
static void restoreGroups(ServerState& s, const ServerState& f, GLbitfield mask)
{
    if (mask & GL_CURRENT_BIT) {
        std::memcpy(s.color, f.color, sizeof s.color);
        std::memcpy(s.texcoord, f.texcoord, sizeof s.texcoord);
        std::memcpy(s.normal, f.normal, sizeof s.normal);
    }
    if (mask & GL_POLYGON_BIT) {
        s.cullMode = f.cullMode;
        s.frontFace = f.frontFace;
        s.polygonMode = f.polygonMode;
        restoreEnables(s, f, EN_CULL_FACE | EN_POLYGON_SMOOTH | EN_POLYGON_OFFSET_FILL);
    }
    if (mask & GL_PIXEL_MODE_BIT) {
        std::memcpy(s.pixelTransfer, f.pixelTransfer, sizeof s.pixelTransfer);
        s.readBuffer = f.readBuffer;
    }
    if (mask & GL_LIGHTING_BIT) {
        s.shadeModel = f.shadeModel;
        std::memcpy(s.material, f.material, sizeof s.material);
        restoreEnables(s, f, EN_LIGHTING | EN_COLOR_MATERIAL | EN_LIGHT0);
    }
    if (mask & GL_FOG_BIT) {
        s.fogMode = f.fogMode;
        s.fogDensity = f.fogDensity;
        s.fogStart = f.fogStart;
        s.fogEnd = f.fogEnd;
        std::memcpy(s.fogColor, f.fogColor, sizeof s.fogColor);
        restoreEnables(s, f, EN_FOG);
    }
    if (mask & GL_DEPTH_BUFFER_BIT) {
        s.depthFunc = f.depthFunc;
        s.depthMask = f.depthMask;
        s.clearDepth = f.clearDepth;
        restoreEnables(s, f, EN_DEPTH_TEST);
    }
    if (mask & GL_VIEWPORT_BIT)
        std::memcpy(s.viewport, f.viewport, sizeof s.viewport);
    if (mask & GL_TRANSFORM_BIT) {
        s.matrixMode = f.matrixMode;
        restoreEnables(s, f, EN_NORMALIZE);
    }
    if (mask & GL_ENABLE_BIT)
        s.enables = f.enables;
    if (mask & GL_COLOR_BUFFER_BIT) {
        s.alphaFunc = f.alphaFunc;
        s.alphaRef = f.alphaRef;
        s.blendSrc = f.blendSrc;
        s.blendDst = f.blendDst;
        std::memcpy(s.colorMask, f.colorMask, sizeof s.colorMask);
        std::memcpy(s.clearColor, f.clearColor, sizeof s.clearColor);
        s.drawBuffer = f.drawBuffer;
        restoreEnables(s, f, EN_ALPHA_TEST | EN_BLEND | EN_DITHER | EN_INDEX_LOGIC_OP);
    }
    if (mask & GL_HINT_BIT) {
        s.perspectiveHint = f.perspectiveHint;
        s.fogHint = f.fogHint;
        s.otherHint = f.otherHint;
    }
    if (mask & GL_LIST_BIT)
        s.listBase = f.listBase;
    if (mask & GL_TEXTURE_BIT) {
        s.boundTexture = f.boundTexture;
        s.texEnvMode = f.texEnvMode;
        s.texGenMode[0] = f.texGenMode[0];
        s.texGenMode[1] = f.texGenMode[1];
        restoreEnables(s, f,
                       EN_TEXTURE_1D | EN_TEXTURE_2D | EN_TEXGEN_S | EN_TEXGEN_T | EN_TEXGEN_R | EN_TEXGEN_Q);
    }
    if (mask & GL_SCISSOR_BIT) {
        std::memcpy(s.scissor, f.scissor, sizeof s.scissor);
        restoreEnables(s, f, EN_SCISSOR_TEST);
    }
}

// GL_TEXTURE_BIT also brings back the parameters of the texture that was
// bound when the attributes were pushed.
static void restoreTexture(const ServerState& saved)
{
    es.BindTexture(GL_TEXTURE_2D, saved.boundTexture);
    TextureParams& now = textureParams(saved.boundTexture);
    const TextureParams& then = saved.boundParams;
    const GLenum names[4] = {GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER, GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T};
    GLint* to[4] = {&now.minFilter, &now.magFilter, &now.wrapS, &now.wrapT};
    const GLint from[4] = {then.minFilter, then.magFilter, then.wrapS, then.wrapT};
    for (int i = 0; i < 4; i++) {
        if (*to[i] != from[i] && saved.boundTexture != 0) {
            *to[i] = from[i];
            es.TexParameteri(GL_TEXTURE_2D, names[i], from[i]);
        }
    }
}

void es_glPopAttrib()
{
    RECORD_IN_LIST(es_glPopAttrib());
    if (attribStack.empty()) {
        layerError(GL_STACK_UNDERFLOW);
        return;
    }
    SavedAttribs saved = attribStack.back();
    attribStack.pop_back();
    restoreGroups(L.s, saved.state, saved.mask);
    if (saved.mask & GL_TEXTURE_BIT)
        restoreTexture(saved.state);
    if (saved.mask & (GL_COLOR_BUFFER_BIT | GL_PIXEL_MODE_BIT)) {
        GLenum draw = L.s.drawBuffer;
        es.DrawBuffers(1, &draw);
        es.ReadBuffer(L.s.readBuffer);
    }
}

void es_glPushClientAttrib(GLbitfield mask)
{
    if (clientStack.size() >= ATTRIB_STACK_DEPTH) {
        layerError(GL_STACK_OVERFLOW);
        return;
    }
    clientStack.push_back({mask, L.c});
}

void es_glPopClientAttrib()
{
    if (clientStack.empty()) {
        layerError(GL_STACK_UNDERFLOW);
        return;
    }
    SavedClient saved = clientStack.back();
    clientStack.pop_back();
    if (saved.mask & GL_CLIENT_VERTEX_ARRAY_BIT) {
        std::memcpy((void*)L.c.arrays, (const void*)saved.state.arrays, sizeof L.c.arrays);
        L.c.indexArray = saved.state.indexArray;
        L.c.edgeFlagArray = saved.state.edgeFlagArray;
    }
    if (saved.mask & GL_CLIENT_PIXEL_STORE_BIT) {
        ClientArray arrays[ARRAY_COUNT];
        std::memcpy((void*)arrays, (const void*)L.c.arrays, sizeof arrays);
        bool index = L.c.indexArray, edge = L.c.edgeFlagArray;
        L.c = saved.state;
        std::memcpy((void*)L.c.arrays, (const void*)arrays, sizeof arrays);
        L.c.indexArray = index;
        L.c.edgeFlagArray = edge;
    }
}

// --- client arrays -------------------------------------------------------

static ClientArray* clientArray(GLenum array)
{
    switch (array) {
    case GL_VERTEX_ARRAY: return &L.c.arrays[ARRAY_VERTEX];
    case GL_COLOR_ARRAY: return &L.c.arrays[ARRAY_COLOR];
    case GL_TEXTURE_COORD_ARRAY: return &L.c.arrays[ARRAY_TEXCOORD];
    case GL_NORMAL_ARRAY: return &L.c.arrays[ARRAY_NORMAL];
    default: return nullptr;
    }
}

static void setClientState(GLenum array, bool on)
{
    if (ClientArray* a = clientArray(array))
        a->enabled = on;
    else if (array == GL_INDEX_ARRAY)
        L.c.indexArray = on;
    else if (array == GL_EDGE_FLAG_ARRAY)
        L.c.edgeFlagArray = on;
    else
        layerError(GL_INVALID_ENUM);
}

void es_glEnableClientState(GLenum array)
{
    setClientState(array, true);
}

void es_glDisableClientState(GLenum array)
{
    setClientState(array, false);
}

static void setArray(ArrayId id, GLint size, GLenum type, GLsizei stride, const void* pointer)
{
    if (type != GL_FLOAT && type != GL_DOUBLE) {
        layerError(GL_INVALID_ENUM);
        return;
    }
    ClientArray& a = L.c.arrays[id];
    a.size = size;
    a.type = type;
    a.stride = stride;
    a.pointer = pointer;
}

void es_glVertexPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* ptr)
{
    setArray(ARRAY_VERTEX, size, type, stride, ptr);
}

void es_glTexCoordPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* ptr)
{
    setArray(ARRAY_TEXCOORD, size, type, stride, ptr);
}

void es_glNormalPointer(GLenum type, GLsizei stride, const GLvoid* ptr)
{
    setArray(ARRAY_NORMAL, 3, type, stride, ptr);
}

void es_glPixelStorei(GLenum pname, GLint param)
{
    switch (pname) {
    case GL_PACK_ALIGNMENT: L.c.packAlignment = param; break;
    case GL_UNPACK_ALIGNMENT: L.c.unpackAlignment = param; break;
    case GL_PACK_ROW_LENGTH: L.c.packRowLength = param; break;
    case GL_PACK_SKIP_ROWS: L.c.packSkipRows = param; break;
    case GL_PACK_SKIP_PIXELS: L.c.packSkipPixels = param; break;
    case GL_UNPACK_ROW_LENGTH: L.c.unpackRowLength = param; break;
    case GL_UNPACK_SKIP_ROWS: L.c.unpackSkipRows = param; break;
    case GL_UNPACK_SKIP_PIXELS: L.c.unpackSkipPixels = param; break;
    case GL_UNPACK_SWAP_BYTES:
    case GL_UNPACK_LSB_FIRST:
    case GL_PACK_SWAP_BYTES:
    case GL_PACK_LSB_FIRST:
        if (param)
            layerError(GL_INVALID_VALUE);
        break;
    default: layerError(GL_INVALID_ENUM);
    }
}

// --- fixed-function parameters kept as state -----------------------------

void es_glFogf(GLenum pname, GLfloat param)
{
    RECORD_IN_LIST(es_glFogf(pname, param));
    switch (pname) {
    case GL_FOG_MODE: L.s.fogMode = (GLenum)param; break;
    case GL_FOG_DENSITY: L.s.fogDensity = param; break;
    case GL_FOG_START: L.s.fogStart = param; break;
    case GL_FOG_END: L.s.fogEnd = param; break;
    default: layerError(GL_INVALID_ENUM);
    }
}

void es_glFogi(GLenum pname, GLint param)
{
    if (pname == GL_FOG_MODE) {
        RECORD_IN_LIST(es_glFogi(pname, param));
        if (param != GL_LINEAR && param != GL_EXP && param != GL_EXP2)
            layerError(GL_INVALID_ENUM);
        else
            L.s.fogMode = (GLenum)param;
        return;
    }
    es_glFogf(pname, (GLfloat)param);
}

void es_glFogfv(GLenum pname, const GLfloat* params)
{
    if (pname != GL_FOG_COLOR) {
        es_glFogf(pname, params[0]);
        return;
    }
    float c[4] = {params[0], params[1], params[2], params[3]};
    if (compilingList()) {
        recordCall([=] { es_glFogfv(GL_FOG_COLOR, c); });
        return;
    }
    std::memcpy(L.s.fogColor, c, sizeof c);
}

static int materialSlot(GLenum pname)
{
    switch (pname) {
    case GL_AMBIENT: return 0;
    case GL_DIFFUSE: return 1;
    case GL_SPECULAR: return 2;
    case GL_EMISSION: return 3;
    case GL_SHININESS: return 4;
    default: return -1;
    }
}

void es_glMaterialfv(GLenum face, GLenum pname, const GLfloat* params)
{
    int slot = materialSlot(pname);
    if (slot < 0) {
        layerError(GL_INVALID_ENUM);
        return;
    }
    float v[4] = {params[0], 0, 0, 0};
    if (slot < 4)
        std::memcpy(v, params, sizeof v);
    if (compilingList()) {
        recordCall([=] { es_glMaterialfv(face, pname, v); });
        return;
    }
    std::memcpy(L.s.material[slot], v, sizeof v);
}

void es_glMaterialf(GLenum face, GLenum pname, GLfloat param)
{
    float v[4] = {param, 0, 0, 0};
    es_glMaterialfv(face, pname, v);
}

void es_glShadeModel(GLenum mode)
{
    RECORD_IN_LIST(es_glShadeModel(mode));
    L.s.shadeModel = mode;
}

void es_glAlphaFunc(GLenum func, GLclampf ref)
{
    RECORD_IN_LIST(es_glAlphaFunc(func, ref));
    L.s.alphaFunc = func;
    L.s.alphaRef = ref;
}

void es_glHint(GLenum target, GLenum mode)
{
    RECORD_IN_LIST(es_glHint(target, mode));
    if (target == GL_PERSPECTIVE_CORRECTION_HINT)
        L.s.perspectiveHint = mode;
    else if (target == GL_FOG_HINT)
        L.s.fogHint = mode;
    else
        L.s.otherHint = mode;
}

void es_glPixelTransferf(GLenum pname, GLfloat param)
{
    RECORD_IN_LIST(es_glPixelTransferf(pname, param));
    if (pname == GL_DEPTH_SCALE)
        L.s.pixelTransfer[0] = param;
    else if (pname == GL_DEPTH_BIAS)
        L.s.pixelTransfer[1] = param;
    else if (!((pname == GL_RED_SCALE || pname == GL_GREEN_SCALE || pname == GL_BLUE_SCALE ||
                pname == GL_ALPHA_SCALE) && param == 1.0f) &&
             !((pname == GL_RED_BIAS || pname == GL_GREEN_BIAS || pname == GL_BLUE_BIAS ||
                pname == GL_ALPHA_BIAS) && param == 0.0f))
        layerError(GL_INVALID_VALUE);  // only the identity transfer is drawn
}

void es_glPolygonMode(GLenum face, GLenum mode)
{
    RECORD_IN_LIST(es_glPolygonMode(face, mode));
    if (mode != GL_FILL)
        layerError(GL_INVALID_ENUM);  // only filled polygons are drawn
    L.s.polygonMode = mode;
}

void es_glTexEnvi(GLenum target, GLenum pname, GLint param)
{
    RECORD_IN_LIST(es_glTexEnvi(target, pname, param));
    if (target != GL_TEXTURE_ENV || pname != GL_TEXTURE_ENV_MODE || param != GL_MODULATE) {
        layerError(GL_INVALID_ENUM);  // MODULATE is the one texture function drawn
        return;
    }
    L.s.texEnvMode = param;
}

void es_glTexGeni(GLenum coord, GLenum pname, GLint param)
{
    RECORD_IN_LIST(es_glTexGeni(coord, pname, param));
    if ((coord != GL_S && coord != GL_T) || pname != GL_TEXTURE_GEN_MODE || param != GL_SPHERE_MAP) {
        layerError(GL_INVALID_ENUM);  // sphere maps on S and T are the one generation drawn
        return;
    }
    L.s.texGenMode[coord == GL_S ? 0 : 1] = param;
}

void es_glBlendFunc(GLenum s, GLenum d)
{
    RECORD_IN_LIST(es_glBlendFunc(s, d));
    L.s.blendSrc = s;
    L.s.blendDst = d;
}

void es_glDepthFunc(GLenum func)
{
    RECORD_IN_LIST(es_glDepthFunc(func));
    L.s.depthFunc = func;
}

void es_glDepthMask(GLboolean flag)
{
    RECORD_IN_LIST(es_glDepthMask(flag));
    L.s.depthMask = flag;
}

void es_glCullFace(GLenum mode)
{
    RECORD_IN_LIST(es_glCullFace(mode));
    L.s.cullMode = mode;
}

void es_glFrontFace(GLenum mode)
{
    RECORD_IN_LIST(es_glFrontFace(mode));
    L.s.frontFace = mode;
}

void es_glColorMask(GLboolean r, GLboolean g, GLboolean b, GLboolean a)
{
    RECORD_IN_LIST(es_glColorMask(r, g, b, a));
    L.s.colorMask[0] = r;
    L.s.colorMask[1] = g;
    L.s.colorMask[2] = b;
    L.s.colorMask[3] = a;
}

void es_glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a)
{
    RECORD_IN_LIST(es_glClearColor(r, g, b, a));
    float c[4] = {r, g, b, a};
    std::memcpy(L.s.clearColor, c, sizeof c);
}

void es_glClearDepth(GLclampd d)
{
    RECORD_IN_LIST(es_glClearDepth(d));
    L.s.clearDepth = (float)d;
}

void es_glViewport(GLint x, GLint y, GLsizei w, GLsizei h)
{
    RECORD_IN_LIST(es_glViewport(x, y, w, h));
    GLint v[4] = {x, y, w, h};
    std::memcpy(L.s.viewport, v, sizeof v);
}

void es_glScissor(GLint x, GLint y, GLsizei w, GLsizei h)
{
    RECORD_IN_LIST(es_glScissor(x, y, w, h));
    GLint v[4] = {x, y, w, h};
    std::memcpy(L.s.scissor, v, sizeof v);
}

// What was last sent, so a draw sends only what changed since.
static ServerState sent;
static bool sentValid = false;

// The show is made for a frame without alpha, where alpha reads as 1: the
// copies it takes of the frame blend by their texels' alpha. A frame that
// has alpha (a browser's canvas, which needs it to copy the frame into RGBA
// textures) is kept at 1 there: no draw writes alpha, every colour clear
// sets it, and it is not reported.
static bool opaqueAlpha = false;

void keepFrameAlphaOpaque()
{
    GLint alphaBits = 0;
    es.GetIntegerv(GL_ALPHA_BITS, &alphaBits);
    opaqueAlpha = alphaBits > 0;
    if (!opaqueAlpha)
        return;
    es.ColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_TRUE);
    es.ClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    es.Clear(GL_COLOR_BUFFER_BIT);
    sentValid = false;
}

void es_glClear(GLbitfield mask)
{
    RECORD_IN_LIST(es_glClear(mask));
    flushRealState();
    const ServerState& s = L.s;
    bool setAlpha = opaqueAlpha && (mask & GL_COLOR_BUFFER_BIT);
    if (setAlpha) {
        es.ColorMask(s.colorMask[0], s.colorMask[1], s.colorMask[2], GL_TRUE);
        es.ClearColor(s.clearColor[0], s.clearColor[1], s.clearColor[2], 1.0f);
    }
    es.Clear(mask & (GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT));
    if (setAlpha) {
        es.ColorMask(s.colorMask[0], s.colorMask[1], s.colorMask[2], GL_FALSE);
        es.ClearColor(s.clearColor[0], s.clearColor[1], s.clearColor[2], s.clearColor[3]);
    }
}

static void sendSwitch(uint32_t bit, GLenum cap, uint32_t now)
{
    if (!sentValid || ((now ^ sent.enables) & bit))
        (now & bit) ? es.Enable(cap) : es.Disable(cap);
}

void flushRealState()
{
    const ServerState& s = L.s;
    sendSwitch(EN_CULL_FACE, GL_CULL_FACE, s.enables);
    sendSwitch(EN_DEPTH_TEST, GL_DEPTH_TEST, s.enables);
    sendSwitch(EN_BLEND, GL_BLEND, s.enables);
    sendSwitch(EN_SCISSOR_TEST, GL_SCISSOR_TEST, s.enables);
    sendSwitch(EN_STENCIL_TEST, GL_STENCIL_TEST, s.enables);
    sendSwitch(EN_DITHER, GL_DITHER, s.enables);
    sendSwitch(EN_POLYGON_OFFSET_FILL, GL_POLYGON_OFFSET_FILL, s.enables);
    if (!sentValid || s.blendSrc != sent.blendSrc || s.blendDst != sent.blendDst)
        es.BlendFunc(s.blendSrc, s.blendDst);
    if (!sentValid || s.depthFunc != sent.depthFunc)
        es.DepthFunc(s.depthFunc);
    if (!sentValid || s.depthMask != sent.depthMask)
        es.DepthMask(s.depthMask);
    if (!sentValid || s.cullMode != sent.cullMode)
        es.CullFace(s.cullMode);
    if (!sentValid || s.frontFace != sent.frontFace)
        es.FrontFace(s.frontFace);
    if (!sentValid || std::memcmp(s.colorMask, sent.colorMask, sizeof s.colorMask))
        es.ColorMask(s.colorMask[0], s.colorMask[1], s.colorMask[2], opaqueAlpha ? GL_FALSE : s.colorMask[3]);
    if (!sentValid || std::memcmp(s.viewport, sent.viewport, sizeof s.viewport))
        es.Viewport(s.viewport[0], s.viewport[1], s.viewport[2], s.viewport[3]);
    if (!sentValid || std::memcmp(s.scissor, sent.scissor, sizeof s.scissor))
        es.Scissor(s.scissor[0], s.scissor[1], s.scissor[2], s.scissor[3]);
    if (!sentValid || std::memcmp(s.clearColor, sent.clearColor, sizeof s.clearColor))
        es.ClearColor(s.clearColor[0], s.clearColor[1], s.clearColor[2], s.clearColor[3]);
    if (!sentValid || s.clearDepth != sent.clearDepth)
        es.ClearDepthf(s.clearDepth);
    sent = s;
    sentValid = true;
}

void resetSentState()
{
    sentValid = false;
}

// --- queries -------------------------------------------------------------

static std::string versionText, vendorText;

const GLubyte* es_glGetString(GLenum name)
{
    const char* real = (const char*)es.GetString(name == GL_VERSION ? GL_VERSION : name);
    if (name == GL_VERSION) {
        // "OpenGL ES 3.2 Mesa ..." read as a GL version: the leading number is what callers parse.
        int major = 3, minor = 0;
        if (real)
            std::sscanf(real, "OpenGL ES %d.%d", &major, &minor);
        char text[256];
        std::snprintf(text, sizeof text, "%d.%d (fixed-function layer on %s)", major, minor, real ? real : "OpenGL ES");
        versionText = text;
        return (const GLubyte*)versionText.c_str();
    }
    if (name == GL_EXTENSIONS) {
        // The desktop extension names the program looks for are not there; the
        // layer offers none of its own.
        static const char none[] = "";
        return (const GLubyte*)none;
    }
    return (const GLubyte*)real;
}

static void matrixOf(MatrixStackId id, GLfloat* out)
{
    std::memcpy(out, L.stacks[id].back().m, sizeof(float) * 16);
}

void es_glGetFloatv(GLenum pname, GLfloat* params)
{
    switch (pname) {
    case GL_MODELVIEW_MATRIX: matrixOf(STACK_MODELVIEW, params); return;
    case GL_PROJECTION_MATRIX: matrixOf(STACK_PROJECTION, params); return;
    case GL_TEXTURE_MATRIX: matrixOf(STACK_TEXTURE, params); return;
    case GL_CURRENT_COLOR: std::memcpy(params, L.s.color, sizeof L.s.color); return;
    case GL_CURRENT_TEXTURE_COORDS: std::memcpy(params, L.s.texcoord, sizeof L.s.texcoord); return;
    case GL_CURRENT_NORMAL: std::memcpy(params, L.s.normal, sizeof L.s.normal); return;
    case GL_FOG_COLOR: std::memcpy(params, L.s.fogColor, sizeof L.s.fogColor); return;
    case GL_FOG_START: *params = L.s.fogStart; return;
    case GL_FOG_END: *params = L.s.fogEnd; return;
    case GL_FOG_DENSITY: *params = L.s.fogDensity; return;
    case GL_COLOR_CLEAR_VALUE: std::memcpy(params, L.s.clearColor, sizeof L.s.clearColor); return;
    case GL_DEPTH_CLEAR_VALUE: *params = L.s.clearDepth; return;
    case GL_ALPHA_TEST_REF: *params = L.s.alphaRef; return;
    default: {
        GLint v[16] = {};
        es_glGetIntegerv(pname, v);
        *params = (GLfloat)v[0];
    }
    }
}

static bool stateInteger(GLenum pname, GLint* p)
{
    const ServerState& s = L.s;
    switch (pname) {
    case GL_VIEWPORT: std::memcpy(p, s.viewport, sizeof s.viewport); return true;
    case GL_SCISSOR_BOX: std::memcpy(p, s.scissor, sizeof s.scissor); return true;
    case GL_MATRIX_MODE: *p = (GLint)s.matrixMode; return true;
    case GL_MODELVIEW_STACK_DEPTH: *p = (GLint)L.stacks[STACK_MODELVIEW].size(); return true;
    case GL_PROJECTION_STACK_DEPTH: *p = (GLint)L.stacks[STACK_PROJECTION].size(); return true;
    case GL_TEXTURE_STACK_DEPTH: *p = (GLint)L.stacks[STACK_TEXTURE].size(); return true;
    case GL_ATTRIB_STACK_DEPTH: *p = (GLint)attribStack.size(); return true;
    case GL_CLIENT_ATTRIB_STACK_DEPTH: *p = (GLint)clientStack.size(); return true;
    case GL_LIST_BASE: *p = (GLint)s.listBase; return true;
    case GL_TEXTURE_BINDING_2D: *p = (GLint)s.boundTexture; return true;
    case GL_BLEND_SRC: *p = (GLint)s.blendSrc; return true;
    case GL_BLEND_DST: *p = (GLint)s.blendDst; return true;
    case GL_DEPTH_FUNC: *p = (GLint)s.depthFunc; return true;
    case GL_DEPTH_WRITEMASK: *p = s.depthMask; return true;
    case GL_CULL_FACE_MODE: *p = (GLint)s.cullMode; return true;
    case GL_FRONT_FACE: *p = (GLint)s.frontFace; return true;
    case GL_SHADE_MODEL: *p = (GLint)s.shadeModel; return true;
    case GL_FOG_MODE: *p = (GLint)s.fogMode; return true;
    case GL_FOG_HINT: *p = (GLint)s.fogHint; return true;
    case GL_PERSPECTIVE_CORRECTION_HINT: *p = (GLint)s.perspectiveHint; return true;
    case GL_ALPHA_TEST_FUNC: *p = (GLint)s.alphaFunc; return true;
    case GL_DRAW_BUFFER: *p = (GLint)s.drawBuffer; return true;
    case GL_READ_BUFFER: *p = (GLint)s.readBuffer; return true;
    case GL_PACK_ALIGNMENT: *p = L.c.packAlignment; return true;
    case GL_UNPACK_ALIGNMENT: *p = L.c.unpackAlignment; return true;
    case GL_PACK_ROW_LENGTH: *p = L.c.packRowLength; return true;
    case GL_PACK_SKIP_ROWS: *p = L.c.packSkipRows; return true;
    case GL_PACK_SKIP_PIXELS: *p = L.c.packSkipPixels; return true;
    case GL_UNPACK_ROW_LENGTH: *p = L.c.unpackRowLength; return true;
    case GL_UNPACK_SKIP_ROWS: *p = L.c.unpackSkipRows; return true;
    case GL_UNPACK_SKIP_PIXELS: *p = L.c.unpackSkipPixels; return true;
    case GL_MAX_MODELVIEW_STACK_DEPTH:
    case GL_MAX_PROJECTION_STACK_DEPTH:
    case GL_MAX_TEXTURE_STACK_DEPTH: *p = 32; return true;
    case GL_MAX_ATTRIB_STACK_DEPTH:
    case GL_MAX_CLIENT_ATTRIB_STACK_DEPTH: *p = (GLint)ATTRIB_STACK_DEPTH; return true;
    default: return false;
    }
}

// Framebuffer sizes: OpenGL ES 3 still answers GL_RED_BITS and friends for
// the bound framebuffer.
void es_glGetIntegerv(GLenum pname, GLint* params)
{
    if (stateInteger(pname, params))
        return;
    if (pname == GL_ALPHA_BITS && opaqueAlpha) {
        *params = 0;
        return;
    }
    es.GetIntegerv(pname, params);
}

void es_glGetBooleanv(GLenum pname, GLboolean* params)
{
    if (pname == GL_COLOR_WRITEMASK) {
        std::memcpy(params, L.s.colorMask, sizeof L.s.colorMask);
        return;
    }
    if (uint32_t bit = enableBit(pname)) {
        *params = (L.s.enables & bit) ? GL_TRUE : GL_FALSE;
        return;
    }
    GLint v[16] = {};
    es_glGetIntegerv(pname, v);
    *params = v[0] ? GL_TRUE : GL_FALSE;
}

GLenum es_glGetError()
{
    GLenum own = L.error;
    L.error = GL_NO_ERROR;
    GLenum real = es.GetError();
    return own != GL_NO_ERROR ? own : real;
}
