// The six scenes after the real start-up from the default data: each draws
// a real picture inside the band, the state-free ones repeat exactly, and
// the random tables are filled on first frames from the generator state.
#include <gtest/gtest.h>

#include <vector>

#include "platform/gl.h"
#include "render/state.h"
#include "scenes/fins.h"
#include "scenes/scenes.h"
#include "tests/support/gl_fixture.h"
#include "tests/support/rand15_oracle.h"
#include "tests/test_scenes_support.h"
#include "texture/procedural.h"

namespace {

class Scenes : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        std::string reason;
        ASSERT_TRUE(startShowHeadless(reason)) << reason;
    }
    void TearDown() override { EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR); }
};

std::vector<uint8_t> band()
{
    return readPixelsRgb(0, 60, 640, 360);
}

// Mean of all channels over the band.
double meanLevel(const std::vector<uint8_t>& rgb)
{
    double sum = 0;
    for (uint8_t v : rgb)
        sum += v;
    return sum / (double)rgb.size();
}

void expectRealPicture(const char* name, float t)
{
    glFinish();
    auto inside = band();
    EXPECT_GE(distinctColours(inside), 64) << name << " at " << t << ": band is (nearly) one colour";
    EXPECT_GT(meanLevel(inside), 2.0) << name << " at " << t << ": band is nearly black";
    EXPECT_TRUE(allBlack(readPixelsRgb(0, 0, 640, 60))) << name << " at " << t << ": lower bar";
    EXPECT_TRUE(allBlack(readPixelsRgb(0, 420, 640, 60))) << name << " at " << t << ": upper bar";
}

TEST_F(Scenes, StartUpDrawsInTheDocumentedOrder)
{
    // Mosaic textures, noise texture, noise set, debris, then the grid fins
    // while the hall compiles.
    EXPECT_EQ(rand15Draws, 1360u + 65536u + 2097152u + 350u + 256u);
    EXPECT_EQ(gridCalls, 25);
    EXPECT_EQ(std::vector<int>(gridTable, gridTable + 256), rand15ValuesAfter(rand15Draws - 256, 256));
}

TEST_F(Scenes, HallBuildDrawsNothingAndCountsOnce)
{
    applyRenderState(nullptr);
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    const unsigned int oldList = halllist;
    drawColumnHallScene(12.0f, DF_BUILD);
    EXPECT_NE(halllist, oldList);
    EXPECT_EQ(pixelAt(320, 240), 0xFF0000u) << "build mode leaves the frame alone";
    EXPECT_EQ(vertexcount, 25 * 153);
    EXPECT_EQ(polygoncount, 25 * 256);
    drawColumnHallScene(12.0f, DF_DRAW);
    EXPECT_EQ(vertexcount, 0) << "replays of the list add nothing";
    EXPECT_EQ(polygoncount, 0);
}

TEST_F(Scenes, SilhouetteDrawsAndRepeats)
{
    for (float t : {1.0f, 3.5f, 6.25f, 33.0f, 36.5f}) {
        drawSilhouetteScene(t);
        expectRealPicture("silhouette", t);
        auto first = band();
        drawSlabTunnelScene(15.0f);
        drawSilhouetteScene(t);
        EXPECT_EQ(band(), first) << "silhouette at " << t;
    }
}

TEST_F(Scenes, SilhouetteCountsTheModelOnly)
{
    drawSilhouetteScene(4.0f);
    EXPECT_EQ(vertexcount, 6691);
    EXPECT_EQ(polygoncount, 13046);
}

TEST_F(Scenes, SilhouetteStartsFromBlack)
{
    drawSilhouetteScene(0.0f);
    EXPECT_TRUE(allBlack(band())) << "fade 0 and fins of length 0";
    drawSilhouetteScene(37.5f);
    // Only the last picture remains over a black scene.
    auto lastOnly = band();
    drawSilhouetteScene(38.0f);
    EXPECT_EQ(band(), lastOnly);
}

