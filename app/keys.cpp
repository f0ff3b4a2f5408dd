#include "app/keys.h"

#include <cmath>
#include <string>

#include "app/devlog.h"
#include "app/reload.h"
#include "core/errors.h"
#include "core/runstate.h"
#include "core/songtime.h"
#include "devtools/screenshot.h"
#include "music/music.h"
#include "music/ticks.h"
#include "platform/events.h"
#include "render/camera.h"

static void seekTo(float patterns)
{
    if (logSeeks())
        logMessage(LOG_INFO, "seek from %.4f to pattern %.0f", songTime(), patterns);
    seekSong(patterns);
}

// Whole patterns from the truncated current time: 5.3 goes to 4 or 6.
static void seekBy(int patterns)
{
    int whole = (int)(float)songTime();
    seekTo((float)(whole + patterns));
}

static void logPosition(const char* what)
{
    if (logSeeks())
        logMessage(LOG_INFO, "%s sample %lld (ms %d, pattern %.4f)", what, songSample(), songMillis(), songTime());
}

static void togglePause()
{
    setSongPaused(!songPaused());
    logPosition(songPaused() ? "paused at" : "resumed at");
}

// A step while playing pauses first: stepping is for looking at frames.
static void step(double patterns)
{
    if (!songPaused())
        togglePause();
    stepSong(patterns);
    logPosition("step to");
}

// The pattern the clock is in. A seek lands up to a millisecond before its
// pattern (seekSong truncates), and that still counts as the pattern.
static double currentPattern()
{
    return std::floor(songTime() + patternsForMillis(1.0));
}

static void setLoop(bool on, double start, double end)
{
    setSongLoop(on, start, end);
    if (logSeeks())
        logMessage(LOG_INFO, "loop %g to %g %s", start, end, on ? "on" : "off");
}

// Either end moves the other out of the way, so the range is never empty.
static void setLoopStart()
{
    SongLoop loop = songLoop();
    double start = currentPattern();
    setLoop(loop.on, start, loop.end > start ? loop.end : start + 1.0);
}

static void setLoopEnd()
{
    SongLoop loop = songLoop();
    double end = currentPattern() + 1.0;
    bool haveStart = loop.end > loop.start && loop.start < end;
    setLoop(loop.on, haveStart ? loop.start : end - 1.0, end);
}

// With no range set yet, the loop is the current pattern.
static void toggleLoop()
{
    SongLoop loop = songLoop();
    if (loop.end <= loop.start) {
        loop.start = currentPattern();
        loop.end = loop.start + 1.0;
    }
    setLoop(!loop.on, loop.start, loop.end);
}

// A picture that can't be saved costs the picture, never the show.
static void warnIfNotSaved(const std::string& why)
{
    if (!why.empty())
        warning("%s", why.c_str());
}

static void typedCharacter(char c)
{
    switch (c) {
    case 'f': warnIfNotSaved(saveDepthBlurredStill()); break;
    case 'i': overlayEnabled = overlayEnabled ? 0 : 1; break;
    case 's': warnIfNotSaved(saveScreenshot()); break;
    case 't': writeTickFile(); break;
    case 'p': togglePause(); break;
    case '.': step(patternsForMillis(1000.0 / 60.0)); break;
    case ',': step(-patternsForMillis(1000.0 / 60.0)); break;
    case '>': step(1.0 / 16.0); break;
    case '<': step(-1.0 / 16.0); break;
    case '[': setLoopStart(); break;
    case ']': setLoopEnd(); break;
    case 'l': toggleLoop(); break;
    case 'r': reloadData(); break;
    case 'b': bandMeterEnabled = bandMeterEnabled ? 0 : 1; break;
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
