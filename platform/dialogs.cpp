#include "platform/dialogs.h"

#include <SDL.h>
#include <cstdlib>

#include "core/errors.h"
#include "platform/window.h"

bool dialogsAllowed = true;

static bool dialogsWanted()
{
    const char* quiet = std::getenv("ZANT_NO_DIALOGS");
    return dialogsAllowed && !(quiet && *quiet && *quiet != '0');
}

int askYesNo(const char* title, const char* message)
{
    const SDL_MessageBoxButtonData buttons[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "Yes"},
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "No"},
    };
    SDL_MessageBoxData box = {};
    box.flags = SDL_MESSAGEBOX_INFORMATION;
    box.title = title;
    box.message = message;
    box.numbuttons = 2;
    box.buttons = buttons;
    int answer = -1;
    if (SDL_ShowMessageBox(&box, &answer) != 0)
        return -1;
    return answer;
}

void showErrorBox(const char* title, const char* message)
{
    if (dialogsWanted())
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title, message, nullptr);
}

static void showFatalError(const char* message)
{
    showErrorBox("ZANT", message);
    destroyGlWindow();
}

void installFatalErrorDisplay()
{
    setFatalErrorHook(showFatalError);
}
