#include "platform/events.h"

#include <SDL.h>
#include <cstring>

#include "platform/window.h"

static KeyCode keyCodeOf(SDL_Keycode sym)
{
    switch (sym) {
    case SDLK_ESCAPE: return KEY_ESCAPE;
    case SDLK_SPACE: return KEY_SPACE;
    case SDLK_PAGEUP: return KEY_PAGE_UP;
    case SDLK_PAGEDOWN: return KEY_PAGE_DOWN;
    case SDLK_HOME: return KEY_HOME;
    case SDLK_LEFT: return KEY_LEFT;
    case SDLK_RIGHT: return KEY_RIGHT;
    case SDLK_KP_6: return KEY_KP_6;
    case SDLK_KP_9: return KEY_KP_9;
    case SDLK_F4: return KEY_F4;
    case SDLK_F5: return KEY_F5;
    default: return KEY_OTHER;
    }
}

static int modsOf(Uint16 mod)
{
    return ((mod & KMOD_SHIFT) ? KEYMOD_SHIFT : 0) | ((mod & KMOD_CTRL) ? KEYMOD_CTRL : 0) |
        ((mod & KMOD_ALT) ? KEYMOD_ALT : 0);
}

// F11 and Alt+Enter belong to the desktop, not to the show's keys.
static bool isFullscreenToggle(const SDL_KeyboardEvent& key)
{
    SDL_Keycode sym = key.keysym.sym;
    bool enter = sym == SDLK_RETURN || sym == SDLK_KP_ENTER;
    return !key.repeat && (sym == SDLK_F11 || (enter && (key.keysym.mod & KMOD_ALT)));
}

bool pollEvent(Event& event)
{
    SDL_Event e;
    if (!SDL_PollEvent(&e))
        return false;
    event = Event{};
    switch (e.type) {
    case SDL_QUIT: event.type = EVENT_QUIT; break;
    case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
            windowSizeChanged();
        event.type = EVENT_NONE;
        break;
    case SDL_KEYDOWN:
        if (isFullscreenToggle(e.key)) {
            toggleDesktopFullscreen();
            event.type = EVENT_NONE;
            break;
        }
        event.type = EVENT_KEY_DOWN;
        event.key = keyCodeOf(e.key.keysym.sym);
        event.mods = modsOf(e.key.keysym.mod);
        event.repeat = e.key.repeat != 0;
        break;
    case SDL_TEXTINPUT:
        event.type = EVENT_TEXT;
        std::memcpy(event.text, e.text.text, sizeof event.text - 1);  // SDL keeps 32 bytes, 0-terminated
        break;
    default: event.type = EVENT_NONE; break;
    }
    return true;
}
