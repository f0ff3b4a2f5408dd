// JPEG decoding, the padded RGBA texture built from it, and every bad input
// the loader can meet ending with its own message and status 1.
#include <gtest/gtest.h>
#include <cmath>
#include <cstdlib>

#include "app/display.h"
#include "core/frame.h"
#include "platform/window.h"
#include "render/caps.h"
#include "texture/assets.h"
#include "render/vecmath.h"
#include "tests/support/gl_fixture.h"
#include "tests/test_jpeg_support.h"
#include "core/clamp.h"
#include "texture/jpeg.h"

class JpegTest : public GlTest {
protected:
    std::string dir;
    void SetUp() override
    {
        GlTest::SetUp();
        dir = testFolder();
    }
    void TearDown() override { removeFolder(dir); }
};

// Death tests re-run the test body in a fresh process so the child has no
// inherited GL threads; dialogs stay off so nothing waits for a click.
class JpegDeathTest : public JpegTest {
protected:
    void SetUp() override
    {
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        setenv("ZANT_NO_DIALOGS", "1", 1);
        JpegTest::SetUp();
    }
};

TEST(Clamp, ByteAndUnitRanges)
{
    EXPECT_EQ(clampByte(-3), 0);
    EXPECT_EQ(clampByte(0), 0);
    EXPECT_EQ(clampByte(128), 128);
    EXPECT_EQ(clampByte(255), 255);
    EXPECT_EQ(clampByte(300), 255);
    EXPECT_EQ(clampUnit(-0.5f), 0.0f);
    EXPECT_EQ(clampUnit(0.25f), 0.25f);
    EXPECT_EQ(clampUnit(1.0f), 1.0f);
    EXPECT_EQ(clampUnit(3.0f), 1.0f);
    EXPECT_EQ(clampUnit(std::nanf("")), 0.0f);
}

TEST_F(JpegTest, DecodesColourPictureTopRowFirst)
{
    writeColourJpeg(dir + "/c.jpg", 64, 48);
    int w = 0, h = 0;
    uint8_t* rgb = loadJpeg((dir + "/c.jpg").c_str(), w, h);
    ASSERT_NE(rgb, nullptr);
    EXPECT_EQ(w, 64);
    EXPECT_EQ(h, 48);
    std::vector<uint8_t> want = testPicture(64, 48);
    // Lossy and chroma-subsampled, so compare the middle of each flat panel:
    // a flipped or shifted picture would put the wrong colour there.
    const int probes[5][2] = {{2, 2}, {16, 12}, {48, 12}, {16, 36}, {48, 36}};
    for (const auto& p : probes) {
        size_t i = ((size_t)p[1] * 64 + p[0]) * 3;
        for (int c = 0; c < 3; c++)
            EXPECT_NEAR(rgb[i + c], want[i + c], 8) << "x " << p[0] << " y " << p[1] << " channel " << c;
    }
    free(rgb);
}

