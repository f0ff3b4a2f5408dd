// The command line as a user meets it: the help's list of the show and its
// length, and the refusals, each with the "zant:" prefix.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/options.h"
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
