// The show's frame while paused, from the default data: frames at one
// sample are the same picture, flicker noise and all; a step to a new sample
// draws that sample's noise, going on with the random sequence where the
// last frame left it, and then holds it.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/frameloop.h"
#include "app/keys.h"
#include "core/random.h"
#include "music/music.h"
#include "platform/events.h"
#include "tests/support/gl_fixture.h"
#include "tests/test_scenes_support.h"

namespace {

void type(const char* text)
{
    Event e{};
    e.type = EVENT_TEXT;
    std::strncpy(e.text, text, sizeof e.text - 1);
    windowProc(e);
}

class PausedFrame : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        std::string reason;
        ASSERT_TRUE(startShowHeadless(reason)) << reason;
        startMusicOffline((dataDir + "/tunemix.mp3").c_str(), 180.0f);
    }
    void TearDown() override
    {
        stopMusic();
        EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    }
};

struct Drawn {
    std::vector<uint8_t> pixels;
    uint64_t drawsBefore, drawsAfter;  // values taken from the start
};

Drawn frame()
{
    Drawn d;
    d.drawsBefore = rand15Draws;
    drawShowFrame();
    d.drawsAfter = rand15Draws;
    d.pixels = readPixelsRgb(0, 60, 640, 360);
    return d;
}

// In the cube swarm (pattern 7), whose flicker draws new noise every frame.
TEST_F(PausedFrame, AStepDrawsTheNewSamplesNoiseAndHoldsIt)
{
    setSongMillis(millisForPatterns(7.2));
    frame();  // playing, as the show is when p comes; the swarm fills its table
    type("p");
    ASSERT_TRUE(songPaused());
    const Drawn first = frame();
    const uint64_t perFrame = first.drawsAfter - first.drawsBefore;
    ASSERT_GT(perFrame, 0u) << "the flicker draws random values every frame";
    const Drawn again = frame();
    EXPECT_EQ(again.drawsAfter, first.drawsAfter) << "a paused frame draws the first one's values again";
    EXPECT_TRUE(again.pixels == first.pixels);

    type(".");
    const Drawn stepped = frame();
    EXPECT_GT(stepped.drawsAfter, first.drawsAfter) << "the step kept the old sample's noise";
    EXPECT_FALSE(stepped.pixels == first.pixels);
    const Drawn held = frame();
    EXPECT_EQ(held.drawsAfter, stepped.drawsAfter);
    EXPECT_TRUE(held.pixels == stepped.pixels) << "the new sample's picture holds still";

    type(",");
    const Drawn back = frame();
    EXPECT_GT(back.drawsAfter, stepped.drawsAfter) << "back at the first sample: the sequence goes on";
    type("p");
}

}  // namespace
