// --loop on the command line: both sides of each of its limits. The range
// must be non-empty (B above A, however little), start at 0 or later and
// end within the song.
#include <gtest/gtest.h>

#include <vector>

#include "app/options.h"
#include "core/songtime.h"

namespace {

int parseLoop(const char* value, Options& o)
{
    std::vector<const char*> args = {"zant", "--windowed", "--loop", value};
    o = Options{};
    return parseOptions((int)args.size(), (char**)args.data(), o);
}

TEST(LoopOption, AnEmptyRangeIsRefusedAndTheSmallestOneTaken)
{
    Options o;
    EXPECT_EQ(parseLoop("3:3", o), 2) << "a loop from 3 to 3 plays nothing";
    EXPECT_FALSE(o.loop);
    ASSERT_EQ(parseLoop("3:3.001", o), -1);
    EXPECT_TRUE(o.loop);
    EXPECT_EQ(o.loopStart, 3.0);
    EXPECT_EQ(o.loopEnd, 3.001);
    EXPECT_EQ(parseLoop("3.001:3", o), 2);
}

TEST(LoopOption, TheStartIsZeroOrLater)
{
    Options o;
    ASSERT_EQ(parseLoop("0:0.5", o), -1);
    EXPECT_EQ(o.loopStart, 0.0);
    EXPECT_EQ(o.loopEnd, 0.5);
    EXPECT_EQ(parseLoop("-0.001:2", o), 2);
}

TEST(LoopOption, OnlyTwoFiniteNumbers)
{
    Options o;
    for (const char* bad : {"3", "3:", ":4", "3:4:5", "3;4", "3:4x", "nan:4", "3:inf", "3:nan", "a:b"})
        EXPECT_EQ(parseLoop(bad, o), 2) << "--loop " << bad;
    ASSERT_EQ(parseLoop("12:14", o), -1);
    EXPECT_EQ(o.loopStart, 12.0);
    EXPECT_EQ(o.loopEnd, 14.0);
}

// The song's length is whole milliseconds rounded down, so the loop may end
// up to a millisecond after it, and no further.
TEST(LoopOption, TheEndLiesWithinTheSong)
{
    songBpm = 180.0f;
    const int length = 60000;  // pattern 11.25
    Options o;
    ASSERT_EQ(parseLoop("10:11.25", o), -1);
    EXPECT_TRUE(loopFitsSong(o, length));
    o.loopEnd = patternsForMillis(length + 1.0);
    EXPECT_TRUE(loopFitsSong(o, length));
    o.loopEnd = patternsForMillis(length + 1.01);
    EXPECT_FALSE(loopFitsSong(o, length));
    ASSERT_EQ(parseLoop("10:11.3", o), -1);
    EXPECT_FALSE(loopFitsSong(o, length));
    o.loop = false;
    EXPECT_TRUE(loopFitsSong(o, length)) << "without --loop there is nothing to check";
}

}  // namespace

namespace {

TEST(OverlayOption, StartsTheOverlayOnOnlyWhenGiven)
{
    Options o;
    std::vector<const char*> with = {"zant", "--still", "3", "--out", "a.png", "--overlay"};
    ASSERT_EQ(parseOptions((int)with.size(), (char**)with.data(), o), -1);
    EXPECT_TRUE(o.overlay);
    o = Options{};
    std::vector<const char*> without = {"zant", "--still", "3", "--out", "a.png"};
    ASSERT_EQ(parseOptions((int)without.size(), (char**)without.data(), o), -1);
    EXPECT_FALSE(o.overlay);
}

}  // namespace
