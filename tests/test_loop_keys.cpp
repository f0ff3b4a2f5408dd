// The loop and step keys through the window's handler, on the offline
// clock: [ and ] take whole patterns and push the other end out of the way,
// l loops the current pattern when no range is set; , and . step a sixtieth
// of a second back and on, < and > a beat, never before the start nor onto
// the song's end.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "app/keys.h"
#include "core/songtime.h"
#include "music/music.h"
#include "music/soundlayer.h"
#include "platform/events.h"
#include "tests/support/gl_fixture.h"

namespace {

void type(const char* text)
{
    Event e{};
    e.type = EVENT_TEXT;
    std::strncpy(e.text, text, sizeof e.text - 1);
    windowProc(e);
}

const char* const song = ZANT_SOURCE_DIR "/tests/data/music/tone_mono_48k.mp3";

class LoopKeys : public ::testing::Test {
protected:
    void SetUp() override { startMusicOffline(song, 180.0f); }
    void TearDown() override { stopMusic(); }
    void at(double patterns) { setSongMillis(millisForPatterns(patterns)); }
};
using StepKeys = LoopKeys;

// The song's length in frames at the clock's rate, read on a stream of its own.
long long songFrames()
{
    std::vector<char> bytes = readFileBytes(song);
    SoundStream* s = soundStreamOpen(bytes.data(), (int)bytes.size());
    if (!s)
        return -1;
    long long frames = soundStreamGetLengthFrames(s);
    soundStreamClose(s);
    return frames;
}

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

TEST_F(StepKeys, CommaStepsBackAndPeriodOnBySixtiethsOfASecond)
{
    seekSongSample(44100);
    type(".");
    EXPECT_TRUE(songPaused()) << "a step pauses the show";
    EXPECT_EQ(songSample(), 44100 + 735);
    type(".");
    EXPECT_EQ(songSample(), 44100 + 2 * 735);
    type(",");
    type(",");
    type(",");
    EXPECT_EQ(songSample(), 44100 - 735);
    type(">");
    EXPECT_EQ(songSample(), 44100 - 735 + 14700) << "a beat is a sixteenth of a pattern";
    type("<");
    type("<");
    EXPECT_EQ(songSample(), 44100 - 735 - 14700);
}

TEST_F(StepKeys, StepsStopAtTheStartAndAFrameShortOfTheEnd)
{
    seekSongSample(500);
    type(",");
    EXPECT_EQ(songSample(), 0);
    type("<");
    EXPECT_EQ(songSample(), 0);

    const long long frames = songFrames();
    ASSERT_GT(frames, 44100);
    seekSongSample(frames - 1000);
    type(".");
    EXPECT_EQ(songSample(), frames - 1000 + 735);
    type(".");
    EXPECT_EQ(songSample(), frames - 1) << "the song's end would end the show";
    type(">");
    EXPECT_EQ(songSample(), frames - 1);
    type(",");
    EXPECT_EQ(songSample(), frames - 1 - 735);
}

}  // namespace
