// Textures, pixel transfers, buffers and framebuffers on OpenGL ES 3: passed
// through with the desktop enums mapped (GL_CLAMP is clamp to edge), RGB
// reads done as RGBA reads, and GLU's mipmaps made here.
#include <cstring>
#include <unordered_map>

#include "gl/es.h"
#include "gl/mipmap.h"

static std::unordered_map<GLuint, TextureParams> textures;

void resetTextures()
{
    textures.clear();
}

TextureParams& textureParams(GLuint name)
{
    return textures[name];
}

void es_glGenTextures(GLsizei n, GLuint* names)
{
    es.GenTextures(n, names);
    for (GLsizei i = 0; i < n; i++)
        textures[names[i]] = TextureParams{};
}

void es_glDeleteTextures(GLsizei n, const GLuint* names)
{
    es.DeleteTextures(n, names);
    for (GLsizei i = 0; i < n; i++) {
        textures.erase(names[i]);
        if (L.s.boundTexture == names[i])
            L.s.boundTexture = 0;
    }
}

void es_glBindTexture(GLenum target, GLuint texture)
{
    RECORD_IN_LIST(es_glBindTexture(target, texture));
    if (target != GL_TEXTURE_2D) {
        layerError(GL_INVALID_ENUM);  // 2D textures are the only kind drawn
        return;
    }
    L.s.boundTexture = texture;
    es.BindTexture(GL_TEXTURE_2D, texture);
}

void es_glTexParameteri(GLenum target, GLenum pname, GLint param)
{
    RECORD_IN_LIST(es_glTexParameteri(target, pname, param));
    if (param == GL_CLAMP)
        param = GL_CLAMP_TO_EDGE;
    TextureParams& p = textures[L.s.boundTexture];
    GLint* slot = pname == GL_TEXTURE_MIN_FILTER ? &p.minFilter
        : pname == GL_TEXTURE_MAG_FILTER         ? &p.magFilter
        : pname == GL_TEXTURE_WRAP_S             ? &p.wrapS
        : pname == GL_TEXTURE_WRAP_T             ? &p.wrapT
                                                 : nullptr;
    if (!slot) {
        layerError(GL_INVALID_ENUM);
        return;
    }
    if (*slot == param)
        return;
    *slot = param;
    es.TexParameteri(target, pname, param);
}

void es_glGetTexParameteriv(GLenum, GLenum pname, GLint* params)
{
    const TextureParams& p = textures[L.s.boundTexture];
    switch (pname) {
    case GL_TEXTURE_MIN_FILTER: *params = p.minFilter; break;
    case GL_TEXTURE_MAG_FILTER: *params = p.magFilter; break;
    case GL_TEXTURE_WRAP_S: *params = p.wrapS; break;
    case GL_TEXTURE_WRAP_T: *params = p.wrapT; break;
    default: layerError(GL_INVALID_ENUM);
    }
}

void es_glGetTexLevelParameteriv(GLenum, GLint level, GLenum pname, GLint* params)
{
    const TextureParams& p = textures[L.s.boundTexture];
    switch (pname) {
    case GL_TEXTURE_WIDTH: *params = p.width >> level ? p.width >> level : (p.width ? 1 : 0); break;
    case GL_TEXTURE_HEIGHT: *params = p.height >> level ? p.height >> level : (p.height ? 1 : 0); break;
    case GL_TEXTURE_INTERNAL_FORMAT: *params = p.internal; break;
    default: layerError(GL_INVALID_ENUM);
    }
}

// The desktop's one- to four-component shorthands as sized formats.
static GLint esInternalFormat(GLint internal, GLenum format)
{
    switch (internal) {
    case 1: return GL_LUMINANCE;
    case 2: return GL_LUMINANCE_ALPHA;
    case 3: return format == GL_RGB ? GL_RGB : GL_RGB8;
    case 4: return GL_RGBA;
    default: return internal;
    }
}

