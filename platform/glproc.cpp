#include "platform/glproc.h"

#include <EGL/egl.h>
#include <SDL.h>
#include <dlfcn.h>

#include "platform/window.h"

// RTLD_NOLOAD first: the copy the program already runs with; the lookup is
// by handle, so it searches that library and its dependencies, never the
// program, whose gl* symbols are the dispatch layer's trampolines.
static void* openLibrary(const char* const* names)
{
    for (const char* const* n = names; *n; n++) {
        if (void* h = dlopen(*n, RTLD_NOLOAD | RTLD_LAZY))
            return h;
    }
    for (const char* const* n = names; *n; n++) {
        if (void* h = dlopen(*n, RTLD_LAZY | RTLD_LOCAL))
            return h;
    }
    return nullptr;
}

void* desktopGlProc(const char* name)
{
    static const char* const names[] = {"libGL.so.1", "libOpenGL.so.0", nullptr};
    static void* handle = openLibrary(names);
    return handle ? dlsym(handle, name) : nullptr;
}

void* desktopGluProc(const char* name)
{
    static const char* const names[] = {"libGLU.so.1", nullptr};
    static void* handle = openLibrary(names);
    return handle ? dlsym(handle, name) : nullptr;
}

void* glesProc(const char* name)
{
    if (displayKind == DisplayKind::Window)
        return SDL_GL_GetProcAddress(name);
    return (void*)eglGetProcAddress(name);
}