// The picture fills the top-left 640 x 480 texels exactly as decoded, with
// alpha from brightness; everything else is opaque white.
TEST_F(JpegTest, PictureIsPaddedToPowersOfTwoWithOpaqueWhite)
{
    std::string path = dir + "/bg.jpg";
    writeColourJpeg(path, 640, 480);
    int w = 0, h = 0;
    uint8_t* rgb = loadJpeg(path.c_str(), w, h);
    int frames = loadingFrameCalls;
    Texture* t = loadTexture(path.c_str(), makeColor4(2.0f, 4.0f, 7.0f), DF_CLAMP);
    EXPECT_EQ(loadingFrameCalls, frames + 1);
    EXPECT_EQ(t->width, 1024);
    EXPECT_EQ(t->height, 512);
    EXPECT_EQ(t->flags, DF_CLAMP);
    EXPECT_FLOAT_EQ(t->scale.x, 0.625f * 2.0f);
    EXPECT_FLOAT_EQ(t->scale.y, 0.9375f * 4.0f);
    EXPECT_FLOAT_EQ(t->scale.z, 7.0f);
    EXPECT_NE(t->name, 0u);

    std::vector<uint8_t> px = texels(t);
    ASSERT_EQ(px.size(), 1024u * 512 * 4);
    int wrongPicture = 0, wrongPadding = 0;
    for (int y = 0; y < 512; y++) {
        for (int x = 0; x < 1024; x++) {
            const uint8_t* p = &px[((size_t)y * 1024 + x) * 4];
            if (x < 640 && y < 480) {
                const uint8_t* s = &rgb[((size_t)y * 640 + x) * 3];
                int alpha = std::min(255, 3 * (s[0] + s[1] + s[2]));
                wrongPicture += p[0] != s[0] || p[1] != s[1] || p[2] != s[2] || p[3] != alpha;
            } else {
                wrongPadding += p[0] != 255 || p[1] != 255 || p[2] != 255 || p[3] != 255;
            }
        }
    }
    EXPECT_EQ(wrongPicture, 0);
    EXPECT_EQ(wrongPadding, 0);
    // The dark (8, 8, 8) corner is mostly see-through, the rest opaque.
    EXPECT_NEAR(px[(5 * 1024 + 5) * 4 + 3], 72, 12);
    EXPECT_EQ(px[(300 * 1024 + 500) * 4 + 3], 255);
    expectFullMipChain(t);
    free(rgb);
}

TEST_F(JpegTest, PowerOfTwoPictureKeepsTheCallersScale)
{
    std::string path = dir + "/sq.jpg";
    writeColourJpeg(path, 256, 256);
    Texture* t = loadTexture(path.c_str(), makeColor4(4.0f, 4.0f, 4.0f), 0);
    EXPECT_EQ(t->width, 256);
    EXPECT_EQ(t->height, 256);
    EXPECT_FLOAT_EQ(t->scale.x, 4.0f);
    EXPECT_FLOAT_EQ(t->scale.y, 4.0f);
    EXPECT_FLOAT_EQ(t->scale.z, 4.0f);
    expectFullMipChain(t);
}

// Channel sums 30, 0 and 90: alpha 90, 0 and 255 (270 clamped).
TEST_F(JpegTest, AlphaIsThreeTimesTheChannelSumClamped)
{
    std::vector<uint8_t> rgb(48 * 16 * 3);
    const uint8_t level[3] = {10, 0, 30};
    for (int y = 0; y < 16; y++)
        for (int x = 0; x < 48; x++)
            for (int c = 0; c < 3; c++)
                rgb[(y * 48 + x) * 3 + c] = level[x / 16];
    std::string path = dir + "/grey.jpg";
    writeJpeg(path, 48, 16, 3, JCS_RGB, rgb, 100);
    Texture* t = loadTexture(path.c_str(), makeColor4(1, 1, 1), 0);
    EXPECT_EQ(t->width, 64);
    EXPECT_EQ(t->height, 16);
    EXPECT_FLOAT_EQ(t->scale.x, 0.75f);
    EXPECT_FLOAT_EQ(t->scale.y, 1.0f);
    std::vector<uint8_t> px = texels(t);
    const int alpha[3] = {90, 0, 255};
    for (int block = 0; block < 3; block++) {
        const uint8_t* p = &px[(8 * 64 + block * 16 + 8) * 4];
        EXPECT_EQ(p[0], level[block]) << "block " << block;
        EXPECT_EQ(p[3], alpha[block]) << "block " << block;
    }
    EXPECT_EQ(px[(8 * 64 + 56) * 4 + 3], 255) << "padding";
    expectFullMipChain(t);
}

TEST_F(JpegTest, OddSizesGetTheirOwnPaddingAndChain)
{
    std::string path = dir + "/odd.jpg";
    writeColourJpeg(path, 3, 130);
    Texture* t = loadTexture(path.c_str(), makeColor4(1, 1, 1), 0);
    EXPECT_EQ(t->width, 4);
    EXPECT_EQ(t->height, 256);
    EXPECT_FLOAT_EQ(t->scale.x, 0.75f);
    EXPECT_FLOAT_EQ(t->scale.y, (float)(130.0 / 256.0));
    expectFullMipChain(t);
}

