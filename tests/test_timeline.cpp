// Which scene and effects the timeline calls, in which order and with which
// arguments, recorded through the timeline's call table (no pixels read).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <utility>
#include <string>

#include "music/spectrum.h"
#include "scenes/timeline.h"
#include "texture/assets.h"

namespace {

std::string calls;
double clockValue = 0.0;
float bassValue = 1.5f;
Texture fakeScreen{};
Texture fakeGrid{};

void add(const char* text)
{
    if (!calls.empty())
        calls += ' ';
    calls += text;
}

// One call with only a song time: name(t).
void addTimed(const char* name, float t)
{
    char buf[160];
    std::snprintf(buf, sizeof buf, "%s(%g)", name, t);
    add(buf);
}

const char* texName(const Texture* t)
{
    return t == &fakeScreen ? "screen" : t == &fakeGrid ? "grid" : "other";
}

double fakeSongTime()
{
    add("clock");
    return clockValue;
}

void fakeAnalyze()
{
    add("analyze");
    bandEnergy[0] = bassValue;
    bandEnergy[2] = 99.0f;
}

void silhouette(float t)
{
    addTimed("silhouette", t);
}
void cubeSwarm(float t)
{
    addTimed("swarm", t);
}
void breakingBoxes(float t)
{
    addTimed("boxes", t);
}
void columnHall(float t, int mode)
{
    char buf[160];
    std::snprintf(buf, sizeof buf, "hall(%g,%#x)", t, mode);
    add(buf);
}
void slabTunnel(float t)
{
    addTimed("tunnel", t);
}
void metalModel(float t)
{
    addTimed("metal", t);
}
void flicker(float t)
{
    addTimed("flicker", t);
}

void smear(Texture* tex, int count, float spread, float direction, int flags)
{
    char buf[160];
    std::snprintf(buf, sizeof buf, "smear(%s,%d,%g,%g,%d)", texName(tex), count, spread, direction, flags);
    add(buf);
}

void mirror(Texture* tex, float intensity, int flags)
{
    char buf[160];
    std::snprintf(buf, sizeof buf, "mirror(%s,%g,%d)", texName(tex), intensity, flags);
    add(buf);
}

void mosaic(float intensity, int flags)
{
    char buf[160];
    std::snprintf(buf, sizeof buf, "mosaic(%g,%d)", intensity, flags);
    add(buf);
}

void overlay(const Texture* tex, float intensity, int flags)
{
    char buf[160];
    std::snprintf(buf, sizeof buf, "overlay(%s,%g,%d)", texName(tex), intensity, flags);
    add(buf);
}

const TimelineOps recordingOps = {
    .songTime = fakeSongTime,
    .analyzeSpectrum = fakeAnalyze,
    .silhouette = silhouette,
    .cubeSwarm = cubeSwarm,
    .breakingBoxes = breakingBoxes,
    .columnHall = columnHall,
    .slabTunnel = slabTunnel,
    .metalModel = metalModel,
    .flicker = flicker,
    .smear = smear,
    .mirror = mirror,
    .mosaic = mosaic,
    .overlay = overlay,
};

class TimelineDispatch : public ::testing::Test {
protected:
    TimelineOps ops = recordingOps;
    Texture* savedScreen = nullptr;
    Texture* savedGrid = nullptr;

    void SetUp() override
    {
        timelineOps = &ops;
        savedScreen = screentex;
        savedGrid = gridtex;
        screentex = &fakeScreen;
        gridtex = &fakeGrid;
        bassValue = 1.5f;
    }
    void TearDown() override
    {
        timelineOps = &realTimelineOps;
        screentex = savedScreen;
        gridtex = savedGrid;
    }

