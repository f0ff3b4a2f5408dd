// Inside the OpenGL ES layer: the real OpenGL ES 3.0 entry points it calls,
// the fixed-function state it keeps, and its implementation of every entry
// point of the dispatch table (es_<name>). Only gl/ includes this.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "gl/functions.h"
#include "platform/gl.h"

// The real entry points, found by name in the current context; never the
// program's gl* names, which are the trampolines.
#define ZANT_ES_FUNCTIONS(X)                                                                                   \
    X(void, AttachShader, (GLuint, GLuint))                                                                   \
    X(void, BindAttribLocation, (GLuint, GLuint, const GLchar*))                                              \
    X(void, BindBuffer, (GLenum, GLuint))                                                                     \
    X(void, BindFramebuffer, (GLenum, GLuint))                                                                \
    X(void, BindRenderbuffer, (GLenum, GLuint))                                                               \
    X(void, BindTexture, (GLenum, GLuint))                                                                    \
    X(void, BindVertexArray, (GLuint))                                                                        \
    X(void, BlendFunc, (GLenum, GLenum))                                                                      \
    X(void, BlitFramebuffer, (GLint, GLint, GLint, GLint, GLint, GLint, GLint, GLint, GLbitfield, GLenum))    \
    X(void, BufferData, (GLenum, GLsizeiptr, const void*, GLenum))                                            \
    X(GLenum, CheckFramebufferStatus, (GLenum))                                                               \
    X(void, Clear, (GLbitfield))                                                                              \
    X(void, ClearColor, (GLfloat, GLfloat, GLfloat, GLfloat))                                                 \
    X(void, ClearDepthf, (GLfloat))                                                                           \
    X(void, ColorMask, (GLboolean, GLboolean, GLboolean, GLboolean))                                          \
    X(void, CompileShader, (GLuint))                                                                          \
    X(void, CopyTexSubImage2D, (GLenum, GLint, GLint, GLint, GLint, GLint, GLsizei, GLsizei))                 \
    X(GLuint, CreateProgram, (void))                                                                          \
    X(GLuint, CreateShader, (GLenum))                                                                         \
    X(void, CullFace, (GLenum))                                                                               \
    X(void, DeleteBuffers, (GLsizei, const GLuint*))                                                          \
    X(void, DeleteTextures, (GLsizei, const GLuint*))                                                         \
    X(void, DepthFunc, (GLenum))                                                                              \
    X(void, DepthMask, (GLboolean))                                                                           \
    X(void, Disable, (GLenum))                                                                                \
    X(void, DisableVertexAttribArray, (GLuint))                                                               \
    X(void, DrawArrays, (GLenum, GLint, GLsizei))                                                             \
    X(void, DrawBuffers, (GLsizei, const GLenum*))                                                            \
    X(void, DrawElements, (GLenum, GLsizei, GLenum, const void*))                                             \
    X(void, Enable, (GLenum))                                                                                 \
    X(void, EnableVertexAttribArray, (GLuint))                                                                \
    X(void, Finish, (void))                                                                                   \
    X(void, Flush, (void))                                                                                    \
    X(void, FramebufferRenderbuffer, (GLenum, GLenum, GLenum, GLuint))                                        \
    X(void, FrontFace, (GLenum))                                                                              \
    X(void, GenBuffers, (GLsizei, GLuint*))                                                                   \
    X(void, GenFramebuffers, (GLsizei, GLuint*))                                                              \
    X(void, GenRenderbuffers, (GLsizei, GLuint*))                                                             \
    X(void, GenTextures, (GLsizei, GLuint*))                                                                  \
    X(void, GenVertexArrays, (GLsizei, GLuint*))                                                              \
    X(GLenum, GetError, (void))                                                                               \
    X(void, GetIntegerv, (GLenum, GLint*))                                                                    \
    X(void, GetProgramInfoLog, (GLuint, GLsizei, GLsizei*, GLchar*))                                          \
    X(void, GetProgramiv, (GLuint, GLenum, GLint*))                                                           \
    X(void, GetShaderInfoLog, (GLuint, GLsizei, GLsizei*, GLchar*))                                           \
    X(void, GetShaderiv, (GLuint, GLenum, GLint*))                                                            \
    X(const GLubyte*, GetString, (GLenum))                                                                    \
    X(GLint, GetUniformLocation, (GLuint, const GLchar*))                                                     \
    X(void, LinkProgram, (GLuint))                                                                            \
    X(void*, MapBufferRange, (GLenum, GLintptr, GLsizeiptr, GLbitfield))                                      \
    X(void, PixelStorei, (GLenum, GLint))                                                                     \
    X(void, ReadBuffer, (GLenum))                                                                             \
    X(void, ReadPixels, (GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, void*))                              \
    X(void, RenderbufferStorage, (GLenum, GLenum, GLsizei, GLsizei))                                          \
    X(void, Scissor, (GLint, GLint, GLsizei, GLsizei))                                                        \
    X(void, ShaderSource, (GLuint, GLsizei, const GLchar* const*, const GLint*))                              \
    X(void, TexImage2D, (GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum, const void*))         \
    X(void, TexParameteri, (GLenum, GLenum, GLint))                                                           \
    X(void, TexSubImage2D, (GLenum, GLint, GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, const void*))      \
    X(void, Uniform1f, (GLint, GLfloat))                                                                      \
    X(void, Uniform1i, (GLint, GLint))                                                                        \
    X(void, Uniform4fv, (GLint, GLsizei, const GLfloat*))                                                     \
    X(void, UniformMatrix3fv, (GLint, GLsizei, GLboolean, const GLfloat*))                                    \
    X(void, UniformMatrix4fv, (GLint, GLsizei, GLboolean, const GLfloat*))                                    \
    X(GLboolean, UnmapBuffer, (GLenum))                                                                       \
    X(void, UseProgram, (GLuint))                                                                             \
    X(void, VertexAttrib4f, (GLuint, GLfloat, GLfloat, GLfloat, GLfloat))                                     \
    X(void, VertexAttribPointer, (GLuint, GLint, GLenum, GLboolean, GLsizei, const void*))                    \
    X(void, Viewport, (GLint, GLint, GLsizei, GLsizei))