// Unpack settings go to OpenGL ES only before an upload.
static void sendUnpack()
{
    es.PixelStorei(GL_UNPACK_ALIGNMENT, L.c.unpackAlignment);
    es.PixelStorei(GL_UNPACK_ROW_LENGTH, L.c.unpackRowLength);
    es.PixelStorei(GL_UNPACK_SKIP_ROWS, L.c.unpackSkipRows);
    es.PixelStorei(GL_UNPACK_SKIP_PIXELS, L.c.unpackSkipPixels);
}

void es_glTexImage2D(GLenum target, GLint level, GLint internal, GLsizei w, GLsizei h, GLint border, GLenum format,
                     GLenum type, const GLvoid* pixels)
{
    if (border != 0) {
        layerError(GL_INVALID_VALUE);
        return;
    }
    sendUnpack();
    GLint esInternal = esInternalFormat(internal, format);
    es.TexImage2D(target, level, esInternal, w, h, 0, format, type, pixels);
    if (level == 0) {
        TextureParams& p = textures[L.s.boundTexture];
        p.width = w;
        p.height = h;
        p.internal = internal;
    }
}

void es_glTexSubImage2D(GLenum target, GLint level, GLint xoff, GLint yoff, GLsizei w, GLsizei h, GLenum format,
                        GLenum type, const GLvoid* pixels)
{
    sendUnpack();
    es.TexSubImage2D(target, level, xoff, yoff, w, h, format, type, pixels);
}

void es_glCopyTexSubImage2D(GLenum target, GLint level, GLint xoff, GLint yoff, GLint x, GLint y, GLsizei w,
                            GLsizei h)
{
    es.CopyTexSubImage2D(target, level, xoff, yoff, x, y, w, h);
}

// --- mipmaps ----------------------------------------------------------------

std::vector<uint8_t> halveImage(const uint8_t* in, int w, int h, int components)
{
    int nw = w > 1 ? w / 2 : 1, nh = h > 1 ? h / 2 : 1;
    std::vector<uint8_t> out((size_t)nw * nh * components);
    size_t row = (size_t)w * components;
    for (int y = 0; y < nh; y++) {
        for (int x = 0; x < nw; x++) {
            for (int k = 0; k < components; k++) {
                const uint8_t* p = in + (size_t)(h > 1 ? 2 * y : y) * row + (size_t)(w > 1 ? 2 * x : x) * components + k;
                unsigned v;
                if (w > 1 && h > 1)
                    v = (p[0] + p[components] + p[row] + p[row + components] + 2) / 4;
                else if (w > 1)
                    v = (p[0] + p[components]) / 2;
                else
                    v = (p[0] + p[row]) / 2;
                out[((size_t)y * nw + x) * components + k] = (uint8_t)v;
            }
        }
    }
    return out;
}

static bool powerOfTwo(int v)
{
    return v > 0 && (v & (v - 1)) == 0;
}

GLint es_gluBuild2DMipmaps(GLenum target, GLint internal, GLsizei w, GLsizei h, GLenum format, GLenum type,
                           const void* data)
{
    int components = format == GL_RGBA ? 4 : format == GL_RGB ? 3 : 0;
    if (components == 0 || type != GL_UNSIGNED_BYTE || !powerOfTwo(w) || !powerOfTwo(h))
        return GLU_INVALID_VALUE;  // the program only builds power-of-two RGB(A) bytes
    // Rows packed tight, whatever the program's unpack alignment.
    GLint saved = L.c.unpackAlignment;
    L.c.unpackAlignment = 1;
    std::vector<uint8_t> level((const uint8_t*)data, (const uint8_t*)data + (size_t)w * h * components);
    for (int n = 0;; n++) {
        es_glTexImage2D(target, n, internal, w, h, 0, format, type, level.data());
        if (w == 1 && h == 1)
            break;
        level = halveImage(level.data(), w, h, components);
        w = w > 1 ? w / 2 : 1;
        h = h > 1 ? h / 2 : 1;
    }
    L.c.unpackAlignment = saved;
    return 0;
}

// --- pixel reads and buffers --------------------------------------------------

static GLuint packBufferSize(GLuint buffer);