    // The calls of one frame at song time t, after the clock read and analysis.
    std::string frameAt(double t)
    {
        calls.clear();
        clockValue = t;
        runTimeline();
        const std::string prefix = "clock analyze ";
        EXPECT_EQ(calls.compare(0, prefix.size(), prefix), 0) << "frame at " << t << ": " << calls;
        return calls.substr(prefix.size());
    }
};

TEST_F(TimelineDispatch, ReadsTheClockOnceAndAnalysesBeforeDrawing)
{
    calls.clear();
    clockValue = 3.0;
    runTimeline();
    EXPECT_EQ(calls, "clock analyze silhouette(3) smear(screen,5,3,3,0)");
}

TEST_F(TimelineDispatch, OpeningRowsDoubleTheBass)
{
    EXPECT_EQ(frameAt(0.0), "silhouette(0) smear(screen,5,3,0,0)");
    EXPECT_EQ(frameAt(5.9999), "silhouette(5.9999) smear(screen,5,3,5.9999,0)");
    EXPECT_EQ(frameAt(6.0), "swarm(6) smear(screen,5,3,6,0) flicker(6)");
    EXPECT_EQ(frameAt(9.99), "swarm(9.99) smear(screen,5,3,9.99,0) flicker(9.99)");
}

TEST_F(TimelineDispatch, MiddleRowsInTheirListedOrder)
{
    // Flicker before the grid between 10 and 12, after it between 16 and 17.
    EXPECT_EQ(frameAt(10.0), "boxes(10) mosaic(0.5,1025) flicker(10) overlay(grid,1,2048)");
    EXPECT_EQ(frameAt(11.5), "boxes(11.5) mosaic(0.5,1025) flicker(11.5) overlay(grid,1,2048)");
    EXPECT_EQ(frameAt(12.0), "hall(12,0x20000) mirror(screen,1,0) flicker(12)");
    EXPECT_EQ(frameAt(13.9), "hall(13.9,0x20000) mirror(screen,1,0) flicker(13.9)");
    EXPECT_EQ(frameAt(14.0), "tunnel(14) flicker(14)");
    EXPECT_EQ(frameAt(15.5), "tunnel(15.5) flicker(15.5)");
    EXPECT_EQ(frameAt(16.0), "swarm(16) mosaic(0.25,1024) overlay(grid,1,2048) flicker(16)");
    EXPECT_EQ(frameAt(17.0), "hall(17,0x20000) mirror(screen,0.25,1024) flicker(17)");
    EXPECT_EQ(frameAt(18.0), "metal(18) mosaic(0.5,1024) flicker(18)");
    EXPECT_EQ(frameAt(19.75), "metal(19.75) mosaic(0.5,1024) flicker(19.75)");
    EXPECT_EQ(frameAt(20.0), "hall(20,0x20000) smear(screen,5,1.5,20,0) flicker(20)");
    EXPECT_EQ(frameAt(21.0), "swarm(21) mirror(screen,1,0) flicker(21)");
    EXPECT_EQ(frameAt(21.999), "swarm(21.999) mirror(screen,1,0) flicker(21.999)");
}

TEST_F(TimelineDispatch, ClosingRowsKeepTheBassAsItIs)
{
    EXPECT_EQ(frameAt(32.0), "silhouette(32) smear(screen,5,1.5,32,0) flicker(32)");
    EXPECT_EQ(frameAt(35.99), "silhouette(35.99) smear(screen,5,1.5,35.99,0) flicker(35.99)");
    EXPECT_EQ(frameAt(36.0), "silhouette(36) smear(screen,5,1.5,36,0)");
    EXPECT_EQ(frameAt(50.0), "silhouette(50) smear(screen,5,1.5,50,0)");
}

TEST_F(TimelineDispatch, BassFollowsThisFramesAnalysis)
{
    bassValue = 0.0f;
    EXPECT_EQ(frameAt(1.0), "silhouette(1) smear(screen,5,0,1,0)");
    bassValue = 4.25f;
    EXPECT_EQ(frameAt(7.0), "swarm(7) smear(screen,5,8.5,7,0) flicker(7)");
    EXPECT_EQ(frameAt(33.0), "silhouette(33) smear(screen,5,4.25,33,0) flicker(33)");
}

TEST(TimelineCycle, HalfPatternIndexAndPulse)
{
    EXPECT_EQ(cycleIndex(22.0f), 44);
    EXPECT_EQ(cycleIndex(22.49f), 44);
    EXPECT_EQ(cycleIndex(22.5f), 45);
    EXPECT_EQ(cycleIndex(31.99f), 63);
    EXPECT_FLOAT_EQ(mirrorPulse(23.25f), 1.0f);
    EXPECT_FLOAT_EQ(mirrorPulse(23.75f), 0.2f);
    EXPECT_FLOAT_EQ(mirrorPulse(24.0f), 0.6f);
}

// Scene and effects of each half pattern from 22 on, as the show plays them.
struct HalfRow {
    double t;
    const char* scene;
    const char* effects;  // %g stands for the frame's time
};

const char* kHall = "hall(%g,0x20000)";
const char* kTunnel = "tunnel(%g)";
const char* kBoxes = "boxes(%g)";
const char* kMetal = "metal(%g)";
const char* kSmear = "smear(screen,5,1.5,%g,0) flicker(%g)";
const char* kMosaic = "mosaic(0.5,1025) overlay(grid,1,2048) flicker(%g)";
const char* kMirror = "mirror(screen,%s,1024) flicker(%g) flicker(%g)";

const HalfRow kCycle[] = {
    {22.0, kHall, kSmear},  {22.5, kTunnel, kMosaic}, {23.0, kBoxes, kMirror}, {23.5, kMetal, kSmear},
    {24.0, kHall, kMosaic}, {24.5, kTunnel, kMirror}, {25.0, kBoxes, kSmear},  {25.5, kMetal, kMosaic},
    {26.0, kHall, kMirror}, {26.5, kTunnel, kSmear},  {27.0, kBoxes, kMosaic}, {27.5, kMetal, kMirror},
    {28.0, kHall, kSmear},  {28.5, kTunnel, kMosaic}, {29.0, kBoxes, kMirror}, {29.5, kMetal, kSmear},
    {30.0, kHall, kMosaic}, {30.5, kTunnel, kMirror}, {31.0, kBoxes, kSmear},  {31.5, kMetal, kMosaic},
};

// The pulsing mirror is 0.6 + 0.4 sin(2 pi t): 0.6 at every half pattern,
// 1 a quarter pattern after a whole one, 0.2 three quarters after.
const char* pulseAt(double t)
{
    double frac = t - (int)t;
    return frac == 0.25 ? "1" : frac == 0.75 ? "0.2" : "0.6";
}

std::string expectedRow(const HalfRow& row, double t)
{
    char scene[64], effects[160];
    std::snprintf(scene, sizeof scene, row.scene, t);
    if (row.effects == kMirror)
        std::snprintf(effects, sizeof effects, row.effects, pulseAt(t), t, t);
    else
        std::snprintf(effects, sizeof effects, row.effects, t, t);
    return std::string(scene) + " " + effects;
}

TEST_F(TimelineDispatch, EveryHalfPatternOfTheCycle)
{
    ASSERT_EQ(sizeof kCycle / sizeof kCycle[0], 20u);
    for (const HalfRow& row : kCycle) {
        EXPECT_EQ(frameAt(row.t), expectedRow(row, row.t)) << "half pattern starting at " << row.t;
        // The row holds through its half pattern.
        double later = row.t + 0.25;
        EXPECT_EQ(frameAt(later), expectedRow(row, later)) << "half pattern starting at " << row.t;
    }
}

TEST_F(TimelineDispatch, CycleStartAndPulsingMirrorPeak)
{
    EXPECT_EQ(frameAt(22.0), "hall(22,0x20000) smear(screen,5,1.5,22,0) flicker(22)");
    EXPECT_EQ(frameAt(23.25), "boxes(23.25) mirror(screen,1,1024) flicker(23.25) flicker(23.25)");
    EXPECT_EQ(frameAt(23.75), "metal(23.75) smear(screen,5,1.5,23.75,0) flicker(23.75)");
    EXPECT_EQ(frameAt(24.75), "tunnel(24.75) mirror(screen,0.2,1024) flicker(24.75) flicker(24.75)");
    EXPECT_EQ(frameAt(31.99), "metal(31.99) mosaic(0.5,1025) overlay(grid,1,2048) flicker(31.99)");
}

}  // namespace

