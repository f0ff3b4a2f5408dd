// --size: what is accepted, where the picture lands and what ffmpeg is told.
#include <gtest/gtest.h>

#include <string>

#include "app/options.h"
#include "app/outsize.h"

static bool parse(const char* text, bool video, int* w = nullptr, int* h = nullptr, std::string* why = nullptr)
{
    int width = 0, height = 0;
    char err[256] = "";
    bool ok = parseOutputSize(text, video, &width, &height, err, sizeof err);
    if (w)
        *w = width;
    if (h)
        *h = height;
    if (why)
        *why = err;
    return ok;
}

TEST(OutputSize, CommonSizesAreRead)
{
    int w = 0, h = 0;
    EXPECT_TRUE(parse("1920x1080", true, &w, &h));
    EXPECT_EQ(w, 1920);
    EXPECT_EQ(h, 1080);
    EXPECT_TRUE(parse("3840X2160", true, &w, &h));
    EXPECT_EQ(w, 3840);
    EXPECT_TRUE(parse("640x480", true));
    EXPECT_TRUE(parse("7680x4320", true));
    EXPECT_TRUE(parse("1080x1920", true));  // portrait: bars above and below
}

TEST(OutputSize, BadSizesAreRefusedNamingTheOption)
{
    for (const char* bad : {"", "1920", "1920x", "x1080", "1920x1080x3", "1920*1080", "-1920x1080", "1920 x1080",
                            "1920x1080 ", "0x0", "1920x0", "320x240", "7682x4320", "7680x4322", "99999999999x1080"}) {
        std::string why;
        EXPECT_FALSE(parse(bad, false, nullptr, nullptr, &why)) << bad;
        EXPECT_NE(why.find("--size"), std::string::npos) << why;
    }
}

TEST(OutputSize, OddSidesOnlyForPictures)
{
    std::string why;
    EXPECT_FALSE(parse("1921x1080", true, nullptr, nullptr, &why));
    EXPECT_NE(why.find("even"), std::string::npos) << why;
    EXPECT_FALSE(parse("1920x1081", true));
    EXPECT_TRUE(parse("1921x1081", false));
}

TEST(OutputSize, PictureIsTheLargestCentredFourByThree)
{
    PictureRect r = fitPicture(1920, 1080, 2);
    EXPECT_EQ(r.x, 240);
    EXPECT_EQ(r.y, 0);
    EXPECT_EQ(r.width, 1440);
    EXPECT_EQ(r.height, 1080);
    r = fitPicture(3840, 2160, 2);
    EXPECT_EQ(r.x, 480);
    EXPECT_EQ(r.width, 2880);
    EXPECT_EQ(r.height, 2160);
    r = fitPicture(1080, 1920, 2);  // taller than 4:3
    EXPECT_EQ(r.x, 0);
    EXPECT_EQ(r.y, 555 - 555 % 2);
    EXPECT_EQ(r.width, 1080);
    EXPECT_EQ(r.height, 810);
    r = fitPicture(1440, 1080, 2);
    EXPECT_EQ(r.x, 0);
    EXPECT_EQ(r.width, 1440);
}

TEST(OutputSize, VideoEdgesStayOnEvenPixels)
{
    for (int w = 640; w <= 2000; w += 2)
        for (int h : {480, 600, 720, 768, 1080, 1200}) {
            PictureRect r = fitPicture(w, h, 2);
            ASSERT_EQ(r.x % 2 + r.y % 2 + r.width % 2 + r.height % 2, 0) << w << "x" << h;
            ASSERT_LE(r.x + r.width, w);
            ASSERT_LE(r.y + r.height, h);
            // Within a pixel pair of centred and of 4:3.
            ASSERT_LE(std::abs((w - r.width) - 2 * r.x), 3);
            ASSERT_LE(std::abs(r.width * 3 - r.height * 4), 12) << w << "x" << h;
        }
}

TEST(OutputSize, FilterFlipsScalesAndPads)
{
    EXPECT_EQ(outputFilter(640, 480, true), "vflip");
    EXPECT_EQ(outputFilter(1920, 1080, true),
              "vflip,scale=1440:1080:flags=lanczos:out_color_matrix=bt709:out_range=tv,format=yuv420p,"
              "pad=1920:1080:240:0:black");
    EXPECT_EQ(outputFilter(1921, 1080, false), "vflip,scale=1440:1080:flags=lanczos,pad=1921:1080:240:0:black");
}

static int parseArgs(std::vector<const char*> args, Options& o)
{
    args.insert(args.begin(), "zant");
    return parseOptions((int)args.size(), (char**)args.data(), o);
}

TEST(OutputSize, OptionsCheckTheSizeBeforeAnythingStarts)
{
    Options o;
    EXPECT_EQ(parseArgs({"--render", "x.mp4", "--size", "1920x1080"}, o), -1);
    EXPECT_EQ(o.outWidth, 1920);
    EXPECT_EQ(o.outHeight, 1080);
    Options defaults;
    EXPECT_EQ(parseArgs({"--render", "x.mp4"}, defaults), -1);
    EXPECT_EQ(defaults.outWidth, 640);
    EXPECT_EQ(defaults.outHeight, 480);
    Options odd;
    EXPECT_EQ(parseArgs({"--render", "x.mp4", "--size", "1919x1080"}, odd), 2);
    Options oddPng;
    EXPECT_EQ(parseArgs({"--render", "f/%05d.png", "--size", "1919x1080"}, oddPng), -1);
    Options still;
    EXPECT_EQ(parseArgs({"--still", "3", "--out", "a.png", "--size", "801x601"}, still), -1);
    Options window;
    EXPECT_EQ(parseArgs({"--size", "1920x1080"}, window), 2);
    Options huge;
    EXPECT_EQ(parseArgs({"--render", "x.mp4", "--size", "15360x8640"}, huge), 2);
}
