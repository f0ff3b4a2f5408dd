#include "app/keys.h"

#include <cstdio>
#include <cstdlib>

#include "core/runstate.h"
#include "devtools/screenshot.h"
#include "music/music.h"
#include "music/ticks.h"
#include "platform/events.h"
#include "render/camera.h"

// ZANT_LOG_SEEKS=1 reports every seek on stderr (for scripts driving keys).
static bool logSeeks()
{
    static int enabled = -1;
    if (enabled < 0) {
        const char* value = std::getenv("ZANT_LOG_SEEKS");
        enabled = value && *value && *value != '0';
    }
    return enabled;
}

static void seekTo(float patterns)
{
    if (logSeeks())
        std::fprintf(stderr, "zant: seek from %.4f to pattern %.0f\n", songTime(), patterns);
    seekSong(patterns);
}

// Whole patterns from the truncated current time: 5.3 goes to 4 or 6.
static void seekBy(int patterns)
{
    int whole = (int)(float)songTime();
    seekTo((float)(whole + patterns));
}

static void typedCharacter(char c)
{
    switch (c) {
    case 'f': saveDepthBlurredStill(); break;
    case 'i': overlayEnabled = overlayEnabled ? 0 : 1; break;
    case 's': saveScreenshot(); break;
    case 't': writeTickFile(); break;
    default: break;
    }
}

static void quitKey()
{
    if (recordedTickCount > 0)
        writeTickFile();
    quitRequested += 1;
}

// Keypad 6 and 9, F4 and F5 double as "f", "i", "s" and "t", as they always
// have; Alt+F4 is left to the window manager.
static void aliasKey(KeyCode key, int mods)
{
    switch (key) {
    case KEY_KP_6: typedCharacter('f'); break;
    case KEY_KP_9: typedCharacter('i'); break;
    case KEY_F4:
        if (!(mods & KEYMOD_ALT))
            typedCharacter('s');
        break;
    case KEY_F5: typedCharacter('t'); break;
    default: break;
    }
}

static void keyDown(KeyCode key, int mods)
{
    switch (key) {
    case KEY_ESCAPE: quitKey(); break;
    case KEY_SPACE: recordTick(); break;
    case KEY_PAGE_UP: seekBy(-1); break;
    case KEY_PAGE_DOWN: seekBy(1); break;
    case KEY_HOME: seekTo(0.0f); break;
    case KEY_LEFT: yrot += 1.0f; break;
    case KEY_RIGHT: yrot -= 1.0f; break;
    default: aliasKey(key, mods); break;
    }
}

// Exact characters only: "S" (Shift or Caps Lock) is not "s". Bytes of
// longer UTF-8 sequences never match.
static void typedText(const char* text)
{
    for (const char* p = text; *p; p++)
        typedCharacter(*p);
}

void windowProc(const Event& event)
{
    if (event.type == EVENT_KEY_DOWN)
        keyDown(event.key, event.mods);
    else if (event.type == EVENT_TEXT)
        typedText(event.text);
}
