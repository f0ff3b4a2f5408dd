// The overlay's band meter and state line: each band against the level at
// which its effect is full at that song time, from the timeline's own rows.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "devtools/text.h"
#include "fx/effects.h"
#include "fx/flicker.h"
#include "scenes/timeline.h"

namespace {

const float levels[4] = {1.25f, 9.0f, 3.5f, 9.0f};

TEST(BandMeter, TheSmearIsFullWhereItsCopiesStandAPixelApart)
{
    // Patterns 0-10 double band 0 into the spread; later rows take it once.
    EXPECT_FLOAT_EQ(bandMeterAt(3.0f, levels).smearFull, SMEAR_FULL_SPREAD / 2.0f);
    EXPECT_FLOAT_EQ(bandMeterAt(7.0f, levels).smearFull, SMEAR_FULL_SPREAD / 2.0f);
    EXPECT_FLOAT_EQ(bandMeterAt(20.5f, levels).smearFull, SMEAR_FULL_SPREAD);
    EXPECT_FLOAT_EQ(bandMeterAt(33.0f, levels).smearFull, SMEAR_FULL_SPREAD);
    // No smear in the hall with its mirror, nor in the tunnel.
    EXPECT_EQ(bandMeterAt(12.5f, levels).smearFull, 0.0f);
    EXPECT_EQ(bandMeterAt(15.0f, levels).smearFull, 0.0f);
    EXPECT_EQ(bandMeterAt(3.0f, levels).smearLevel, 1.25f);
}

TEST(BandMeter, TheFlickerIsFullWhereItsLayersAddUpToWhite)
{
    EXPECT_NEAR(flickerFullLevel(), 6.6667f, 1e-4f);
    // 0.15 x level, squared, is 1 at the full level.
    EXPECT_NEAR(std::pow(0.15 * flickerFullLevel(), 2.0), 1.0, 1e-6);
    EXPECT_FLOAT_EQ(bandMeterAt(7.0f, levels).flickerFull, flickerFullLevel());
    EXPECT_EQ(bandMeterAt(3.0f, levels).flickerFull, 0.0f);
    EXPECT_EQ(bandMeterAt(37.0f, levels).flickerFull, 0.0f);
    // Half patterns 49, 55, ... of the cycle add two layers: each is full at half white.
    BandMeter twice = bandMeterAt(24.6f, levels);
    EXPECT_NEAR(2.0 * std::pow(0.15 * twice.flickerFull, 2.0), 1.0, 1e-5);
    EXPECT_EQ(twice.flickerLevel, 3.5f);
}

TEST(BandMeter, LinesSayLevelAndFullOrThatTheEffectIsOff)
{
    char lines[2][STATUS_LINE_SIZE];
    formatBandMeterLines(bandMeterAt(7.0f, levels), lines);
    EXPECT_STREQ(lines[0], "smear b0  1.25 of 1.00");
    EXPECT_STREQ(lines[1], "flicker b2  3.50 of 6.67");
    formatBandMeterLines(bandMeterAt(3.0f, levels), lines);
    EXPECT_STREQ(lines[1], "flicker b2  3.50  (not now)");
}

TEST(StateLine, PausedAndTheLoopRangeWhenTheyApply)
{
    char line[STATUS_LINE_SIZE];
    formatStateLine(false, false, 0.0, 0.0, line);
    EXPECT_STREQ(line, "");
    formatStateLine(true, false, 0.0, 0.0, line);
    EXPECT_STREQ(line, "paused");
    formatStateLine(false, true, 12.0, 13.0, line);
    EXPECT_STREQ(line, "loop 12-13");
    formatStateLine(true, true, 1.5, 3.0, line);
    EXPECT_STREQ(line, "paused  loop 1.5-3");
    formatStateLine(false, false, 7.0, 8.0, line);
    EXPECT_STREQ(line, "loop 7-8 off");
}

}  // namespace

// Frame k of a 60 fps render shows millisecond floor(k * 1000 / 60); the
// readout names the last such frame at or before a millisecond.
TEST(WhereReadout, FrameNumbersAreTheRendersFrames)
{
    for (long long k = 0; k < 13000; k++) {
        int shown = (int)(k * 1000 / 60);
        ASSERT_EQ(frameAtMillis(shown), k) << "frame " << k << " at ms " << shown;
        int next = (int)((k + 1) * 1000 / 60);
        ASSERT_EQ(frameAtMillis(next - 1), k) << "the ms before frame " << k + 1;
    }
    EXPECT_EQ(frameAtMillis(15), 0);
    EXPECT_EQ(frameAtMillis(16), 1);
    EXPECT_EQ(frameAtMillis(-5), 0);
}

TEST(WhereReadout, SceneRowSecondsAndFrame)
{
    char line[STATUS_LINE_SIZE];
    formatWhereLine(12.5f, 66666, line);
    EXPECT_STREQ(line, "column hall  12:08  66.67 s  frame 4000");
    formatWhereLine(0.0f, 0, line);
    EXPECT_STREQ(line, "silhouette  0:00  0.00 s  frame 0");
    // Row 15 is the last sixteenth; the cycle names the half pattern's scene.
    formatWhereLine(22.9999f, 122666, line);
    EXPECT_STREQ(line, "slab tunnel  22:15  122.67 s  frame 7360");
    formatWhereLine(23.0f, 122667, line);
    EXPECT_STREQ(line, "breaking boxes  23:00  122.67 s  frame 7360");
}
