// Screenshots and depth-blurred stills: the bitmap layout byte by byte, the
// shared file names, failures that leave the show running, and the blur
// against a plain transcription of its loops.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include <dirent.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include "devtools/screenshot.h"
#include "platform/gl.h"
#include "tests/support/folders.h"
#include "tests/support/gl_fixture.h"

namespace {

const double threeQuartersPi = 2.356194490192345;

// The float depth nearest to where (1 - d)^0.4 = 0.3 (no float hits it).
float focalDepth()
{
    return (float)(1.0 - std::pow(0.3, 2.5));
}

double saturate(double v)
{
    return v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v);
}

int clampTo(int v, int low, int high)
{
    return v < low ? low : (v > high ? high : v);
}

// Every pixel, every channel, every offset, in that order, as written down.
void referenceBlur(const std::vector<uint8_t>& rgb, const std::vector<float>& depth, int w, int h,
                   std::vector<int32_t>& acc, std::vector<uint8_t>& out)
{
    acc.assign((size_t)w * h * 3, 0);
    for (int y = 0; y < h; y++) {
        for (int x = 0; x < w; x++) {
            double d = depth[(size_t)y * w + x];
            double s = saturate(2.0 * std::fabs(std::pow(1.0 - d, 0.4) - 0.3));
            float r = (float)(1.0 + 8.0 * s);
            float area = (float)((double)r * r * threeQuartersPi);
            int n = (int)r;
            for (int c = 0; c < 3; c++) {
                for (int dy = -(n + 1); dy <= n + 1; dy++) {
                    for (int dx = -(n + 1); dx <= n + 1; dx++) {
                        float weight = (float)saturate(r - std::sqrt((double)(dx * dx + dy * dy)));
                        int tx = clampTo(x + dx, 0, w - 1), ty = clampTo(y + dy, 0, h - 1);
                        int32_t& a = acc[((size_t)ty * w + tx) * 3 + c];
                        a = (int32_t)(rgb[((size_t)y * w + x) * 3 + c] * 65536.0 * weight / area + a);
                    }
                }
            }
        }
    }
    out.resize(acc.size());
    for (size_t i = 0; i < acc.size() / 3; i++)
        for (int c = 0; c < 3; c++)
            out[i * 3 + 2 - c] = (uint8_t)clampTo(acc[i * 3 + c] >> 16, 0, 255);
}

struct Frame {
    int w, h;
    std::vector<uint8_t> rgb;
    std::vector<float> depth;
};

// Random colours with black pixels and zero channels, random depths with
// runs of equal values, the focal depth and both planes.
Frame randomFrame(int w, int h, unsigned seed)
{
    std::mt19937 random(seed);
    Frame f{w, h, std::vector<uint8_t>((size_t)w * h * 3), std::vector<float>((size_t)w * h)};
    for (auto& v : f.rgb)
        v = random() % 4 == 0 ? 0 : (uint8_t)random();
    float run = 0.5f;
    for (auto& d : f.depth) {
        switch (random() % 8) {
        case 0: d = 0.0f; break;
        case 1: d = 1.0f; break;
        case 2: d = focalDepth(); break;
        case 3:
            run = (float)(random() % 1000) / 1000.0f;
            d = run;
            break;
        case 4: d = run; break;
        default: d = (float)std::ldexp((double)(random() & 0xFFFFFF), -24); break;
        }
    }
    return f;
}

void fastBlur(const Frame& f, std::vector<int32_t>& acc, std::vector<uint8_t>& out)
{
    acc.assign((size_t)f.w * f.h * 3, 12345);  // scratch: must not leak into the result
    out.assign(acc.size(), 0);
    depthBlur(f.rgb.data(), f.depth.data(), f.w, f.h, acc.data(), out.data());
}

TEST(DepthBlur, MatchesThePlainLoopsByteForByte)
{
    const int sizes[][2] = {{37, 23}, {1, 1}, {3, 50}, {64, 9}, {160, 120}};
    for (unsigned seed = 1; seed <= 3; seed++) {
        for (auto& size : sizes) {
            Frame f = randomFrame(size[0], size[1], seed);
            std::vector<int32_t> accRef, accFast;
            std::vector<uint8_t> outRef, outFast;
            referenceBlur(f.rgb, f.depth, f.w, f.h, accRef, outRef);
            fastBlur(f, accFast, outFast);
            ASSERT_EQ(accRef, accFast) << size[0] << "x" << size[1] << " seed " << seed;
            ASSERT_EQ(outRef, outFast) << size[0] << "x" << size[1] << " seed " << seed;
        }
    }
}