// OpenGL ES reads RGBA bytes; other layouts are made from those. An RGB read
// into a pack buffer is held as RGBA and packed when the buffer is mapped.
struct PendingPack {
    GLsizei w = 0, h = 0;
    size_t offset = 0;
    GLint alignment = 4;
};
static std::unordered_map<GLuint, PendingPack> pendingPacks;
static std::unordered_map<GLuint, GLsizeiptr> bufferSizes;
static std::unordered_map<GLuint, std::vector<uint8_t>> mappedCopies;
static GLuint mappedBuffer = 0;

static void packRgb(const uint8_t* rgba, GLsizei w, GLsizei h, GLint alignment, GLint rowLength, uint8_t* out)
{
    size_t row = (size_t)(rowLength > 0 ? rowLength : w) * 3;
    row = (row + (size_t)alignment - 1) / (size_t)alignment * (size_t)alignment;
    for (GLsizei y = 0; y < h; y++) {
        uint8_t* d = out + (size_t)y * row;
        const uint8_t* s = rgba + (size_t)y * w * 4;
        for (GLsizei x = 0; x < w; x++) {
            d[x * 3] = s[x * 4];
            d[x * 3 + 1] = s[x * 4 + 1];
            d[x * 3 + 2] = s[x * 4 + 2];
        }
    }
}