TEST_F(JpegTest, GreyscalePictureLoadsAsRgb)
{
    std::vector<uint8_t> grey(40 * 30);
    for (int i = 0; i < 40 * 30; i++)
        grey[i] = (uint8_t)(i % 40 < 20 ? 50 : 200);
    std::string path = dir + "/mono.jpg";
    writeJpeg(path, 40, 30, 1, JCS_GRAYSCALE, grey, 100);
    Texture* t = loadTexture(path.c_str(), makeColor4(1, 1, 1), 0);
    EXPECT_EQ(t->width, 64);
    EXPECT_EQ(t->height, 32);
    std::vector<uint8_t> px = texels(t);
    const uint8_t* dark = &px[(10 * 64 + 5) * 4];
    const uint8_t* light = &px[(10 * 64 + 35) * 4];
    EXPECT_NEAR(dark[0], 50, 2);
    EXPECT_TRUE(dark[0] == dark[1] && dark[1] == dark[2]);
    EXPECT_NEAR(light[0], 200, 2);
    EXPECT_TRUE(light[0] == light[1] && light[1] == light[2]);
    EXPECT_EQ(light[3], 255);
}

// Data cut off inside the picture: libjpeg warns and fills in the rest; the
// picture loads and the warning reaches stderr with the file name.
TEST_F(JpegTest, PictureCutShortInItsDataStillLoads)
{
    std::string full = dir + "/full.jpg", cut = dir + "/cut.jpg";
    writeColourJpeg(full, 320, 240);
    std::vector<uint8_t> bytes = readBytes(full);
    bytes.resize(bytes.size() / 2);
    writeBytes(cut, bytes);

    FILE* f = fopen(cut.c_str(), "rb");
    JpegReport report;
    int w = 0, h = 0;
    uint8_t* rgb = decodeJpeg(f, w, h, 0, report);
    fclose(f);
    ASSERT_NE(rgb, nullptr) << report.reason;
    EXPECT_EQ(w, 320);
    EXPECT_EQ(h, 240);
    EXPECT_GE(report.warnings, 1);
    EXPECT_STREQ(report.warning, "Premature end of JPEG file");
    free(rgb);

    ::testing::internal::CaptureStderr();
    Texture* t = loadTexture(cut.c_str(), makeColor4(1, 1, 1), 0);
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(t->width, 512);
    EXPECT_NE(err.find(cut + ": Premature end of JPEG file"), std::string::npos) << err;
}

// The decoder the fuzzer drives: refusals come back as a reason, never an exit.
TEST_F(JpegTest, DecoderReportsFailuresWithoutEndingTheProcess)
{
    std::string path = dir + "/big.jpg";
    writeColourJpeg(path, 200, 100);
    JpegReport report;
    int w = -1, h = -1;
    FILE* f = fopen(path.c_str(), "rb");
    EXPECT_EQ(decodeJpeg(f, w, h, 19999, report), nullptr);
    fclose(f);
    EXPECT_STREQ(report.reason, "picture is 200x100 pixels, more than the 19999 allowed");
    EXPECT_EQ(w, -1);

    const char junk[] = "GIF89a not a jpeg at all";
    f = fmemopen((void*)junk, sizeof junk, "rb");
    EXPECT_EQ(decodeJpeg(f, w, h, 0, report), nullptr);
    fclose(f);
    EXPECT_STREQ(report.reason, "Not a JPEG file: starts with 0x47 0x49");

    f = fopen(path.c_str(), "rb");
    uint8_t* rgb = decodeJpeg(f, w, h, 20000, report);
    fclose(f);
    ASSERT_NE(rgb, nullptr) << report.reason;
    EXPECT_EQ(report.reason[0], 0);
    EXPECT_EQ(report.warnings, 0);
    free(rgb);
}

TEST_F(JpegDeathTest, MissingFileNamesThePath)
{
    std::string path = dir + "/nothere.jpg";
    EXPECT_EXIT(loadTexture(path.c_str(), makeColor4(1, 1, 1), 0), ::testing::ExitedWithCode(1),
                "zant: .*/nothere\\.jpg not found\n");
}

