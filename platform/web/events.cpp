// The page's keys as the program's events: a key press, and for a key that
// types a character a text event after it, as the desktop delivers them.
// The browser keeps the keys the show uses (no scrolling, no find).
#include "platform/events.h"

#include <emscripten/html5.h>

#include <cstring>
#include <deque>

static std::deque<Event> waiting;
static bool listening = false;

static KeyCode keyCodeOf(const EmscriptenKeyboardEvent& e)
{
    static const struct {
        const char* code;
        KeyCode key;
    } keys[] = {
        {"Escape", KEY_ESCAPE}, {"Space", KEY_SPACE},    {"PageUp", KEY_PAGE_UP}, {"PageDown", KEY_PAGE_DOWN},
        {"Home", KEY_HOME},     {"ArrowLeft", KEY_LEFT}, {"ArrowRight", KEY_RIGHT}, {"Numpad6", KEY_KP_6},
        {"Numpad9", KEY_KP_9},  {"F4", KEY_F4},          {"F5", KEY_F5},
    };
    for (const auto& k : keys)
        if (std::strcmp(e.code, k.code) == 0)
            return k.key;
    return KEY_OTHER;
}

static int modsOf(const EmscriptenKeyboardEvent& e)
{
    return (e.shiftKey ? KEYMOD_SHIFT : 0) | (e.ctrlKey ? KEYMOD_CTRL : 0) | (e.altKey ? KEYMOD_ALT : 0);
}

// A one-character key name is the character it types (UTF-8 already).
static bool typesText(const EmscriptenKeyboardEvent& e)
{
    if (e.ctrlKey || e.altKey || e.metaKey || !e.key[0])
        return false;
    unsigned char first = (unsigned char)e.key[0];
    size_t length = std::strlen(e.key);
    size_t charLength = first < 0x80 ? 1 : first < 0xE0 ? 2 : first < 0xF0 ? 3 : 4;
    return length == charLength;
}

static EM_BOOL onKeyDown(int, const EmscriptenKeyboardEvent* e, void*)
{
    Event event = Event{};
    event.type = EVENT_KEY_DOWN;
    event.key = keyCodeOf(*e);
    event.mods = modsOf(*e);
    event.repeat = e->repeat != 0;
    waiting.push_back(event);
    if (typesText(*e)) {
        Event text = Event{};
        text.type = EVENT_TEXT;
        std::strncpy(text.text, e->key, sizeof text.text - 1);
        waiting.push_back(text);
    }
    // Reloading and the browser's own shortcuts stay the browser's.
    bool browsers = e->ctrlKey || e->metaKey || std::strcmp(e->code, "F5") == 0 ||
        std::strcmp(e->code, "F11") == 0 || std::strcmp(e->code, "F12") == 0;
    return browsers ? EM_FALSE : EM_TRUE;
}

bool pollEvent(Event& event)
{
    if (!listening) {
        emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, onKeyDown);
        listening = true;
    }
    if (waiting.empty())
        return false;
    event = waiting.front();
    waiting.pop_front();
    return true;
}
