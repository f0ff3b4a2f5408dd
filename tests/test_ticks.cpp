// The tick recorder: taps become rows, and "ticks.inc" holds them as a table
// in the exact layout, whatever the count.
#include <gtest/gtest.h>
#include "tests/support/gl_fixture.h"

#include <cstdio>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "music/music.h"
#include "music/ticks.h"
#include "tests/support/folders.h"

static std::string fixturePath(const char* name)
{
    return std::string(ZANT_SOURCE_DIR) + "/tests/data/music/" + name;
}

// Each test works in a folder of its own, with the clock standing still at
// the positions it sets.
class TickRecorder : public ::testing::Test {
protected:
    WorkingFolder working;
    void SetUp() override
    {
        working = enterTestFolder();
        if (HasFatalFailure())
            return;
        recordedTickCount = 0;
        startMusicOffline(fixturePath("tone_mono_48k.mp3").c_str(), 180.0f);
    }
    void TearDown() override
    {
        stopMusic();
        recordedTickCount = 0;
        leaveTestFolder(working);
    }
};

TEST_F(TickRecorder, TapsBecomeRowsWrittenAsPatternAndRow)
{
    seekSong(1.1f);  // 5866 ms: row 70
    recordTick();
    setSongMillis(5333);  // 0.9999375 patterns: row 63, not 64
    recordTick();
    setSongMillis(0);
    recordTick();
    ASSERT_EQ(recordedTickCount, 3);
    EXPECT_EQ(recordedTicks[0], 70);
    EXPECT_EQ(recordedTicks[1], 63);
    EXPECT_EQ(recordedTicks[2], 0);
    writeTickFile();
    EXPECT_EQ(readText("ticks.inc"),
              "static int ticktable[]={\n"
              " 64*1 + 6,\n"
              " 64*0 + 63,\n"
              " 64*0 + 0,\n"
              "};\n");
}

TEST_F(TickRecorder, LaterPatternsAndBackwardSeeksKeepTheTapOrder)
{
    recordedTicks[0] = 1283;
    recordedTickCount = 1;
    seekSong(2.0f);  // 10666 ms: 1.999875 patterns, row 127
    recordTick();
    writeTickFile();
    EXPECT_EQ(readText("ticks.inc"),
              "static int ticktable[]={\n"
              " 64*20 + 3,\n"
              " 64*1 + 63,\n"
              "};\n");
}

// The row of a negative tick keeps its sign, the pattern rounds down.
TEST_F(TickRecorder, NegativeTickUsesShiftAndSignedRemainder)
{
    recordedTicks[0] = -70;
    recordedTickCount = 1;
    writeTickFile();
    EXPECT_EQ(readText("ticks.inc"), "static int ticktable[]={\n 64*-2 + -6,\n};\n");
}

TEST_F(TickRecorder, NoTicksGiveJustTheBracketingLines)
{
    writeTickFile();
    EXPECT_EQ(readText("ticks.inc"), "static int ticktable[]={\n};\n");
}

TEST_F(TickRecorder, WritingKeepsTheTableAndRewritesTheWholeFile)
{
    setSongMillis(5866);
    recordTick();
    writeTickFile();
    writeTickFile();
    EXPECT_EQ(recordedTickCount, 1);
    EXPECT_EQ(readText("ticks.inc"), "static int ticktable[]={\n 64*1 + 6,\n};\n");
}

TEST_F(TickRecorder, TapsBeyondTheTableAreIgnored)
{
    setSongMillis(6000);
    for (int i = 0; i < 1025; i++)
        recordTick();
    EXPECT_EQ(recordedTickCount, 1024);
    writeTickFile();
    std::string text = readText("ticks.inc");
    size_t lines = 0;
    for (char c : text)
        lines += c == '\n';
    EXPECT_EQ(lines, 1024u + 2u);
}

// A folder where the file should be: a warning, and the show goes on.
TEST_F(TickRecorder, UnwritableFileWarnsAndCarriesOn)
{
    ASSERT_EQ(mkdir("ticks.inc", 0700), 0);
    setSongMillis(5866);
    recordTick();
    ::testing::internal::CaptureStderr();
    writeTickFile();
    std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("ticks.inc"), std::string::npos) << said;
    EXPECT_NE(said.find("warning"), std::string::npos) << said;
    EXPECT_EQ(recordedTickCount, 1);
    rmdir("ticks.inc");
}

// However the run ends, taps recorded since the last write are written;
// nothing is rewritten when every tap is already in the file.
TEST_F(TickRecorder, UnsavedTicksAreWrittenAtTheEndAndOnlyThen)
{
    writeUnsavedTicks();
    EXPECT_TRUE(readText("ticks.inc").empty()) << "nothing recorded: no file";
    setSongMillis(5866);
    recordTick();
    writeUnsavedTicks();
    EXPECT_EQ(readText("ticks.inc"), "static int ticktable[]={\n 64*1 + 6,\n};\n");
    std::remove("ticks.inc");
    writeUnsavedTicks();
    EXPECT_TRUE(readText("ticks.inc").empty()) << "already written";
    writeTickFile();  // as "t" does
    std::remove("ticks.inc");
    writeUnsavedTicks();
    EXPECT_TRUE(readText("ticks.inc").empty()) << "written by t";
    recordTick();
    writeUnsavedTicks();
    EXPECT_EQ(readText("ticks.inc"), "static int ticktable[]={\n 64*1 + 6,\n 64*1 + 6,\n};\n");
}

// A write that failed leaves the taps unsaved: the end of the run tries again.
TEST_F(TickRecorder, AFailedWriteIsTriedAgainAtTheEnd)
{
    ASSERT_EQ(mkdir("ticks.inc", 0700), 0);
    setSongMillis(5866);
    recordTick();
    ::testing::internal::CaptureStderr();
    writeTickFile();
    ::testing::internal::GetCapturedStderr();
    rmdir("ticks.inc");
    writeUnsavedTicks();
    EXPECT_EQ(readText("ticks.inc"), "static int ticktable[]={\n 64*1 + 6,\n};\n");
}