void es_glReadPixels(GLint x, GLint y, GLsizei w, GLsizei h, GLenum format, GLenum type, GLvoid* pixels)
{
    if (type != GL_UNSIGNED_BYTE || (format != GL_RGBA && format != GL_RGB)) {
        layerError(GL_INVALID_OPERATION);  // depth and other layouts: not on OpenGL ES
        return;
    }
    es.PixelStorei(GL_PACK_ALIGNMENT, format == GL_RGBA ? L.c.packAlignment : 4);
    es.PixelStorei(GL_PACK_ROW_LENGTH, format == GL_RGBA ? L.c.packRowLength : 0);
    es.PixelStorei(GL_PACK_SKIP_ROWS, 0);
    es.PixelStorei(GL_PACK_SKIP_PIXELS, 0);
    if (format == GL_RGBA) {
        es.ReadPixels(x, y, w, h, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
        return;
    }
    if (L.packBuffer) {
        es.ReadPixels(x, y, w, h, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
        pendingPacks[L.packBuffer] = PendingPack{w, h, (size_t)pixels, L.c.packAlignment};
        return;
    }
    std::vector<uint8_t> rgba((size_t)w * h * 4);
    es.ReadPixels(x, y, w, h, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    packRgb(rgba.data(), w, h, L.c.packAlignment, L.c.packRowLength, (uint8_t*)pixels);
}

void es_glGenBuffers(GLsizei n, GLuint* names)
{
    es.GenBuffers(n, names);
}

void es_glDeleteBuffers(GLsizei n, const GLuint* names)
{
    for (GLsizei i = 0; i < n; i++) {
        pendingPacks.erase(names[i]);
        bufferSizes.erase(names[i]);
        if (L.packBuffer == names[i])
            L.packBuffer = 0;
    }
    es.DeleteBuffers(n, names);
}

void es_glBindBuffer(GLenum target, GLuint buffer)
{
    if (target == GL_PIXEL_PACK_BUFFER)
        L.packBuffer = buffer;
    es.BindBuffer(target, buffer);
}

static GLuint packBufferSize(GLuint buffer)
{
    return (GLuint)bufferSizes[buffer];
}

// A pack buffer gets room for an RGBA read of the RGB frame it is sized for.
void es_glBufferData(GLenum target, GLsizeiptr size, const void* data, GLenum usage)
{
    GLuint bound = target == GL_PIXEL_PACK_BUFFER ? L.packBuffer : 0;
    if (bound) {
        bufferSizes[bound] = size;
        pendingPacks.erase(bound);
        es.BufferData(target, size / 3 * 4 + 4096, nullptr, usage);
        return;
    }
    es.BufferData(target, size, data, usage);
}

void* es_glMapBuffer(GLenum target, GLenum access)
{
    GLbitfield bits = access == GL_READ_ONLY ? GL_MAP_READ_BIT
        : access == GL_WRITE_ONLY            ? GL_MAP_WRITE_BIT
                                             : GL_MAP_READ_BIT | GL_MAP_WRITE_BIT;
    GLuint bound = target == GL_PIXEL_PACK_BUFFER ? L.packBuffer : 0;
    if (!bound) {
        layerError(GL_INVALID_OPERATION);  // only pack buffers are mapped here
        return nullptr;
    }
    GLsizeiptr appSize = (GLsizeiptr)packBufferSize(bound);
    auto pending = pendingPacks.find(bound);
    if (pending == pendingPacks.end())
        return es.MapBufferRange(target, 0, appSize, bits);
    const PendingPack& p = pending->second;
    const uint8_t* rgba = (const uint8_t*)es.MapBufferRange(target, (GLintptr)p.offset, (GLsizeiptr)p.w * p.h * 4,
                                                           GL_MAP_READ_BIT);
    if (!rgba)
        return nullptr;
    std::vector<uint8_t>& copy = mappedCopies[bound];
    copy.assign((size_t)appSize, 0);
    packRgb(rgba, p.w, p.h, p.alignment, 0, copy.data() + p.offset);
    mappedBuffer = bound;
    return copy.data();
}

GLboolean es_glUnmapBuffer(GLenum target)
{
    if (target == GL_PIXEL_PACK_BUFFER && mappedBuffer == L.packBuffer)
        mappedBuffer = 0;
    return es.UnmapBuffer(target);
}

// --- framebuffers -----------------------------------------------------------

void es_glGenFramebuffers(GLsizei n, GLuint* names)
{
    es.GenFramebuffers(n, names);
}

void es_glBindFramebuffer(GLenum target, GLuint fb)
{
    es.BindFramebuffer(target, fb);
}

void es_glGenRenderbuffers(GLsizei n, GLuint* names)
{
    es.GenRenderbuffers(n, names);
}

void es_glBindRenderbuffer(GLenum target, GLuint rb)
{
    es.BindRenderbuffer(target, rb);
}

void es_glRenderbufferStorage(GLenum target, GLenum format, GLsizei w, GLsizei h)
{
    es.RenderbufferStorage(target, format, w, h);
}

void es_glFramebufferRenderbuffer(GLenum target, GLenum attachment, GLenum rbtarget, GLuint rb)
{
    es.FramebufferRenderbuffer(target, attachment, rbtarget, rb);
}

GLenum es_glCheckFramebufferStatus(GLenum target)
{
    return es.CheckFramebufferStatus(target);
}

void es_glBlitFramebuffer(GLint sx0, GLint sy0, GLint sx1, GLint sy1, GLint dx0, GLint dy0, GLint dx1, GLint dy1,
                          GLbitfield mask, GLenum filter)
{
    flushRealState();  // the scissor test applies to blits
    es.BlitFramebuffer(sx0, sy0, sx1, sy1, dx0, dy0, dx1, dy1, mask, filter);
}

void es_glDrawBuffer(GLenum buffer)
{
    RECORD_IN_LIST(es_glDrawBuffer(buffer));
    if (buffer != GL_BACK && buffer != GL_COLOR_ATTACHMENT0 && buffer != GL_NONE) {
        layerError(GL_INVALID_ENUM);
        return;
    }
    L.s.drawBuffer = buffer;
    es.DrawBuffers(1, &buffer);
}

void es_glReadBuffer(GLenum mode)
{
    L.s.readBuffer = mode;
    es.ReadBuffer(mode);
}

void es_glFinish()
{
    es.Finish();
}

void es_glFlush()
{
    es.Flush();
}

// Bitmap and pixel-image text (FTGL's other font kinds) are never drawn.
void es_glBitmap(GLsizei, GLsizei, GLfloat, GLfloat, GLfloat, GLfloat, const GLubyte*)
{
    layerError(GL_INVALID_OPERATION);
}

void es_glDrawPixels(GLsizei, GLsizei, GLenum, GLenum, const GLvoid*)
{
    layerError(GL_INVALID_OPERATION);
}