TEST_F(Scenes, CubeSwarmDraws)
{
    for (float t : {6.0f, 7.3f, 8.06f, 16.5f}) {
        drawCubeSwarmScene(t);
        expectRealPicture("cube swarm", t);
        EXPECT_EQ(vertexcount, 128 * 24);
    }
}

TEST_F(Scenes, BreakingBoxesDraw)
{
    for (float t : {10.1f, 10.45f, 11.3f, 23.2f}) {
        drawBreakingBoxesScene(t);
        expectRealPicture("breaking boxes", t);
        EXPECT_EQ(polygoncount, 200 * 4);
    }
}

TEST_F(Scenes, ColumnHallDraws)
{
    for (float t : {12.0f, 12.7f, 13.4f, 20.5f}) {
        drawColumnHallScene(t, DF_DRAW);
        expectRealPicture("column hall", t);
    }
}

TEST_F(Scenes, SlabTunnelDrawsAndRepeats)
{
    for (float t : {14.0f, 14.53f, 15.7f, 22.6f}) {
        drawSlabTunnelScene(t);
        expectRealPicture("slab tunnel", t);
        EXPECT_EQ(vertexcount, 16 * 8 * 24);
        auto first = band();
        drawMetalModelScene(19.0f);
        drawSlabTunnelScene(t);
        EXPECT_EQ(band(), first) << "slab tunnel at " << t;
    }
}

TEST_F(Scenes, MetalModelDrawsAndRepeats)
{
    // Whole (p < 0.5), just shattered (p = 0.5), far into the shatter.
    for (float t : {18.0f, 18.0625f, 18.1f, 19.6f}) {
        drawMetalModelScene(t);
        expectRealPicture("metal model", t);
        auto first = band();
        drawSilhouetteScene(3.0f);
        drawMetalModelScene(t);
        EXPECT_EQ(band(), first) << "metal model at " << t;
    }
}

TEST_F(Scenes, MetalModelHalfPeriodBreaksTheModel)
{
    drawMetalModelScene(18.0f + 0.4f / 8.0f);
    auto whole = band();
    drawMetalModelScene(18.0f + 0.99f / 8.0f);
    auto broken = band();
    EXPECT_GT(countDifferent(whole, broken, 16), 640 * 360 / 50) << "the pieces fly apart";
}

TEST_F(Scenes, SwarmFillsItsTableThenTheFinTableOnItsFirstFrame)
{
    swarmCalls = 0;
    randomEdgeCalls = 0;
    const uint64_t before = rand15Draws;
    const std::vector<int> expected = rand15ValuesAfter(before, 512);
    drawCubeSwarmScene(6.0f);
    EXPECT_EQ(rand15Draws, before + 512);
    EXPECT_EQ(std::vector<int>(swarmTable, swarmTable + 256),
              std::vector<int>(expected.begin(), expected.begin() + 256));
    EXPECT_EQ(std::vector<int>(randomEdgeTable, randomEdgeTable + 256),
              std::vector<int>(expected.begin() + 256, expected.end()));
    drawCubeSwarmScene(6.1f);
    EXPECT_EQ(rand15Draws, before + 512) << "later frames draw nothing";
    EXPECT_EQ(swarmCalls, 2);
    EXPECT_EQ(randomEdgeCalls, 2 * 128);
}

TEST_F(Scenes, BoxesFillTheTwistTableOnTheirFirstFrame)
{
    twistCalls = 0;
    rand15();  // any earlier draw shifts the table
    const uint64_t before = rand15Draws;
    const std::vector<int> values = rand15ValuesAfter(before, 1024);
    drawBreakingBoxesScene(10.0f);
    EXPECT_EQ(rand15Draws, before + 1024);
    for (int i = 0; i < 1024; i++)
        ASSERT_EQ(twistTable[i], (float)(values[i] * (1.0 / 16384.0) - 1.0)) << "entry " << i;
    drawBreakingBoxesScene(10.5f);
    EXPECT_EQ(rand15Draws, before + 1024);
}

}  // namespace
