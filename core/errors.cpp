#include "core/errors.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

static void (*fatalHook)(const char*) = nullptr;

void setFatalErrorHook(void (*hook)(const char* message))
{
    fatalHook = hook;
}

void fatalError(const char* message)
{
    std::fprintf(stderr, "zant: %s\n", message);
    std::fflush(stderr);
    // A fatal error inside the hook must not loop back into it.
    void (*hook)(const char*) = fatalHook;
    fatalHook = nullptr;
    if (hook)
        hook(message);
    // A failure must not look like success to whoever started us.
    std::exit(1);
}

void warning(const char* format, ...)
{
    std::fputs("zant: ", stderr);
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputc('\n', stderr);
}
