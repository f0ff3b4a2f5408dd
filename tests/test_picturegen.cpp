// The default-picture generator: same bytes on every run, existing files
// kept unless forced, bad command lines refused, and each picture a colour
// JPEG of its size whose content fits the way the show uses it; likewise
// the icon it paints.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <jpeglib.h>  // after cstdio: it uses FILE and size_t
#include <png.h>
#include <string>
#include <vector>

#include "texture/jpeg.h"
#include "tests/support/folders.h"

namespace fs = std::filesystem;

namespace {

const std::string tool = std::string(ZANT_BINARY_DIR) + "/tools/picturegen/picturegen";

struct PictureSize {
    const char* name;
    int width, height;
};

const PictureSize pictures[] = {
    {"txtr1", 512, 512}, {"txtr2", 512, 512}, {"metal", 512, 512}, {"bg1", 800, 600}, {"bg2", 800, 600},
    {"bg3", 800, 600},   {"bg4", 800, 600},   {"bg5", 800, 600},   {"bg6", 800, 600}, {"gridi", 800, 600},
};

struct RunResult {
    int status = -1;
    std::string output;  // stdout and stderr together
};

RunResult runTool(const std::string& args)
{
    RunResult r;
    std::string cmd = "'" + tool + "' " + args + " 2>&1";
    FILE* p = popen(cmd.c_str(), "r");
    if (!p)
        return r;
    char buf[512];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0)
        r.output.append(buf, n);
    int raw = pclose(p);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return r;
}

std::string readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    // Channel sum at (x, y): 0..765. The show's alpha is 3 x this, clamped.
    int sum(int x, int y) const
    {
        const uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
        return p[0] + p[1] + p[2];
    }
    double meanSum(int x0, int y0, int x1, int y1) const
    {
        double total = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                total += sum(x, y);
        return total / (static_cast<double>(x1 - x0) * (y1 - y0));
    }
    double fraction(bool (*test)(int)) const
    {
        long hits = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                hits += test(sum(x, y));
        return static_cast<double>(hits) / (static_cast<double>(width) * height);
    }
};

// Through the program's own decoder, as the show loads it.
Picture loadPicture(const std::string& path)
{
    Picture pic;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        ADD_FAILURE() << "cannot open " << path;
        return pic;
    }
    JpegReport report{};
    uint8_t* data = decodeJpeg(f, pic.width, pic.height, 0, report);
    std::fclose(f);
    if (!data) {
        ADD_FAILURE() << path << ": " << report.reason;
        return pic;
    }
    EXPECT_EQ(report.warnings, 0) << path << ": " << report.warning;
    pic.rgb.assign(data, data + static_cast<size_t>(pic.width) * pic.height * 3);
    std::free(data);
    return pic;
}

// Generates just the named pictures into a fresh folder and loads one.
Picture generate(const std::string& dir, const std::string& name)
{
    RunResult r = runTool("'" + dir + "' " + name);
    EXPECT_EQ(r.status, 0) << r.output;
    return loadPicture(dir + "/" + name + ".jpg");
}

bool isBlack(int s)
{
    return s < 12;
}
bool isOpaque(int s)
{
    return s >= 85;
}

}  // namespace

TEST(PicturegenRun, WritesTheSameBytesOnEveryRun)
{
    ASSERT_TRUE(fs::exists(tool)) << tool << " is not built";
    std::string dir = freshTestFolder();
    ASSERT_EQ(runTool("'" + dir + "/a'").status, 0);
    ASSERT_EQ(runTool("'" + dir + "/b'").status, 0);
    for (const PictureSize& p : pictures) {
        std::string a = readBytes(dir + "/a/" + p.name + ".jpg");
        std::string b = readBytes(dir + "/b/" + p.name + ".jpg");
        EXPECT_GT(a.size(), 1000u) << p.name;
        EXPECT_TRUE(a == b) << p.name << " differs between two runs";
    }
    // Ten pictures and nothing else: no temporary files left behind.
    int files = 0;
    for (const auto& e : fs::directory_iterator(dir + "/a")) {
        EXPECT_EQ(e.path().extension(), ".jpg") << e.path();
        ++files;
    }
    EXPECT_EQ(files, 10);
    fs::remove_all(dir);
}