TEST_F(JpegDeathTest, FolderInsteadOfFile)
{
    std::string path = dir + "/sub.jpg";
    mkdir(path.c_str(), 0755);
    EXPECT_EXIT(loadTexture(path.c_str(), makeColor4(1, 1, 1), 0), ::testing::ExitedWithCode(1),
                "zant: .*/sub\\.jpg is a folder, not a JPEG picture\n");
}

TEST_F(JpegDeathTest, ZeroByteFile)
{
    std::string path = dir + "/empty.jpg";
    writeBytes(path, {});
    EXPECT_EXIT(loadTexture(path.c_str(), makeColor4(1, 1, 1), 0), ::testing::ExitedWithCode(1),
                "zant: .*/empty\\.jpg: Empty input file\n");
}

TEST_F(JpegDeathTest, PngRenamedToJpeg)
{
    std::string path = dir + "/bg3.jpg";
    writeBytes(path, {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'});
    EXPECT_EXIT(loadTexture(path.c_str(), makeColor4(1, 1, 1), 0), ::testing::ExitedWithCode(1),
                "zant: .*/bg3\\.jpg: Not a JPEG file: starts with 0x89 0x50\n");
}

// Cut inside the header, before any picture data: nothing to show, fatal.
TEST_F(JpegDeathTest, FileCutShortInItsHeader)
{
    std::string full = dir + "/full.jpg", cut = dir + "/head.jpg";
    writeColourJpeg(full, 64, 64);
    std::vector<uint8_t> bytes = readBytes(full);
    bytes.resize(100);
    writeBytes(cut, bytes);
    EXPECT_EXIT(loadTexture(cut.c_str(), makeColor4(1, 1, 1), 0), ::testing::ExitedWithCode(1),
                "zant: .*/head\\.jpg: .* \\(the file is cut short\\)\n");
}

TEST_F(JpegDeathTest, CmykPictureIsRefused)
{
    std::vector<uint8_t> cmyk(16 * 16 * 4, 100);
    std::string path = dir + "/print.jpg";
    writeJpeg(path, 16, 16, 4, JCS_CMYK, cmyk);
    EXPECT_EXIT(loadTexture(path.c_str(), makeColor4(1, 1, 1), 0), ::testing::ExitedWithCode(1),
                "zant: .*/print\\.jpg: CMYK pictures are not supported \\(save it as RGB\\)\n");
}

TEST_F(JpegDeathTest, YcckPictureIsRefused)
{
    std::vector<uint8_t> cmyk(16 * 16 * 4, 100);
    std::string path = dir + "/ycck.jpg";
    writeJpeg(path, 16, 16, 4, JCS_CMYK, cmyk, 90, JCS_YCCK);
    EXPECT_EXIT(loadTexture(path.c_str(), makeColor4(1, 1, 1), 0), ::testing::ExitedWithCode(1),
                "zant: .*/ycck\\.jpg: CMYK pictures are not supported \\(save it as RGB\\)\n");
}

TEST_F(JpegDeathTest, SideOfOnePixelIsRefused)
{
    std::string path = dir + "/line.jpg";
    writeColourJpeg(path, 1, 50);
    EXPECT_EXIT(loadTexture(path.c_str(), makeColor4(1, 1, 1), 0), ::testing::ExitedWithCode(1),
                "zant: .*/line\\.jpg: picture is 1x50 pixels; each side must be 2 to 65536\n");
}

TEST_F(JpegDeathTest, TwoChannelPictureIsRefused)
{
    std::vector<uint8_t> two(16 * 16 * 2, 90);
    std::string path = dir + "/two.jpg";
    writeJpeg(path, 16, 16, 2, JCS_UNKNOWN, two);
    EXPECT_EXIT(loadTexture(path.c_str(), makeColor4(1, 1, 1), 0), ::testing::ExitedWithCode(1),
                "zant: .*/two\\.jpg: unsupported colour layout \\(2 channels; save it as RGB\\)\n");
}
