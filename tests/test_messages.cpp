// The one message channel: the prefixes by level, and the render's progress
// line, which a terminal rewrites in place and which a message must not
// land on the end of.
#include <gtest/gtest.h>

#include <string>

#include "core/errors.h"

namespace {

std::string captured(void (*write)())
{
    ::testing::internal::CaptureStderr();
    write();
    return ::testing::internal::GetCapturedStderr();
}

TEST(Messages, OnePrefixPerLevel)
{
    EXPECT_EQ(captured([] { logMessage(LOG_ERROR, "no %s", "folder"); }), "zant: no folder\n");
    EXPECT_EQ(captured([] { logMessage(LOG_WARNING, "late"); }), "zant: warning: late\n");
    EXPECT_EQ(captured([] { warning("late %d", 2); }), "zant: warning: late 2\n");
    EXPECT_EQ(captured([] { logMessage(LOG_INFO, "wrote a.png"); }), "zant: info: wrote a.png\n");
}

TEST(Messages, ProgressOnATerminalRewritesOneLine)
{
    EXPECT_EQ(captured([] {
                  logProgress(true, "frame %d of 3", 1);
                  logProgress(true, "frame %d of 3", 2);
                  logProgress(false, "frame %d of 3", 3);
              }),
              "\rframe 1 of 3   \rframe 2 of 3   \rframe 3 of 3\n");
    // The line was closed: what follows starts at the margin.
    EXPECT_EQ(captured([] { logMessage(LOG_ERROR, "done"); }), "zant: done\n");
}

TEST(Messages, AMessageAfterAnOpenProgressLineStartsBelowIt)
{
    EXPECT_EQ(captured([] {
                  logProgress(true, "frame 5 of 9");
                  logMessage(LOG_ERROR, "ffmpeg could not write x.mp4");
                  logProgress(false, "frame 5 of 9");
              }),
              "\rframe 5 of 9   \nzant: ffmpeg could not write x.mp4\nframe 5 of 9\n");
}

TEST(Messages, ProgressElsewhereIsALineEach)
{
    EXPECT_EQ(captured([] {
                  logProgress(false, "frame 1 of 2");
                  logProgress(false, "frame 2 of 2");
              }),
              "frame 1 of 2\nframe 2 of 2\n");
}

}  // namespace
