// The keys, driven through the same handler the frame loop calls, with the
// song clock standing still at the positions each test sets.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "app/keys.h"
#include "core/songtime.h"
#include "platform/events.h"
#include "render/camera.h"
#include "core/errors.h"
#include "core/runstate.h"
#include "platform/dialogs.h"
#include "render/caps.h"
#include "devtools/screenshot.h"
#include "music/music.h"
#include "music/ticks.h"
#include "platform/gl.h"
#include "tests/support/folders.h"
#include "tests/support/gl_fixture.h"

namespace {

Event keyDown(KeyCode key, bool repeat = false, int mod = 0)
{
    Event e{};
    e.type = EVENT_KEY_DOWN;
    e.repeat = repeat;
    e.key = key;
    e.mods = mod;
    return e;
}

Event typed(const char* text)
{
    Event e{};
    e.type = EVENT_TEXT;
    std::strncpy(e.text, text, sizeof e.text - 1);
    return e;
}

void press(KeyCode key, bool repeat = false, int mod = 0)
{
    windowProc(keyDown(key, repeat, mod));
}

void type(const char* text)
{
    windowProc(typed(text));
}

int millisAt(double patterns)
{
    return millisForPatterns(patterns);
}

bool exists(const char* path)
{
    struct stat st;
    return stat(path, &st) == 0;
}

// Each test runs in a folder of its own, everything the keys touch at rest.
class Keys : public GlTest {
protected:
    WorkingFolder working;
    void SetUp() override
    {
        GlTest::SetUp();
        working = enterTestFolder();
        if (HasFatalFailure())
            return;
        recordedTickCount = 0;
        quitRequested = 0;
        overlayEnabled = 0;
        yrot = 0.0f;
        screenshotCounter = stillCounter = 0;
        startMusicOffline(ZANT_SOURCE_DIR "/tests/data/music/tone_mono_48k.mp3", 180.0f);
    }
    void TearDown() override
    {
        stopMusic();
        recordedTickCount = 0;
        quitRequested = 0;
        overlayEnabled = 0;
        yrot = 0.0f;
        leaveTestFolder(working);
    }
};

TEST_F(Keys, PageUpAndPageDownLandOnWholePatterns)
{
    setSongMillis(millisAt(5.3));
    press(KEY_PAGE_UP);
    EXPECT_EQ(songMillis(), 21333);
    EXPECT_NEAR(songTime(), 4.0, 2e-4);
    setSongMillis(millisAt(5.3));
    press(KEY_PAGE_DOWN);
    EXPECT_EQ(songMillis(), 32000);
    EXPECT_DOUBLE_EQ(songTime(), 6.0);
    // Every repeat steps again from where the song now is.
    press(KEY_PAGE_DOWN, true);
    EXPECT_NEAR(songTime(), 7.0, 2e-4);
    setSongMillis(millisAt(7.01));
    press(KEY_PAGE_DOWN, true);
    EXPECT_NEAR(songTime(), 8.0, 2e-4);
}

TEST_F(Keys, HomeGoesToTheStart)
{
    setSongMillis(millisAt(12.7));
    press(KEY_HOME);
    EXPECT_EQ(songMillis(), 0);
}

TEST_F(Keys, PageUpInTheFirstPatternStopsAtTheStart)
{
    setSongMillis(millisAt(0.5));
    press(KEY_PAGE_UP);
    EXPECT_EQ(songMillis(), 0);
    EXPECT_EQ(songTime(), 0.0);
}

TEST_F(Keys, SpaceRecordsTheCurrentRowOnEveryRepeat)
{
    setSongMillis(millisAt(1.1));
    press(KEY_SPACE);
    ASSERT_EQ(recordedTickCount, 1);
    EXPECT_EQ(recordedTicks[0], 70);
    setSongMillis(millisAt(20.05));
    press(KEY_SPACE, true);
    ASSERT_EQ(recordedTickCount, 2);
    EXPECT_EQ(recordedTicks[1], 1283);
    EXPECT_FALSE(exists("ticks.inc")) << "taps alone write nothing";
}

TEST_F(Keys, ArrowsTurnTheReadoutOneStepPerRepeat)
{
    press(KEY_RIGHT);
    for (int i = 1; i < 64; i++)
        press(KEY_RIGHT, true);
    EXPECT_EQ(yrot, -64.0f);
    press(KEY_LEFT);
    press(KEY_LEFT, true);
    EXPECT_EQ(yrot, -62.0f);
    EXPECT_EQ(xpos, 0.0f);
    EXPECT_EQ(ypos, 0.0f);
    EXPECT_EQ(zpos, 0.0f);
    EXPECT_EQ(xrot, 0.0f);
}

TEST_F(Keys, LowerCaseITogglesAndCapitalsDoNothing)
{
    type("i");
    EXPECT_EQ(overlayEnabled, 1);
    type("I");
    EXPECT_EQ(overlayEnabled, 1);
    type("i");
    EXPECT_EQ(overlayEnabled, 0);
    type("S");
    type("F");
    type("T");
    EXPECT_FALSE(exists("vkt00000.bmp"));
    EXPECT_FALSE(exists("ticks.inc"));
    EXPECT_EQ(screenshotCounter, 0);
}

TEST_F(Keys, SAndFSaveBitmaps)
{
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    type("s");
    EXPECT_EQ(screenshotCounter, 1);
    EXPECT_EQ(readText("vkt00000.bmp").size(), 921654u);
    type("f");
    EXPECT_EQ(stillCounter, 2) << "the still steps over the screenshot's name";
    EXPECT_EQ(readText("vkt00001.bmp").size(), 921654u);
    EXPECT_EQ(readText("vkt00000.bmp").size(), 921654u);
}

TEST_F(Keys, TTwiceWritesTheSameTableTwice)
{
    setSongMillis(millisAt(1.1));
    press(KEY_SPACE);
    setSongMillis(millisAt(20.05));
    press(KEY_SPACE);
    type("t");
    std::string first = readText("ticks.inc");
    EXPECT_EQ(first, "static int ticktable[]={\n 64*1 + 6,\n 64*20 + 3,\n};\n");
    FILE* f = std::fopen("ticks.inc", "w");
    ASSERT_NE(f, nullptr);
    std::fputs("scribbled over\n", f);
    std::fclose(f);
    type("t");
    EXPECT_EQ(readText("ticks.inc"), first);
    EXPECT_EQ(recordedTickCount, 2) << "writing keeps the table";
}

TEST_F(Keys, EscapeWithoutTicksQuitsWithoutWriting)
{
    press(KEY_ESCAPE);
    EXPECT_EQ(quitRequested, 1);
    EXPECT_FALSE(exists("ticks.inc"));
}

TEST_F(Keys, EscapeWithTicksWritesThemAndQuits)
{
    setSongMillis(millisAt(1.1));
    press(KEY_SPACE);
    press(KEY_ESCAPE);
    EXPECT_EQ(quitRequested, 1);
    EXPECT_EQ(readText("ticks.inc"), "static int ticktable[]={\n 64*1 + 6,\n};\n");
}

// The loop counts the quit event itself; the handler must not count it again.
TEST_F(Keys, QuitEventAndKeyUpsAreNotActedOn)
{
    Event quit{};
    quit.type = EVENT_QUIT;
    windowProc(quit);
    Event up = keyDown(KEY_ESCAPE);
    up.type = EVENT_NONE;  // a key-up arrives as an event nothing acts on
    windowProc(up);
    EXPECT_EQ(quitRequested, 0);
    setSongMillis(millisAt(5.3));
    up.key = KEY_PAGE_DOWN;
    windowProc(up);
    EXPECT_EQ(songMillis(), millisAt(5.3));
}

TEST_F(Keys, OtherTextDoesNothing)
{
    type("\xc3\xa9");  // an e with an acute accent
    type(" ");
    type("x");
    EXPECT_EQ(overlayEnabled, 0);
    EXPECT_FALSE(exists("ticks.inc"));
    EXPECT_EQ(quitRequested, 0);
}

// Keypad 9 and 6, F4 and F5 double as "i", "f", "s" and "t".
TEST_F(Keys, KeypadAndFunctionKeyAliases)
{
    press(KEY_KP_9);
    EXPECT_EQ(overlayEnabled, 1);
    press(KEY_F5);
    EXPECT_EQ(readText("ticks.inc"), "static int ticktable[]={\n};\n");
    press(KEY_F4, false, KEYMOD_ALT);
    EXPECT_EQ(screenshotCounter, 0) << "Alt+F4 belongs to the window manager";
    press(KEY_F4);
    EXPECT_EQ(screenshotCounter, 1);
    press(KEY_KP_6);
    EXPECT_EQ(stillCounter, 2) << "vkt00000.bmp is the screenshot's";
}

}  // namespace
