// A page has no message boxes: the question is answered by the page's start
// screen, and an error box's text goes to the log and onto the page.
#include "platform/dialogs.h"

#include <emscripten.h>
#include <emscripten/emscripten.h>

#include "core/errors.h"

bool dialogsAllowed = false;

EM_JS(void, pageMessage, (const char* text), { Module.zantWeb.showMessage(UTF8ToString(text)); });

int askYesNo(const char*, const char*)
{
    return 0;
}

void showErrorBox(const char* title, const char* message)
{
    logMessage(LOG_ERROR, "%s: %s", title, message);
    pageMessage(message);
}

// A fatal error ends the program; the page shows why instead of a frozen
// canvas.
void installFatalErrorDisplay()
{
    setFatalErrorHook([](const char* message) {
        emscripten_cancel_main_loop();
        pageMessage(message);
    });
}