TEST(PicturegenRun, EveryPictureIsAColourJpegOfItsSize)
{
    std::string dir = freshTestFolder();
    RunResult r = runTool("'" + dir + "'");
    ASSERT_EQ(r.status, 0) << r.output;
    for (const PictureSize& p : pictures) {
        std::string path = dir + "/" + p.name + ".jpg";
        // The loader takes three bytes per pixel, so the file itself must be
        // stored in colour, not merely decodable to it.
        FILE* f = std::fopen(path.c_str(), "rb");
        ASSERT_NE(f, nullptr) << path;
        jpeg_decompress_struct info;
        jpeg_error_mgr err;
        info.err = jpeg_std_error(&err);
        jpeg_create_decompress(&info);
        jpeg_stdio_src(&info, f);
        ASSERT_EQ(jpeg_read_header(&info, TRUE), JPEG_HEADER_OK) << path;
        EXPECT_EQ(info.num_components, 3) << p.name;
        EXPECT_EQ(info.jpeg_color_space, JCS_YCbCr) << p.name;
        jpeg_destroy_decompress(&info);
        std::fclose(f);

        Picture pic = loadPicture(path);
        EXPECT_EQ(pic.width, p.width) << p.name;
        EXPECT_EQ(pic.height, p.height) << p.name;
    }
    fs::remove_all(dir);
}

TEST(PicturegenRun, WritesOnlyTheNamedPictures)
{
    std::string dir = freshTestFolder();
    RunResult r = runTool("'" + dir + "/new/sub' bg6 gridi.jpg bg6");
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_TRUE(fs::exists(dir + "/new/sub/bg6.jpg"));
    EXPECT_TRUE(fs::exists(dir + "/new/sub/gridi.jpg"));
    int files = 0;
    for (const auto& e : fs::directory_iterator(dir + "/new/sub"))
        files += e.is_regular_file();
    EXPECT_EQ(files, 2);
    fs::remove_all(dir);
}

TEST(PicturegenOverwrite, KeepsExistingFilesUnlessForced)
{
    std::string dir = freshTestFolder();
    {
        std::ofstream mine(dir + "/bg1.jpg");
        mine << "mine";
    }
    // Named, and by default: refused before anything is written.
    RunResult r = runTool("'" + dir + "' gridi bg1");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.output.find("bg1.jpg already exists"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("--force"), std::string::npos) << r.output;
    r = runTool("'" + dir + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(readBytes(dir + "/bg1.jpg"), "mine");
    EXPECT_FALSE(fs::exists(dir + "/gridi.jpg"));

    // Forced, the user's file is replaced with the picture.
    r = runTool("--force '" + dir + "' bg1");
    ASSERT_EQ(r.status, 0) << r.output;
    Picture pic = loadPicture(dir + "/bg1.jpg");
    EXPECT_EQ(pic.width, 800);
    EXPECT_EQ(pic.height, 600);
    fs::remove_all(dir);
}

TEST(PicturegenBadInput, RefusesWithAMessage)
{
    std::string dir = freshTestFolder();
    RunResult r = runTool("");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.output.find("missing OUTDIR"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("usage:"), std::string::npos) << r.output;

    r = runTool("'" + dir + "/out' bg1 bg7");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.output.find("unknown picture 'bg7'"), std::string::npos) << r.output;
    EXPECT_FALSE(fs::exists(dir + "/out")) << "nothing is written on a bad command line";

    r = runTool("--quality=50 '" + dir + "'");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.output.find("unknown option '--quality=50'"), std::string::npos) << r.output;

    {
        std::ofstream file(dir + "/plainfile");
        file << "x";
    }
    r = runTool("'" + dir + "/plainfile' gridi");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.output.find("cannot use folder"), std::string::npos) << r.output;

    r = runTool("--help");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.output.find("txtr1 txtr2 metal bg1 bg2 bg3 bg4 bg5 bg6 gridi"), std::string::npos) << r.output;
    fs::remove_all(dir);
}

