#include "app/shell.h"

#include <SDL.h>
#include <cstdio>
#include <cstdlib>

#include "app/window.h"
#include "render/gl.h"

std::atomic<int> quitRequested{0};
int musicStarted = 0;
int overlayEnabled = 0;
bool dialogsAllowed = true;

void fatalError(const char* message)
{
    std::fprintf(stderr, "zant: %s\n", message);
    std::fflush(stderr);
    const char* quiet = std::getenv("ZANT_NO_DIALOGS");
    if (dialogsAllowed && !(quiet && *quiet && *quiet != '0'))
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "ZANT", message, nullptr);
    destroyGlWindow();
    // A failure must not look like success to whoever started us.
    std::exit(1);
}

const char* glErrorName(unsigned int error)
{
    switch (error) {
    case 0x0500: return "GL_INVALID_ENUM";
    case 0x0501: return "GL_INVALID_VALUE";
    case 0x0502: return "GL_INVALID_OPERATION";
    case 0x0503: return "GL_STACK_OVERFLOW";
    case 0x0504: return "GL_STACK_UNDERFLOW";
    case 0x0505: return "GL_OUT_OF_MEMORY";
    default: return "UNKNOWN GL_ERROR";
    }
}

void checkGlError()
{
    GLenum error = glGetError();
    if (error == 0)
        return;
    fatalError(glErrorName(error));
}
