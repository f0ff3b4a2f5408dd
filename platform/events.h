// Window events as plain records: the frame loop and the key handler see
// these, never the platform library's own event type.
#pragma once

enum EventType { EVENT_NONE, EVENT_QUIT, EVENT_KEY_DOWN, EVENT_TEXT };

// Keys the program acts on; every other key arrives as KEY_OTHER.
enum KeyCode {
    KEY_OTHER,
    KEY_ESCAPE,
    KEY_SPACE,
    KEY_PAGE_UP,
    KEY_PAGE_DOWN,
    KEY_HOME,
    KEY_LEFT,
    KEY_RIGHT,
    KEY_KP_6,
    KEY_KP_9,
    KEY_F4,
    KEY_F5,
};

// Modifier bits held with a key.
enum { KEYMOD_SHIFT = 1, KEYMOD_CTRL = 2, KEYMOD_ALT = 4 };

struct Event {
    EventType type;
    KeyCode key;    // EVENT_KEY_DOWN
    int mods;       // KEYMOD_* bits, EVENT_KEY_DOWN
    bool repeat;    // auto-repeat of a held key (it acts like a press)
    char text[32];  // EVENT_TEXT: the typed characters, UTF-8, 0-terminated
};

// Takes the next waiting event; false when none is waiting. Events the
// program has no use for come back as EVENT_NONE.
bool pollEvent(Event& event);
