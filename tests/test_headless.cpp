// The headless runs (--still, --render) and the window share one start-up
// and one frame function: the start-up's steps and pauses in their order,
// and a GL error in a headless frame ending the run with a message and a
// failing status instead of a picture or a video presented as complete.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/display.h"
#include "app/headless.h"
#include "app/options.h"
#include "app/startup.h"
#include "core/datapath.h"
#include "core/errors.h"
#include "core/runstate.h"
#include "music/music.h"
#include "platform/gl.h"
#include "render/caps.h"
#include "scenes/timeline.h"

namespace {

std::vector<std::string> logged;
void keepLine(LogLevel level, const char* line)
{
    logged.push_back(std::string(level == LOG_ERROR ? "E " : "W ") + line);
}

bool loggedContaining(const std::string& text)
{
    for (const std::string& line : logged)
        if (line.find(text) != std::string::npos)
            return true;
    return false;
}

// A scene that leaves GL_INVALID_ENUM behind from its failingFrom'th call on.
int sceneCalls = 0;
int failingFrom = 0;
void failingScene(float t)
{
    realTimelineOps.silhouette(t);
    if (++sceneCalls > failingFrom)
        glEnable(0x1234);
}

struct Scratch {
    std::string dir;
    Scratch()
    {
        char name[] = "/tmp/zant-headless-XXXXXX";
        dir = mkdtemp(name);
    }
    ~Scratch() { std::system(("rm -rf '" + dir + "'").c_str()); }
    bool holds(const std::string& file) const
    {
        struct stat st;
        return stat((dir + "/" + file).c_str(), &st) == 0;
    }
};

class Headless : public ::testing::Test {
protected:
    TimelineOps ops = realTimelineOps;
    void SetUp() override
    {
        dataDir = std::string(ZANT_BINARY_DIR) + "/data";
        musicStarted = 0;  // a run's start-up begins before the music
        logged.clear();
        setLogSink(keepLine);
        sceneCalls = 0;
        ops.silhouette = failingScene;
    }
    void TearDown() override
    {
        timelineOps = &realTimelineOps;
        setLogSink(nullptr);
        stopMusic();  // the next run starts its own
    }
    // The silhouette scene runs from the song's start to pattern 6.
    void failFromCall(int n)
    {
        failingFrom = n;
        timelineOps = &ops;
    }
};

TEST(Startup, PausesOnlyAfterTheContextAndTheFirstBlackFrame)
{
    for (int p = STARTUP_OPEN_DISPLAY; p <= STARTUP_DONE; p++) {
        int expected = p == STARTUP_OPEN_DISPLAY ? 1000 : p == STARTUP_FIRST_FRAME ? 2000 : 0;
        EXPECT_EQ(startupPauseAfter((StartupPhase)p), expected) << "phase " << p;
    }
}

TEST(Startup, ADisplayThatCannotOpenStopsTheStartUpWithItsReason)
{
    Startup startup;
    bool soundtrack = false;
    startup.openDisplay = [](std::string& why) {
        why = "no context here";
        return false;
    };
    startup.startSoundtrack = [&soundtrack] { soundtrack = true; };
    EXPECT_EQ(startupStep(startup), STARTUP_FAILED);
    EXPECT_EQ(startup.failure, "no context here");
    EXPECT_EQ(startup.next, STARTUP_OPEN_DISPLAY) << "a failed step is not passed";
    EXPECT_FALSE(soundtrack);
}

// The capability check decides the clamp mode; it runs after the first
// texture's loading frame and before any other texture.
TEST_F(Headless, CapabilityCheckComesRightAfterTheFirstTexture)
{
    Startup startup;
    startup.openDisplay = openHeadlessDisplay;
    bool soundtrack = false;
    startup.startSoundtrack = [&soundtrack] { soundtrack = true; };
    clampmode = GL_CLAMP;
    int frames = loadingFrameCalls;
    ASSERT_EQ(startupStep(startup), 1000) << startup.failure;
    ASSERT_EQ(startupStep(startup), 0);
    EXPECT_EQ(loadingFrameCalls, frames + 1) << "the 32x32 mosaic texture shows one loading frame";
    EXPECT_EQ(clampmode, GL_CLAMP) << "checked too early";
    ASSERT_EQ(startup.next, STARTUP_CAPABILITIES);
    ASSERT_EQ(startupStep(startup), 0);
    EXPECT_EQ(clampmode, GL_CLAMP_TO_EDGE) << "llvmpipe is far past GL 1.2";
    EXPECT_EQ(loadingFrameCalls, frames + 1) << "the check itself shows no frame";
    int pause = 0;
    while ((pause = startupStep(startup)) >= 0)
        EXPECT_TRUE(pause == 0 || startup.next == STARTUP_MUSIC) << "pause " << pause;
    EXPECT_EQ(pause, STARTUP_FINISHED);
    EXPECT_TRUE(soundtrack);
    EXPECT_EQ(musicStarted, 1);
    EXPECT_EQ(startupStep(startup), STARTUP_FINISHED) << "a finished start-up stays finished";
}

TEST_F(Headless, AFrameReturnsTheGlErrorItLeft)
{
    ASSERT_TRUE(headlessStartup());
    EXPECT_EQ(drawFrameAtMillis(1000), 0u);
    failFromCall(0);
    EXPECT_EQ(drawFrameAtMillis(1000), 0x0500u);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR) << "the frame fetched the error";
    timelineOps = &realTimelineOps;
    EXPECT_EQ(drawFrameAtMillis(1000), 0u) << "one error is reported once";
}

TEST_F(Headless, StillWithAGlErrorFailsAndWritesNothing)
{
    Scratch scratch;
    Options options;
    options.stills = {0.5, 1.0};
    options.outs = {scratch.dir + "/a.png", scratch.dir + "/b.png"};
    failFromCall(1);  // the first still is drawn cleanly, the second is not
    EXPECT_EQ(runStills(options), 1);
    EXPECT_TRUE(scratch.holds("a.png"));
    EXPECT_FALSE(scratch.holds("b.png"));
    EXPECT_TRUE(loggedContaining("E the GL failed (GL_INVALID_ENUM) drawing song time 1.0000")) << logged.size();
}

TEST_F(Headless, RenderWithAGlErrorStopsThereAndSaysTheOutputIsIncomplete)
{
    Scratch scratch;
    Options options;
    options.renderOut = scratch.dir + "/%03d.png";
    options.fps = 10.0;
    options.fromPattern = 0.0;
    options.toPattern = 0.2;  // 1.07 s: 10 frames
    failFromCall(4);
    EXPECT_EQ(runVideo(options), 1);
    EXPECT_TRUE(scratch.holds("003.png"));
    EXPECT_FALSE(scratch.holds("004.png")) << "the failed frame is not written";
    EXPECT_FALSE(scratch.holds("009.png"));
    EXPECT_TRUE(
        loggedContaining("E the GL failed (GL_INVALID_ENUM) drawing frame 4; " + options.renderOut + " is incomplete"));
}

TEST_F(Headless, CleanRenderWritesEveryFrame)
{
    Scratch scratch;
    Options options;
    options.renderOut = scratch.dir + "/%03d.png";
    options.fps = 10.0;
    options.toPattern = 0.2;
    EXPECT_EQ(runVideo(options), 0);
    EXPECT_TRUE(scratch.holds("009.png"));
    EXPECT_FALSE(loggedContaining("E "));
}

}  // namespace