// In focus a pixel keeps only its own value over three quarters of pi.
TEST(DepthBlur, InFocusEachPixelIsItsValueOverThreeQuartersPi)
{
    const int w = 16, h = 16;
    Frame f{w, h, std::vector<uint8_t>(w * h * 3), std::vector<float>(w * h, focalDepth())};
    for (int i = 0; i < w * h * 3; i++)
        f.rgb[i] = (uint8_t)(i % 256);
    std::vector<int32_t> acc;
    std::vector<uint8_t> out;
    fastBlur(f, acc, out);
    for (int i = 0; i < w * h; i++)
        for (int c = 0; c < 3; c++)
            ASSERT_EQ(out[i * 3 + 2 - c], (int)(f.rgb[i * 3 + c] / threeQuartersPi))
                << "pixel " << i << " channel " << c;
}

TEST(DepthBlur, InFocusNothingSpillsOntoNeighbours)
{
    const int w = 9, h = 9;
    Frame f{w, h, std::vector<uint8_t>(w * h * 3, 0), std::vector<float>(w * h, focalDepth())};
    for (int c = 0; c < 3; c++)
        f.rgb[(4 * w + 4) * 3 + c] = 255;
    std::vector<int32_t> acc;
    std::vector<uint8_t> out;
    fastBlur(f, acc, out);
    for (int i = 0; i < w * h; i++)
        EXPECT_EQ(out[i * 3], i == 4 * w + 4 ? 108 : 0) << i;
}

// At the far plane the radius is 5.8: offsets at distance 5 still get a
// share, distance 6 gets none.
TEST(DepthBlur, FarPlaneSpreadsOverRadiusFivePointEight)
{
    const int w = 21, h = 21, cx = 10, cy = 10;
    Frame f{w, h, std::vector<uint8_t>(w * h * 3, 0), std::vector<float>(w * h, 1.0f)};
    f.rgb[(cy * w + cx) * 3 + 1] = 255;  // green only
    std::vector<int32_t> acc;
    std::vector<uint8_t> out;
    fastBlur(f, acc, out);
    const double area = (float)(5.8f * (double)5.8f * threeQuartersPi);
    EXPECT_EQ(out[(cy * w + cx) * 3 + 1], (int)(255 / area));
    EXPECT_GT(out[(cy * w + cx + 5) * 3 + 1], 0);
    EXPECT_GT(out[((cy + 5) * w + cx) * 3 + 1], 0);
    EXPECT_EQ(out[(cy * w + cx + 6) * 3 + 1], 0);
    EXPECT_EQ(out[((cy + 4) * w + cx + 4) * 3 + 1], 0) << "distance 5.66 keeps too small a share";
    for (int i = 0; i < w * h; i++) {
        EXPECT_EQ(out[i * 3], 0);
        EXPECT_EQ(out[i * 3 + 2], 0);
    }
}

std::vector<uint8_t> readFile(const char* path)
{
    std::vector<uint8_t> bytes;
    FILE* f = std::fopen(path, "rb");
    if (!f)
        return bytes;
    uint8_t buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(f);
    return bytes;
}

uint32_t le32(const std::vector<uint8_t>& b, size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | ((uint32_t)b[at + 3] << 24);
}

uint16_t le16(const std::vector<uint8_t>& b, size_t at)
{
    return (uint16_t)(b[at] | (b[at + 1] << 8));
}

bool exists(const char* path)
{
    struct stat st;
    return stat(path, &st) == 0;
}

// Each test saves into a folder of its own with both counters at 0.
class Screenshot : public GlTest {
protected:
    WorkingFolder working;
    std::string folder;
    void SetUp() override
    {
        GlTest::SetUp();
        working = enterTestFolder();
        folder = working.folder;
        if (HasFatalFailure())
            return;
        screenshotCounter = stillCounter = 0;
        glDisable(GL_SCISSOR_TEST);
    }
    void TearDown() override
    {
        EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
        leaveTestFolder(working);
        glDisable(GL_SCISSOR_TEST);
    }
};

