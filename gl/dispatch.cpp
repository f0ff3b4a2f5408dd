#include "gl/dispatch.h"

#include <cstdio>

#include "gl/es.h"
#include "platform/glproc.h"

// The trampolines: the program's gl* symbols (exported, so FTGL's and GLU's
// own calls land here too), each one jump through the table.
#define ZANT_GL_TRAMPOLINE(ret, name, params, args) \
    extern "C" ret name params                       \
    {                                                \
        return glTable.name args;                    \
    }
ZANT_GL_FUNCTIONS(ZANT_GL_TRAMPOLINE)
ZANT_GLU_FUNCTIONS(ZANT_GL_TRAMPOLINE)
#undef ZANT_GL_TRAMPOLINE

static GlPath currentPath = GlPath::Desktop;

// A library lookup that came back with the program's own trampoline would
// call itself for ever; such a name counts as missing.
static bool fillDesktopTable(GlTable& table, const char** missing)
{
    *missing = nullptr;
#define ZANT_GL_FILL(ret, name, params, args)                         \
    table.name = (ret(*) params)desktopGlProc(#name);                 \
    if (!table.name || (void*)table.name == (void*)&::name)           \
        *missing = #name;
#define ZANT_GLU_FILL(ret, name, params, args)                        \
    table.name = (ret(*) params)desktopGluProc(#name);                \
    if (!table.name || (void*)table.name == (void*)&::name)           \
        *missing = #name;
    ZANT_GL_FUNCTIONS(ZANT_GL_FILL)
    ZANT_GLU_FUNCTIONS(ZANT_GLU_FILL)
#undef ZANT_GL_FILL
#undef ZANT_GLU_FILL
    return *missing == nullptr;
}

static GlTable startingTable()
{
    GlTable table{};
    const char* missing;
    fillDesktopTable(table, &missing);
    return table;
}

// Filled before main, so the platform's first calls after making a context
// already have somewhere to go.
GlTable glTable = startingTable();

bool useDesktopGl(char* err, int errSize)
{
    GlTable table{};
    const char* missing;
    if (!fillDesktopTable(table, &missing)) {
        std::snprintf(err, errSize, "the GL library has no %s", missing);
        return false;
    }
    glTable = table;
    currentPath = GlPath::Desktop;
    return true;
}

bool useGlesLayer(char* err, int errSize)
{
    if (!startEsLayer(err, errSize))
        return false;
#define ZANT_GL_LAYER(ret, name, params, args) glTable.name = es_##name;
    ZANT_GL_FUNCTIONS(ZANT_GL_LAYER)
    ZANT_GLU_FUNCTIONS(ZANT_GL_LAYER)
#undef ZANT_GL_LAYER
    currentPath = GlPath::Es;
    return true;
}

bool selectGlPath(bool gles, char* err, int errSize)
{
    return gles ? useGlesLayer(err, errSize) : useDesktopGl(err, errSize);
}

GlPath glPath()
{
    return currentPath;
}

int glTableSlots(GlSlot* out, int max)
{
    int n = 0;
#define ZANT_GL_LIST(ret, name, params, args) \
    if (n < max)                               \
        out[n] = GlSlot{#name, (void*)glTable.name}; \
    n++;
    ZANT_GL_FUNCTIONS(ZANT_GL_LIST)
    ZANT_GLU_FUNCTIONS(ZANT_GL_LIST)
#undef ZANT_GL_LIST
    return n;
}

bool isDispatchTrampoline(void* p)
{
#define ZANT_GL_IS(ret, name, params, args) \
    if (p == (void*)&::name)                 \
        return true;
    ZANT_GL_FUNCTIONS(ZANT_GL_IS)
    ZANT_GLU_FUNCTIONS(ZANT_GL_IS)
#undef ZANT_GL_IS
    return false;
}
