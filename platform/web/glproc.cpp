// GL entry points in a browser: WebGL 2 through emscripten's GLES 3 functions.
// There is no desktop GL here.
#include "platform/glproc.h"

#include <GLES3/gl3.h>
#include <emscripten/html5.h>

#include <cstring>

void* desktopGlProc(const char*)
{
    return nullptr;
}

void* desktopGluProc(const char*)
{
    return nullptr;
}

// WebGL cannot map a buffer. Only read-backs for video files map one, and
// those are not made in a page: a map here fails as a driver's would.
static void* noMapBufferRange(GLenum, GLintptr, GLsizeiptr, GLbitfield)
{
    return nullptr;
}

static GLboolean noUnmapBuffer(GLenum)
{
    return GL_FALSE;
}

void* glesProc(const char* name)
{
    if (std::strcmp(name, "glMapBufferRange") == 0)
        return (void*)noMapBufferRange;
    if (std::strcmp(name, "glUnmapBuffer") == 0)
        return (void*)noUnmapBuffer;
    return emscripten_webgl_get_proc_address(name);
}