// The column repeats txtr1 four times each way: its opposite edges must meet
// the way the panel seams inside the tile meet (panels are 256 x 128).
TEST(PicturegenLooks, PanelTextureTilesSeamlessly)
{
    std::string dir = freshTestFolder();
    Picture pic = generate(dir, "txtr1");
    ASSERT_EQ(pic.width, 512);
    auto columnStep = [&](int x0, int x1) {
        double d = 0;
        for (int y = 0; y < pic.height; ++y)
            d += std::abs(pic.sum(x0, y) - pic.sum(x1, y));
        return d / pic.height;
    };
    auto rowStep = [&](int y0, int y1) {
        double d = 0;
        for (int x = 0; x < pic.width; ++x)
            d += std::abs(pic.sum(x, y0) - pic.sum(x, y1));
        return d / pic.width;
    };
    EXPECT_LT(columnStep(511, 0), 2 * columnStep(255, 256) + 3);
    double seams = std::max({rowStep(127, 128), rowStep(255, 256), rowStep(383, 384)});
    EXPECT_LT(rowStep(511, 0), 1.15 * seams + 3);
    // Lit plating, not a dark or flat field.
    double mean = pic.meanSum(0, 0, 512, 512);
    EXPECT_GT(mean, 120);
    EXPECT_LT(mean, 600);
    fs::remove_all(dir);
}

// Fins show the bottom row at the surface and the top row at the tip.
TEST(PicturegenLooks, GlowRampRisesFromBlackTipToBrightSurface)
{
    std::string dir = freshTestFolder();
    Picture pic = generate(dir, "txtr2");
    ASSERT_EQ(pic.height, 512);
    EXPECT_LT(pic.meanSum(0, 0, 512, 4), 10);
    EXPECT_GT(pic.meanSum(0, 500, 512, 512), 400);
    double previous = -1;
    for (int y = 64; y < 512; y += 64) {
        double m = pic.meanSum(0, y, 512, y + 16);
        EXPECT_GT(m, previous) << "row " << y;
        previous = m;
    }
    // Streaks: the brightness varies strongly along a row in the middle.
    double mean = pic.meanSum(0, 380, 512, 381), var = 0;
    for (int x = 0; x < 512; ++x)
        var += (pic.sum(x, 380) - mean) * (pic.sum(x, 380) - mean);
    EXPECT_GT(std::sqrt(var / 512), 0.25 * mean);
    fs::remove_all(dir);
}

// Sphere mapping looks rows up with t growing with the reflection's upward
// part, and row 0 is the top of the file: the sky belongs in the lower half.
TEST(PicturegenLooks, SphereMapIsADiscWithTheSkyBelow)
{
    std::string dir = freshTestFolder();
    Picture pic = generate(dir, "metal");
    ASSERT_EQ(pic.width, 512);
    EXPECT_LT(pic.meanSum(0, 0, 40, 40), 6);
    EXPECT_LT(pic.meanSum(472, 0, 512, 40), 6);
    EXPECT_LT(pic.meanSum(0, 472, 40, 512), 6);
    EXPECT_LT(pic.meanSum(472, 472, 512, 512), 6);
    double below = pic.meanSum(156, 300, 356, 420);  // reflections pointing up
    double above = pic.meanSum(156, 92, 356, 212);   // reflections pointing down
    EXPECT_GT(below, 150);
    EXPECT_GT(below, 2 * above);
    fs::remove_all(dir);
}

