// Song time conversions at 180 BPM, where a pattern is 5333.33 ms: the
// millisecond a song time asks for is the first one at or after it, so a
// frame at an exact pattern shows that pattern and a whole millisecond comes
// back as itself.
#include <gtest/gtest.h>

#include <cmath>

#include "core/songtime.h"

namespace {

class SongTime : public ::testing::Test {
protected:
    void SetUp() override { songBpm = 180.0f; }
};

TEST_F(SongTime, WholePatternsGoToTheFirstMillisecondOfThePattern)
{
    EXPECT_EQ(millisForPatterns(0.0), 0);
    EXPECT_EQ(millisForPatterns(3.0), 16000);
    EXPECT_EQ(millisForPatterns(1.0), 5334) << "5333.33: the millisecond before is still pattern 0";
    EXPECT_EQ(millisForPatterns(22.0), 117334);
    EXPECT_EQ(millisForPatterns(24.0), 128000);
}

TEST_F(SongTime, FractionalPatternsGoToTheFirstMillisecondAtOrAfter)
{
    for (int i = 0; i <= 2000; i++) {
        const double p = i * 0.0137;
        const int ms = millisForPatterns(p);
        const double exact = millisAtPatterns(p);
        ASSERT_GE(ms + 1e-6, exact) << "pattern " << p << ": " << ms << " ms lies before it";
        ASSERT_LT(ms - 1, exact) << "pattern " << p << ": " << ms - 1 << " ms is at or after it already";
    }
}

TEST_F(SongTime, AWholeMillisecondComesBackAsItself)
{
    for (int ms = 0; ms <= 400000; ms += 7)
        ASSERT_EQ(millisForPatterns(patternsForMillis(ms)), ms) << ms << " ms";
}

TEST_F(SongTime, NanAndHugeValuesStayInRange)
{
    EXPECT_EQ(millisForPatterns(std::nan("")), 0);
    EXPECT_GT(millisForPatterns(1e12), 0);
    EXPECT_LT(millisForPatterns(-1e12), 0);
}

}  // namespace