struct EsTable {
#define ZANT_ES_SLOT(ret, name, params) ret(*name) params;
    ZANT_ES_FUNCTIONS(ZANT_ES_SLOT)
#undef ZANT_ES_SLOT
};
extern EsTable es;

// The layer's implementation of each dispatch-table entry point.
#define ZANT_ES_DECLARE(ret, name, params, args) ret es_##name params;
ZANT_GL_FUNCTIONS(ZANT_ES_DECLARE)
ZANT_GLU_FUNCTIONS(ZANT_ES_DECLARE)
#undef ZANT_ES_DECLARE

// Fills the real entry points, builds the shader and sets the fixed-function
// defaults; false with a reason in err.
bool startEsLayer(char* err, int errSize);

// --- state -------------------------------------------------------------

struct Mat4 {
    float m[16];  // column-major, as GL keeps them
};
Mat4 identityMatrix();
Mat4 multiply(const Mat4& a, const Mat4& b);  // a * b

enum MatrixStackId { STACK_MODELVIEW, STACK_PROJECTION, STACK_TEXTURE, STACK_COUNT };

// Fixed-function switches the layer keeps itself (one bit each); the ones
// OpenGL ES also has are sent at the next draw.
enum EnableBit : uint32_t {
    EN_FOG = 1u << 0,
    EN_TEXTURE_2D = 1u << 1,
    EN_TEXTURE_1D = 1u << 2,
    EN_TEXGEN_S = 1u << 3,
    EN_TEXGEN_T = 1u << 4,
    EN_TEXGEN_R = 1u << 5,
    EN_TEXGEN_Q = 1u << 6,
    EN_LIGHTING = 1u << 7,
    EN_ALPHA_TEST = 1u << 8,
    EN_COLOR_MATERIAL = 1u << 9,
    EN_NORMALIZE = 1u << 10,
    EN_AUTO_NORMAL = 1u << 11,
    EN_LINE_SMOOTH = 1u << 12,
    EN_POLYGON_SMOOTH = 1u << 13,
    EN_POINT_SMOOTH = 1u << 14,
    EN_LINE_STIPPLE = 1u << 15,
    EN_INDEX_LOGIC_OP = 1u << 16,
    EN_CULL_FACE = 1u << 17,
    EN_DEPTH_TEST = 1u << 18,
    EN_BLEND = 1u << 19,
    EN_SCISSOR_TEST = 1u << 20,
    EN_STENCIL_TEST = 1u << 21,
    EN_DITHER = 1u << 22,
    EN_LIGHT0 = 1u << 23,
    EN_POLYGON_OFFSET_FILL = 1u << 24,
};
// The bit of a capability, 0 when the layer does not know it.
uint32_t enableBit(GLenum cap);

struct TextureParams {
    GLint minFilter = GL_NEAREST_MIPMAP_LINEAR, magFilter = GL_LINEAR;
    GLint wrapS = GL_REPEAT, wrapT = GL_REPEAT;
    GLint width = 0, height = 0, internal = GL_RGBA;  // level 0
};

