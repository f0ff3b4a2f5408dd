#include "devtools/readback.h"

#include <cstdlib>
#include <cstring>

#include "platform/gl.h"

static bool buffered = false;
static GLuint buffers[2] = {0, 0};
static int next = 0;      // buffer the next read goes to
static int pending = -1;  // buffer holding a started read, or -1
static int frameWidth = 0;
static int frameHeight = 0;
static const char* failure = "";

static size_t frameBytes()
{
    return (size_t)frameWidth * frameHeight * 3;
}

static bool driverHasBuffers()
{
    const char* version = (const char*)glGetString(GL_VERSION);
    const char* ext = (const char*)glGetString(GL_EXTENSIONS);
    int major = version ? std::atoi(version) : 0;
    int minor = version && std::strchr(version, '.') ? std::atoi(std::strchr(version, '.') + 1) : 0;
    return major > 2 || (major == 2 && minor >= 1) || (ext && std::strstr(ext, "GL_ARB_pixel_buffer_object"));
}

// The plain way stays reachable on drivers that have buffers, so the two
// can be compared.
static bool plainAsked()
{
    const char* way = std::getenv("ZANT_READBACK");
    return way && std::strcmp(way, "plain") == 0;
}

bool readbackBegin(int width, int height)
{
    frameWidth = width;
    frameHeight = height;
    next = 0;
    pending = -1;
    failure = "";
    buffered = !plainAsked() && driverHasBuffers();
    if (buffered) {
        glGenBuffers(2, buffers);
        for (GLuint b : buffers) {
            glBindBuffer(GL_PIXEL_PACK_BUFFER, b);
            glBufferData(GL_PIXEL_PACK_BUFFER, (GLsizeiptr)frameBytes(), nullptr, GL_STREAM_READ);
        }
        glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    }
    return buffered;
}

const char* readbackFailure()
{
    return failure;
}

static bool collect(int b, uint8_t* out)
{
    glBindBuffer(GL_PIXEL_PACK_BUFFER, buffers[b]);
    const void* pixels = glMapBuffer(GL_PIXEL_PACK_BUFFER, GL_READ_ONLY);
    if (pixels) {
        std::memcpy(out, pixels, frameBytes());
        glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
    } else {
        failure = "the GL could not map a read-back buffer; set ZANT_READBACK=plain to read frames without one";
    }
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    return pixels != nullptr;
}

bool readbackPush(uint8_t* out)
{
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    if (!buffered) {
        glReadPixels(0, 0, frameWidth, frameHeight, GL_RGB, GL_UNSIGNED_BYTE, out);
        return true;
    }
    glBindBuffer(GL_PIXEL_PACK_BUFFER, buffers[next]);
    glReadPixels(0, 0, frameWidth, frameHeight, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    int started = next;
    next ^= 1;
    bool got = pending >= 0 && collect(pending, out);
    pending = started;
    return got;
}

bool readbackDrain(uint8_t* out)
{
    if (pending < 0)
        return false;
    bool got = collect(pending, out);
    pending = -1;
    return got;
}

void readbackEnd()
{
    if (buffered)
        glDeleteBuffers(2, buffers);
    buffers[0] = buffers[1] = 0;
    buffered = false;
    pending = -1;
}