// Multiplied over the tunnel: bright middle, dark edges.
TEST(PicturegenLooks, LightWellIsBrightInTheMiddleAndDarkAtTheEdges)
{
    std::string dir = freshTestFolder();
    Picture pic = generate(dir, "bg1");
    ASSERT_EQ(pic.width, 800);
    EXPECT_GT(pic.meanSum(360, 240, 560, 340), 500);
    EXPECT_LT(pic.meanSum(0, 75, 40, 525), 100);
    EXPECT_LT(pic.meanSum(760, 75, 800, 525), 100);
    fs::remove_all(dir);
}

// Alpha-blended pictures: mostly pure black (transparent), with structure
// bright enough to be opaque.
TEST(PicturegenLooks, OverlaysAreBlackWithBrightStructure)
{
    std::string dir = freshTestFolder();
    for (const char* name : {"bg2", "bg4", "bg5", "bg6"}) {
        Picture pic = generate(dir, name);
        ASSERT_EQ(pic.width, 800) << name;
        EXPECT_GT(pic.fraction(isBlack), 0.55) << name;
        EXPECT_GT(pic.fraction(isOpaque), 0.004) << name;
    }
    fs::remove_all(dir);
}

// The overlay shows rows 1/8 to 7/8 only: the title and credits stay inside.
TEST(PicturegenLooks, TitleCardKeepsItsLetteringInTheShownBand)
{
    std::string dir = freshTestFolder();
    Picture pic = generate(dir, "bg6");
    ASSERT_EQ(pic.height, 600);
    int outside = 0;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
            if (y < 75 || y >= 525)
                outside = std::max(outside, pic.sum(x, y));
    EXPECT_LT(outside, 40);
    // The title: a wide run of opaque letters across the middle.
    int opaqueColumns = 0;
    for (int x = 0; x < 800; ++x) {
        bool hit = false;
        for (int y = 160; y < 300 && !hit; ++y)
            hit = pic.sum(x, y) > 300;
        opaqueColumns += hit;
    }
    EXPECT_GT(opaqueColumns, 300);
    fs::remove_all(dir);
}

// Darken: bright lines cut the frame, black leaves it; lines cross the
// whole picture.
TEST(PicturegenLooks, GridIsBrightLinesOnBlack)
{
    std::string dir = freshTestFolder();
    Picture pic = generate(dir, "gridi");
    ASSERT_EQ(pic.width, 800);
    EXPECT_GT(pic.fraction(isBlack), 0.6);
    int lineColumns = 0;
    for (int x = 0; x < 800; ++x)
        lineColumns += pic.meanSum(x, 0, x + 1, 600) > 350;
    EXPECT_GE(lineColumns, 8);
    int lineRows = 0;
    for (int y = 75; y < 525; ++y)
        lineRows += pic.meanSum(0, y, 800, y + 1) > 350;
    EXPECT_GE(lineRows, 8);
    fs::remove_all(dir);
}

// The opaque backdrop has a picture in it, not a flat wash.
TEST(PicturegenLooks, PlanetBackdropHasDetail)
{
    std::string dir = freshTestFolder();
    Picture pic = generate(dir, "bg3");
    ASSERT_EQ(pic.width, 800);
    double mean = pic.meanSum(0, 75, 800, 525), var = 0;
    for (int y = 75; y < 525; y += 3)
        for (int x = 0; x < 800; x += 3)
            var += (pic.sum(x, y) - mean) * (pic.sum(x, y) - mean);
    var /= (450 / 3) * (800 / 3);
    EXPECT_GT(mean, 40);
    EXPECT_GT(std::sqrt(var), 30);
    fs::remove_all(dir);
}

namespace {

struct Icon {
    int size = 0;
    bool storedWithAlpha = false;
    std::vector<uint8_t> rgba;
    const uint8_t* at(int x, int y) const { return &rgba[(static_cast<size_t>(y) * size + x) * 4]; }
    int sum(int x, int y) const { return at(x, y)[0] + at(x, y)[1] + at(x, y)[2]; }
};

Icon loadIcon(const std::string& path)
{
    Icon icon;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) {
        ADD_FAILURE() << path << ": " << image.message;
        return icon;
    }
    EXPECT_EQ(image.width, image.height) << path;
    icon.storedWithAlpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    image.format = PNG_FORMAT_RGBA;
    icon.rgba.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, icon.rgba.data(), 0, nullptr)) {
        ADD_FAILURE() << path << ": " << image.message;
        icon.rgba.clear();
        return icon;
    }
    icon.size = static_cast<int>(image.width);
    return icon;
}

}  // namespace

