// The dispatch table every gl*/glu* call of the program (and of FTGL and
// GLU, whose calls the program's own exported gl* symbols take over) goes
// through, and the choice of what stands behind it: the desktop GL 1.1
// library, or this layer's fixed-function emulation over OpenGL ES 3.0.
#pragma once
#include "gl/functions.h"
#include "platform/gl.h"

struct GlTable {
#define ZANT_GL_SLOT(ret, name, params, args) ret(*name) params;
    ZANT_GL_FUNCTIONS(ZANT_GL_SLOT)
    ZANT_GLU_FUNCTIONS(ZANT_GL_SLOT)
#undef ZANT_GL_SLOT
};
extern GlTable glTable;

enum class GlPath { Desktop, Es };

// The desktop library's own functions: the table the program starts with.
// False, with the missing name in err, when the library lacks one.
bool useDesktopGl(char* err, int errSize);
// The layer over the current OpenGL ES 3 context: false with a reason in
// err when the context lacks an entry point the layer needs or its shaders
// do not build.
bool useGlesLayer(char* err, int errSize);
GlPath glPath();
// The one or the other: what a new context gets before anything draws on it.
bool selectGlPath(bool gles, char* err, int errSize);

// Each slot's function by name, for the check that the OpenGL ES path holds
// no desktop function: the table as a list of (name, function) pairs.
struct GlSlot {
    const char* name;
    void* function;
};
int glTableSlots(GlSlot* out, int max);
