#include "app/keys.h"

#include <cstdio>
#include <cstdlib>

#include "app/shell.h"
#include "devtools/screenshot.h"
#include "music/music.h"
#include "music/ticks.h"

float xpos = 0.0f, ypos = 0.0f, zpos = 0.0f, xrot = 0.0f, yrot = 0.0f;

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
static void aliasKey(const SDL_Keysym& key)
{
    switch (key.sym) {
    case SDLK_KP_6: typedCharacter('f'); break;
    case SDLK_KP_9: typedCharacter('i'); break;
    case SDLK_F4:
        if (!(key.mod & KMOD_ALT))
            typedCharacter('s');
        break;
    case SDLK_F5: typedCharacter('t'); break;
    default: break;
    }
}

static void keyDown(const SDL_Keysym& key)
{
    switch (key.sym) {
    case SDLK_ESCAPE: quitKey(); break;
    case SDLK_SPACE: recordTick(); break;
    case SDLK_PAGEUP: seekBy(-1); break;
    case SDLK_PAGEDOWN: seekBy(1); break;
    case SDLK_HOME: seekTo(0.0f); break;
    case SDLK_LEFT: yrot += 1.0f; break;
    case SDLK_RIGHT: yrot -= 1.0f; break;
    default: aliasKey(key); break;
    }
}

// Exact characters only: "S" (Shift or Caps Lock) is not "s". Bytes of
// longer UTF-8 sequences never match.
static void typedText(const char* text)
{
    for (const char* p = text; *p; p++)
        typedCharacter(*p);
}

void windowProc(const SDL_Event& event)
{
    if (event.type == SDL_KEYDOWN)
        keyDown(event.key.keysym);
    else if (event.type == SDL_TEXTINPUT)
        typedText(event.text.text);
}