namespace {

// The scene a frame's calls begin with, named as the rows name scenes.
std::string sceneOfCalls(const std::string& frame)
{
    static const std::pair<const char*, const char*> names[] = {
        {"silhouette(", "silhouette"}, {"swarm(", "cube swarm"},   {"boxes(", "breaking boxes"},
        {"hall(", "column hall"},      {"tunnel(", "slab tunnel"}, {"metal(", "metal model"},
    };
    for (const auto& n : names)
        if (frame.rfind(n.first, 0) == 0)
            return n.second;
    return "?";
}

}  // namespace

// The rows the help, the manual and the readout list are the ones the
// timeline draws by: every 1/64 pattern from 0 to 40 the named scene is the
// scene drawn, and each row begins exactly at its pattern.
TEST_F(TimelineDispatch, RowsNameTheSceneDrawnAtEveryMoment)
{
    ASSERT_EQ(timelineRowCount, 13);
    for (int k = 0; k <= 40 * 64; k++) {
        float t = k / 64.0f;
        ASSERT_EQ(sceneNameAt(t), sceneOfCalls(frameAt(t))) << "at pattern " << t;
    }
    EXPECT_EQ(timelineRows[0].from, 0.0f);
    for (int i = 1; i < timelineRowCount; i++) {
        float from = timelineRows[i].from;
        EXPECT_GT(from, timelineRows[i - 1].from) << i;
        EXPECT_EQ(timelineRowIndex(from), i) << from;
        EXPECT_EQ(timelineRowIndex(std::nextafter(from, 0.0f)), i - 1) << from;
    }
    EXPECT_EQ(timelineRowIndex(1000.0f), timelineRowCount - 1) << "the last row runs on";
    EXPECT_EQ(timelineRowIndex(NAN), timelineRowCount - 1) << "as the old chain of t < x tests did";
    EXPECT_STREQ(timelineRows[10].scene, "cycle");
    EXPECT_STREQ(sceneNameAt(22.0f), "column hall");
    EXPECT_STREQ(sceneNameAt(22.5f), "slab tunnel");
    EXPECT_STREQ(sceneNameAt(31.75f), "metal model");
}
