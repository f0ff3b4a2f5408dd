// Frame names are built from the pattern's pieces, never through printf.
#include <gtest/gtest.h>

#include "app/framename.h"

TEST(FrameName, WidthsPaddingAndLiteralPercent)
{
    FramePattern p;
    std::string why;
    ASSERT_TRUE(parseFramePattern("out/%05d.png", p, why)) << why;
    EXPECT_EQ(frameName(p, 7), "out/00007.png");
    EXPECT_EQ(frameName(p, 123456), "out/123456.png");
    ASSERT_TRUE(parseFramePattern("f%3d.png", p, why)) << why;
    EXPECT_EQ(frameName(p, 5), "f  5.png");
    ASSERT_TRUE(parseFramePattern("100%%_%d%%.png", p, why)) << why;
    EXPECT_EQ(frameName(p, 12), "100%_12%.png");
}

TEST(FrameName, RefusesEverythingButOneIntegerConversion)
{
    FramePattern p;
    std::string why;
    for (const char* bad : {"f%s.png", "f%n.png", "f%d_%d.png", "f.png", "f%%.png", "f%x.png", "f%-5d.png", "f%10d.png",
                            "f%.3d.png", "f%ld.png", "f%"}) {
        EXPECT_FALSE(parseFramePattern(bad, p, why)) << bad;
        EXPECT_FALSE(why.empty()) << bad;
    }
}

// Widths up to 9 are promised, padded or not; 10 is one too many.
TEST(FrameName, WidthsUpToNineAndNoWider)
{
    FramePattern p;
    std::string why;
    ASSERT_TRUE(parseFramePattern("f%09d.png", p, why)) << why;
    EXPECT_EQ(frameName(p, 7), "f000000007.png");
    ASSERT_TRUE(parseFramePattern("f%9d.png", p, why)) << why;
    EXPECT_EQ(frameName(p, 7), "f        7.png");
    ASSERT_TRUE(parseFramePattern("f%01d.png", p, why)) << why;
    EXPECT_EQ(frameName(p, 7), "f7.png");
    for (const char* wide : {"f%010d.png", "f%10d.png", "f%099d.png"}) {
        why.clear();
        EXPECT_FALSE(parseFramePattern(wide, p, why)) << wide;
        EXPECT_NE(why.find("9"), std::string::npos) << wide << ": " << why;
    }
}
