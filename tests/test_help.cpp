// The command line as a user meets it: the help's list of the show and its
// length, and the refusals, each with the "zant:" prefix.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/options.h"
#include "core/errors.h"
#include "scenes/timeline.h"

TEST(Help, ListsEveryRowWithItsPatternRange)
{
    std::string table = sceneTableText();
    EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), timelineRowCount + 1) << table;
    EXPECT_NE(table.find("\n  0-6     silhouette      smear (the intro)\n"), std::string::npos) << table;
    EXPECT_NE(table.find("\n  21-22   cube swarm      mirror, flicker\n"), std::string::npos) << table;
    EXPECT_NE(table.find("\n  22-32   cycle "), std::string::npos) << table;
    EXPECT_NE(table.find("\n  36-end  silhouette      smear (the outro)\n"), std::string::npos) << table;
    EXPECT_NE(table.find("5.33 s"), std::string::npos) << table;
}

TEST(Help, SongLengthInPatternsAndMinutes)
{
    EXPECT_EQ(songLengthText(202710), "38.01 patterns (3:22.7)");
    EXPECT_EQ(songLengthText(16000), "3.00 patterns (0:16.0)");
    EXPECT_EQ(songLengthText(59960), "11.24 patterns (1:00.0)") << "rounded up into the next minute";
    EXPECT_EQ(songLengthText(59940), "11.24 patterns (0:59.9)");
    EXPECT_EQ(songLengthText(0), "0.00 patterns (0:00.0)");
    EXPECT_EQ(songLengthText(-1), "") << "no song read";
}

namespace {

std::vector<std::string> logged;

void keepLine(LogLevel level, const char* line)
{
    logged.push_back(std::string(level == LOG_ERROR ? "zant: " : "zant: other: ") + line);
}

// The status and the one line logged for a command line.
int parseLogged(std::vector<const char*> args, Options& o)
{
    logged.clear();
    args.insert(args.begin(), "zant");
    setLogSink(keepLine);
    int status = parseOptions((int)args.size(), (char**)args.data(), o);
    setLogSink(nullptr);
    return status;
}

void expectRefused(std::vector<const char*> args, const std::string& text)
{
    Options o;
    EXPECT_EQ(parseLogged(args, o), 2) << text;
    ASSERT_EQ(logged.size(), 1u) << text;
    EXPECT_EQ(logged[0].rfind("zant: ", 0), 0u) << logged[0];
    EXPECT_NE(logged[0].find(text), std::string::npos) << logged[0];
}

void expectAccepted(std::vector<const char*> args)
{
    Options o;
    EXPECT_EQ(parseLogged(args, o), -1) << (logged.empty() ? "" : logged[0]);
    EXPECT_TRUE(logged.empty());
}

}  // namespace

TEST(Options, ParserErrorsCarryThePrefix)
{
    expectRefused({"--fulscreen"}, "The following argument was not expected: --fulscreen");
    expectRefused({"--scale", "two"}, "--scale");
    expectRefused({"--windowed", "--fullscreen"}, "--windowed and --fullscreen");
}

TEST(Options, ScaleFromOneToEight)
{
    expectRefused({"--scale", "0"}, "--scale 0: give a whole factor from 1 to 8");
    expectAccepted({"--scale", "1"});
    expectAccepted({"--scale", "8"});
    expectRefused({"--scale", "9"}, "--scale 9");
}

TEST(Options, CrfFromZeroToFiftyOneForVideosOnly)
{
    expectRefused({"--render", "a.mp4", "--crf", "-1"}, "--crf -1: give a quality from 0");
    expectAccepted({"--render", "a.mp4", "--crf", "0"});
    expectAccepted({"--render", "a.mkv", "--crf", "51"});
    expectRefused({"--render", "a.mp4", "--crf", "52"}, "--crf 52");
    expectRefused({"--render", "f/%05d.png", "--crf", "20"}, "--crf is for --render to a video");
    expectRefused({"--still", "3", "--out", "a.png", "--crf", "20"}, "--crf is for --render to a video");
    Options o;
    ASSERT_EQ(parseLogged({"--render", "a.mp4", "--crf", "28"}, o), -1);
    EXPECT_EQ(o.crf, 28);
    ASSERT_EQ(parseLogged({"--render", "a.mp4"}, o = Options{}), -1);
    EXPECT_EQ(o.crf, 18) << "the default";
}

TEST(Options, OverwriteIsForRender)
{
    expectRefused({"--overwrite"}, "--overwrite is for --render");
    expectRefused({"--still", "3", "--out", "a.png", "--overwrite"}, "--overwrite is for --render");
    Options o;
    ASSERT_EQ(parseLogged({"--render", "f/%05d.png", "--overwrite"}, o), -1);
    EXPECT_TRUE(o.overwrite);
}

TEST(Help, OptionLinesWithoutValidatorNoise)
{
    Options o;
    ::testing::internal::CaptureStdout();
    int status = parseLogged({"--help"}, o);
    std::string help = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(status, 0);
    EXPECT_EQ(help.find("Excludes"), std::string::npos) << help;
    EXPECT_EQ(help.find("INT in ["), std::string::npos) << help;
    EXPECT_NE(help.find("--scale N "), std::string::npos) << help;
    EXPECT_NE(help.find("--crf N "), std::string::npos) << help;
    EXPECT_NE(help.find("--overwrite "), std::string::npos) << help;
    EXPECT_NE(help.find("36-end  silhouette"), std::string::npos) << help;
}