// Everything glPushAttrib can save, in one record.
struct ServerState {
    uint32_t enables = EN_DITHER;
    float color[4] = {1, 1, 1, 1};
    float texcoord[4] = {0, 0, 0, 1};
    float normal[3] = {0, 0, 1};
    GLenum cullMode = GL_BACK, frontFace = GL_CCW, polygonMode = GL_FILL;
    GLenum shadeModel = GL_SMOOTH;
    float material[5][4] = {};  // ambient, diffuse, specular, emission, shininess: kept, never used
    GLenum fogMode = GL_EXP;
    float fogDensity = 1, fogStart = 0, fogEnd = 1;
    float fogColor[4] = {0, 0, 0, 0};
    GLenum depthFunc = GL_LESS;
    GLboolean depthMask = GL_TRUE;
    float clearDepth = 1;
    GLint viewport[4] = {0, 0, 0, 0};
    GLint scissor[4] = {0, 0, 0, 0};
    GLenum matrixMode = GL_MODELVIEW;
    GLenum alphaFunc = GL_ALWAYS;
    float alphaRef = 0;
    GLenum blendSrc = GL_ONE, blendDst = GL_ZERO;
    GLboolean colorMask[4] = {GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE};
    float clearColor[4] = {0, 0, 0, 0};
    GLenum drawBuffer = GL_BACK, readBuffer = GL_BACK;
    GLenum perspectiveHint = GL_DONT_CARE, fogHint = GL_DONT_CARE, otherHint = GL_DONT_CARE;
    GLuint listBase = 0;
    GLuint boundTexture = 0;
    TextureParams boundParams;  // the bound texture's parameters when pushed
    GLint texEnvMode = GL_MODULATE;
    GLint texGenMode[2] = {GL_EYE_LINEAR, GL_EYE_LINEAR};
    float pixelTransfer[2] = {1, 0};  // depth scale, bias: kept, never sent
};

struct ClientArray {
    bool enabled = false;
    GLint size = 4;
    GLenum type = GL_FLOAT;
    GLsizei stride = 0;
    const void* pointer = nullptr;
};
enum ArrayId { ARRAY_VERTEX, ARRAY_COLOR, ARRAY_TEXCOORD, ARRAY_NORMAL, ARRAY_COUNT };

struct ClientState {
    ClientArray arrays[ARRAY_COUNT];
    bool indexArray = false, edgeFlagArray = false;
    GLint packAlignment = 4, unpackAlignment = 4;
    GLint packRowLength = 0, packSkipRows = 0, packSkipPixels = 0;
    GLint unpackRowLength = 0, unpackSkipRows = 0, unpackSkipPixels = 0;
};

struct LayerState {
    ServerState s;
    ClientState c;
    std::vector<Mat4> stacks[STACK_COUNT];
    unsigned matrixSerial = 1;  // moves on with every matrix change
    GLenum error = GL_NO_ERROR;  // the layer's own first error
    GLuint packBuffer = 0;
    GLint realViewport[4] = {0, 0, 0, 0};
};
extern LayerState L;

// Records the layer's own error, keeping the first, as GL does.
void layerError(GLenum error);
Mat4& currentMatrix();
void matrixChanged();

// The bound texture's parameters as the layer knows them.
TextureParams& textureParams(GLuint name);

// Display lists: true while glNewList records. Calls that a list keeps are
// recorded instead of run (GL_COMPILE is the only mode).
bool compilingList();
void recordCall(std::function<void()> call);
#define RECORD_IN_LIST(call)                   \
    if (compilingList()) {                     \
        recordCall([=] { call; });             \
        return;                                \
    }

// Sends the fixed-function state that OpenGL ES keeps (enables, blend,
// depth, cull, viewport, masks) where it differs from what was sent.
void flushRealState();
// Makes a frame that has alpha look like one without (alpha kept at 1).
void keepFrameAlphaOpaque();

// Vertices as the layer draws them: position, colour, texture coordinate, normal.
struct Vertex {
    float pos[4];
    float color[4];
    float tex[4];
    float normal[3];
};
// Which attributes a batch carries per vertex; the others come from the
// current values when it is drawn.
enum AttribBit { ATTR_COLOR = 1, ATTR_TEXCOORD = 2, ATTR_NORMAL = 4 };

// Appends the triangles that a primitive of n vertices starting at base
// makes; false for modes drawn as they are (points and lines).
bool triangulate(GLenum mode, uint32_t base, uint32_t n, std::vector<uint32_t>& indices);
// Draws indexed triangles (or a native mode without indices) from vertices
// in the streaming buffer; attribs says which come per vertex.
void drawVertices(const Vertex* vertices, size_t count, const uint32_t* indices, size_t indexCount, unsigned attribs,
                  GLenum nativeMode);
// The same from a buffer the caller owns (display lists).
void drawBuffered(GLuint vbo, GLuint ibo, size_t firstIndex, size_t indexCount, unsigned attribs);
// Gathers vertex i of the enabled client arrays; attribs gets which were arrays.
void fetchArrayVertex(int i, Vertex& v, unsigned& attribs);
void currentVertex(Vertex& v);  // the current colour, texture coordinate and normal, position 0

bool triangulateIndexed(GLenum mode, const uint32_t* order, uint32_t n, std::vector<uint32_t>& indices);

// The list compiler: the current values as recorded so far, which of them
// the list itself set, and the sink for geometry made while recording
// (order: indices into vertices, or null for all of them in turn).
struct CurrentValues {
    float color[4];
    float texcoord[4];
    float normal[3];
};
const CurrentValues& listCurrent();
void listSetCurrent(unsigned attrib, const float* values, bool insideBegin);
unsigned listAttribs();
void listAddPrimitive(GLenum mode, const std::vector<Vertex>& vertices, const uint32_t* order, uint32_t n,
                      unsigned attribs);

// True when p is one of the program's own gl* trampolines.
bool isDispatchTrampoline(void* p);