// The sizes installed (48, 256) and the smallest allowed: a rounded tile on
// a transparent ground with the bright, cold letter across its middle.
TEST(PicturegenIcon, IsAnRgbaTileWithABrightLetter)
{
    std::string dir = freshTestFolder();
    for (int size : {16, 48, 256}) {
        std::string path = dir + "/icon" + std::to_string(size) + ".png";
        RunResult r = runTool("--icon " + std::to_string(size) + " '" + path + "'");
        ASSERT_EQ(r.status, 0) << r.output;
        Icon icon = loadIcon(path);
        ASSERT_EQ(icon.size, size);
        EXPECT_TRUE(icon.storedWithAlpha) << size;
        int last = size - 1, mid = size / 2;
        for (auto [x, y] : {std::pair{0, 0}, {last, 0}, {0, last}, {last, last}})
            EXPECT_EQ(icon.at(x, y)[3], 0) << size << ": corner " << x << "," << y;
        EXPECT_EQ(icon.at(mid, mid)[3], 255) << size;
        // The middle lies on the letter's diagonal: bright and blue-white.
        EXPECT_GT(icon.sum(mid, mid), 450) << size;
        EXPECT_GT(icon.at(mid, mid)[2], icon.at(mid, mid)[0]) << size;
        // Above the letter, inside the tile: opaque and dark steel.
        int above = size * 40 / 256;
        EXPECT_EQ(icon.at(mid, above)[3], 255) << size;
        EXPECT_LT(icon.sum(mid, above), 250) << size;
    }
    fs::remove_all(dir);
}

TEST(PicturegenIcon, SameBytesEveryRunAndExistingFilesKept)
{
    std::string dir = freshTestFolder();
    ASSERT_EQ(runTool("--icon 256 '" + dir + "/a.png'").status, 0);
    ASSERT_EQ(runTool("--icon 256 '" + dir + "/b.png'").status, 0);
    EXPECT_TRUE(readBytes(dir + "/a.png") == readBytes(dir + "/b.png"));

    {
        std::ofstream mine(dir + "/mine.png");
        mine << "mine";
    }
    RunResult r = runTool("--icon 48 '" + dir + "/mine.png'");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.output.find("already exists"), std::string::npos) << r.output;
    EXPECT_EQ(readBytes(dir + "/mine.png"), "mine");
    r = runTool("--force --icon 48 '" + dir + "/mine.png'");
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(loadIcon(dir + "/mine.png").size, 48);

    // Nothing but the three icons: no temporary files left behind.
    int files = 0;
    for (const auto& e : fs::directory_iterator(dir))
        files += e.is_regular_file();
    EXPECT_EQ(files, 3);
    fs::remove_all(dir);
}

TEST(PicturegenIcon, RefusesBadRequests)
{
    std::string dir = freshTestFolder();
    for (const char* args : {"--icon 8", "--icon 2048", "--icon big", "--icon 48x48", "--icon"}) {
        RunResult r = runTool(std::string(args) + (std::string(args) == "--icon" ? "" : " '" + dir + "/x.png'"));
        EXPECT_EQ(r.status, 2) << args << ": " << r.output;
        EXPECT_NE(r.output.find("usage:"), std::string::npos) << args << ": " << r.output;
    }
    RunResult r = runTool("--icon 48");
    EXPECT_EQ(r.status, 2);
    r = runTool("--icon 48 '" + dir + "/x.png' '" + dir + "/y.png'");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.output.find("exactly one OUT.png"), std::string::npos) << r.output;
    EXPECT_TRUE(fs::is_empty(dir)) << "nothing is written on a bad command line";
    fs::remove_all(dir);
}