void fillRect(int x, int y, int w, int h, uint8_t r, uint8_t g, uint8_t b)
{
    glEnable(GL_SCISSOR_TEST);
    glScissor(x, y, w, h);
    glClearColor(r / 255.0f, g / 255.0f, b / 255.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
}

TEST_F(Screenshot, BitmapHeaderFor640By480)
{
    fillRect(0, 0, 640, 480, 0, 0, 0);
    EXPECT_EQ(saveScreenshot(), "");
    auto b = readFile("vkt00000.bmp");
    ASSERT_EQ(b.size(), 921654u);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(le32(b, 2), 921654u) << "file size";
    EXPECT_EQ(le32(b, 6), 0u) << "reserved";
    EXPECT_EQ(le32(b, 10), 54u) << "pixel offset";
    EXPECT_EQ(le32(b, 14), 40u) << "info header size";
    EXPECT_EQ(le32(b, 18), 640u);
    EXPECT_EQ(le32(b, 22), 480u) << "positive height: bottom-up rows";
    EXPECT_EQ(le16(b, 26), 1u) << "planes";
    EXPECT_EQ(le16(b, 28), 24u) << "bits per pixel";
    EXPECT_EQ(le32(b, 30), 0u) << "no compression";
    EXPECT_EQ(le32(b, 34), 921600u) << "image size";
    for (size_t at = 38; at < 54; at += 4)
        EXPECT_EQ(le32(b, at), 0u) << at;
}

// Bottom row first, blue-green-red, no padding.
TEST_F(Screenshot, RowsBottomUpInBlueGreenRed)
{
    fillRect(0, 0, 640, 480, 0, 0, 255);
    fillRect(0, 0, 320, 1, 255, 0, 0);      // left half of the bottom row red
    fillRect(639, 479, 1, 1, 10, 200, 30);  // top-right pixel
    fillRect(1, 0, 1, 1, 1, 2, 3);
    saveScreenshot();
    auto b = readFile("vkt00000.bmp");
    ASSERT_EQ(b.size(), 921654u);
    const uint8_t* p = b.data() + 54;
    EXPECT_EQ((std::vector<uint8_t>{p[0], p[1], p[2]}), (std::vector<uint8_t>{0, 0, 255}));
    EXPECT_EQ((std::vector<uint8_t>{p[3], p[4], p[5]}), (std::vector<uint8_t>{3, 2, 1}));
    EXPECT_EQ((std::vector<uint8_t>{p[319 * 3], p[320 * 3], p[320 * 3 + 2]}), (std::vector<uint8_t>{0, 255, 0}));
    EXPECT_EQ(p[640 * 3], 255) << "second row starts right after the first: blue";
    EXPECT_EQ(p[640 * 3 + 2], 0);
    const uint8_t* last = b.data() + b.size() - 3;
    EXPECT_EQ((std::vector<uint8_t>{last[0], last[1], last[2]}), (std::vector<uint8_t>{30, 200, 10}));
}

TEST_F(Screenshot, NamesCountUpAndStillsHaveTheirOwnCounter)
{
    fillRect(0, 0, 640, 480, 255, 0, 0);
    saveScreenshot();
    fillRect(0, 0, 640, 480, 0, 255, 0);
    saveScreenshot();
    ASSERT_TRUE(exists("vkt00000.bmp"));
    ASSERT_TRUE(exists("vkt00001.bmp"));
    EXPECT_FALSE(exists("vkt00002.bmp"));
    EXPECT_EQ(readFile("vkt00000.bmp")[54 + 2], 255) << "first file red";
    EXPECT_EQ(readFile("vkt00001.bmp")[54 + 1], 255) << "second file green";
    EXPECT_EQ(screenshotCounter, 2);
    // The still's own counter starts at 0 but steps over the taken names.
    saveDepthBlurredStill();
    EXPECT_EQ(stillCounter, 3);
    EXPECT_TRUE(exists("vkt00002.bmp"));
    EXPECT_EQ(readFile("vkt00000.bmp")[54 + 2], 255) << "first screenshot kept";
    EXPECT_EQ(readFile("vkt00001.bmp")[54 + 1], 255) << "second screenshot kept";
}

TEST_F(Screenshot, PicturesOfAnEarlierRunAreNeverOverwritten)
{
    {
        FILE* f = std::fopen("vkt00000.bmp", "wb");
        ASSERT_NE(f, nullptr);
        std::fputs("keep", f);
        std::fclose(f);
    }
    fillRect(0, 0, 640, 480, 0, 0, 255);
    saveScreenshot();
    EXPECT_EQ(readFile("vkt00000.bmp").size(), 4u);
    EXPECT_EQ(readFile("vkt00001.bmp").size(), 921654u);
    EXPECT_EQ(screenshotCounter, 2);
}

TEST_F(Screenshot, UnwritableFileWarnsOnceAndKeepsTheName)
{
    // A working folder that has been removed: creating a file fails even for root.
    std::string gone = folder + "/gone";
    ASSERT_EQ(mkdir(gone.c_str(), 0700), 0);
    ASSERT_EQ(chdir(gone.c_str()), 0);
    ASSERT_EQ(rmdir(gone.c_str()), 0);
    fillRect(0, 0, 640, 480, 9, 9, 9);
    std::string shot = saveScreenshot();
    std::string still = saveDepthBlurredStill();
    EXPECT_EQ(shot.find("cannot create vkt00000.bmp ("), 0u) << shot;
    EXPECT_EQ(still.find("cannot create vkt00000.bmp ("), 0u) << still;
    EXPECT_EQ(screenshotCounter, 0);
    EXPECT_EQ(stillCounter, 0);
    ASSERT_EQ(chdir(folder.c_str()), 0);
    saveScreenshot();
    EXPECT_EQ(readFile("vkt00000.bmp").size(), 921654u);
}

int entriesIn(const char* folder)
{
    int n = 0;
    DIR* d = opendir(folder);
    while (dirent* e = d ? readdir(d) : nullptr)
        n += e->d_name[0] != '.' || (e->d_name[1] != '\0' && e->d_name[1] != '.');
    if (d)
        closedir(d);
    return n;
}

// A full disk (a file-size limit here) costs the picture and leaves no half
// bitmap under the name, nor a temporary file beside it.
TEST_F(Screenshot, FullDiskLeavesNoHalfPicture)
{
    fillRect(0, 0, 640, 480, 9, 9, 9);
    rlimit before;
    getrlimit(RLIMIT_FSIZE, &before);
    rlimit limit = before;
    limit.rlim_cur = 100000;
    auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &limit);
    std::string why = saveScreenshot();
    setrlimit(RLIMIT_FSIZE, &before);
    signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(why.find("could not write all of vkt00000.bmp"), 0u) << why;
    EXPECT_EQ(entriesIn("."), 0);
    EXPECT_EQ(screenshotCounter, 0);
    saveScreenshot();
    EXPECT_EQ(readFile("vkt00000.bmp").size(), 921654u);
    EXPECT_EQ(entriesIn("."), 1);
}

