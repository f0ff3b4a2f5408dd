// The loop keys through the window's handler, on the offline clock: [ and ]
// take whole patterns and push the other end out of the way, and l loops
// the current pattern when no range is set.
#include <gtest/gtest.h>

#include <cstring>

#include "app/keys.h"
#include "core/songtime.h"
#include "music/music.h"
#include "platform/events.h"

namespace {

void type(const char* text)
{
    Event e{};
    e.type = EVENT_TEXT;
    std::strncpy(e.text, text, sizeof e.text - 1);
    windowProc(e);
}

class LoopKeys : public ::testing::Test {
protected:
    void SetUp() override { startMusicOffline(ZANT_SOURCE_DIR "/tests/data/music/tone_mono_48k.mp3", 180.0f); }
    void TearDown() override { stopMusic(); }
    void at(double patterns) { setSongMillis(millisForPatterns(patterns)); }
};

TEST_F(LoopKeys, BracketsSetWholePatternsAndLKeepsThemApart)
{
    at(0.3);
    type("l");
    EXPECT_TRUE(songLoop().on);
    EXPECT_EQ(songLoop().start, 0.0);
    EXPECT_EQ(songLoop().end, 1.0);
    type("l");
    EXPECT_FALSE(songLoop().on);
    EXPECT_EQ(songLoop().end, 1.0) << "off keeps the range";

    // ] before the start moves the start back; [ past the end moves the end on.
    at(0.1);
    type("[");
    at(0.05);
    type("]");
    EXPECT_EQ(songLoop().start, 0.0);
    EXPECT_EQ(songLoop().end, 1.0);
    at(0.1);
    type("[");
    type("]");
    EXPECT_EQ(songLoop().start, 0.0);
    EXPECT_EQ(songLoop().end, 1.0);
    EXPECT_FALSE(songLoop().on) << "the ends alone don't switch the loop on";
}

TEST_F(LoopKeys, ASeekLandingJustBeforeAPatternCountsAsThatPattern)
{
    // Offline, the clock goes past the song's end: patterns 1 to 2 are there.
    seekSong(1.0f);
    ASSERT_LT(songTime(), 1.0) << "seeks truncate to whole ms";
    type("[");
    type("]");
    EXPECT_EQ(songLoop().start, 1.0);
    EXPECT_EQ(songLoop().end, 2.0);
}

}  // namespace