// The still reads raw depth whatever pixel transfer the caller left set.
TEST_F(Screenshot, StillAtTheFocalDepthIsTheFrameOverThreeQuartersPi)
{
    fillRect(0, 0, 640, 480, 200, 100, 50);
    glClearDepth(focalDepth());
    glClear(GL_DEPTH_BUFFER_BIT);
    glClearDepth(1.0);
    glPixelTransferf(GL_DEPTH_SCALE, 0.5f);
    glPixelTransferf(GL_DEPTH_BIAS, 0.25f);
    saveDepthBlurredStill();
    GLfloat scale = 0, bias = 0;
    glGetFloatv(GL_DEPTH_SCALE, &scale);
    glGetFloatv(GL_DEPTH_BIAS, &bias);
    EXPECT_EQ(scale, 0.5f) << "the caller's pixel transfer comes back";
    EXPECT_EQ(bias, 0.25f);
    glPixelTransferf(GL_DEPTH_SCALE, 1.0f);
    glPixelTransferf(GL_DEPTH_BIAS, 0.0f);
    auto b = readFile("vkt00000.bmp");
    ASSERT_EQ(b.size(), 921654u);
    const uint8_t expected[3] = {(uint8_t)(50 / threeQuartersPi), (uint8_t)(100 / threeQuartersPi),
                                 (uint8_t)(200 / threeQuartersPi)};
    int wrong = 0;
    for (size_t i = 54; i < b.size(); i++)
        wrong += b[i] != expected[(i - 54) % 3];
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(b[54 + 2], 84);
}

// Away from the focus the picture spreads: a white square at the far plane
// bleeds into the black around it, and the header is the same as ever.
TEST_F(Screenshot, StillBlursOutOfFocus)
{
    fillRect(0, 0, 640, 480, 0, 0, 0);
    fillRect(300, 200, 40, 40, 255, 255, 255);
    glClearDepth(1.0);
    glClear(GL_DEPTH_BUFFER_BIT);
    saveDepthBlurredStill();
    auto b = readFile("vkt00000.bmp");
    ASSERT_EQ(b.size(), 921654u);
    uint8_t header[54];
    makeBmpHeader(header, 640, 480);
    EXPECT_TRUE(std::equal(header, header + 54, b.begin()));
    auto at = [&](int x, int y) { return b[54 + ((size_t)y * 640 + x) * 3]; };
    EXPECT_GT(at(298, 220), 0) << "spill left of the square";
    EXPECT_EQ(at(290, 220), 0) << "beyond the radius";
    EXPECT_GT(at(320, 220), at(301, 220)) << "the middle keeps more than the rim";
}

}  // namespace
