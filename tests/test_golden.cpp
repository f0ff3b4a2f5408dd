// Golden stills: whole 640 x 480 frames after the real start-up, one per
// scene and two of the full timeline (scene, effects and flicker with fixed
// band levels), compared pixel for pixel with committed PNGs under
// tests/golden. llvmpipe draws the same bytes for the same calls, so the
// tolerance only has to absorb what a different compiler build of our own
// code (optimised or sanitized) changes, and stays far below a wrong camera,
// blend, texture or brightness.
// ZANT_UPDATE_GOLDEN=1 rewrites them (scripts/update-golden.sh).
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "core/datapath.h"
#include "music/spectrum.h"
#include "platform/gl.h"
#include "scenes/scenes.h"
#include "scenes/timeline.h"
#include "tests/support/gl_fixture.h"
#include "tests/test_scenes_support.h"

namespace {

const int kW = 640, kH = 480;
// Repeated runs, any number of llvmpipe threads, Release, Debug and
// sanitized builds all give the same bytes on a machine with AVX. llvmpipe
// code made for a CPU without AVX rounds a few pixels differently: at most 10
// per frame past 2 in a channel (tests/golden/README.md has the figures).
// Fins 20% dimmer, a shifted camera or a piece turned away change hundreds
// to thousands.
const int kChannelTolerance = 2;
const int kMaxDifferentPixels = 16;

struct Difference {
    int largest = 0;  // largest channel difference anywhere
    int changed = 0;  // pixels with any difference
    int beyond = 0;   // pixels differing by more than the tolerance
};

Difference compare(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    Difference d;
    for (size_t i = 0; i + 2 < a.size() && i + 2 < b.size(); i += 3) {
        int m = 0;
        for (int k = 0; k < 3; k++)
            m = std::max(m, std::abs((int)a[i + k] - (int)b[i + k]));
        d.largest = std::max(d.largest, m);
        d.changed += m > 0;
        d.beyond += m > kChannelTolerance;
    }
    return d;
}

// Decodes an 8-bit RGB PNG into rows bottom first; empty on any failure.
std::vector<uint8_t> decodePngRgb(FILE* f, int& w, int& h)
{
    std::vector<uint8_t> out;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return {};
    }
    png_init_io(png, f);
    png_read_png(png, info, PNG_TRANSFORM_STRIP_16 | PNG_TRANSFORM_STRIP_ALPHA | PNG_TRANSFORM_EXPAND, nullptr);
    w = (int)png_get_image_width(png, info);
    h = (int)png_get_image_height(png, info);
    if (png_get_color_type(png, info) == PNG_COLOR_TYPE_RGB) {
        png_bytepp rows = png_get_rows(png, info);
        out.resize((size_t)w * h * 3);
        for (int y = 0; y < h; y++)
            std::copy(rows[y], rows[y] + w * 3, &out[(size_t)(h - 1 - y) * w * 3]);
    }
    png_destroy_read_struct(&png, &info, nullptr);
    return out;
}

std::vector<uint8_t> readPngRgb(const std::string& path, int& w, int& h)
{
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return {};
    std::vector<uint8_t> out = decodePngRgb(f, w, h);
    std::fclose(f);
    return out;
}

// The stills depend on the default pictures and the embedded model: a
// fingerprint of each, kept beside the PNGs, tells a changed input from a
// changed scene.
const char* const kPictures[] = {"txtr1.jpg", "txtr2.jpg", "metal.jpg", "bg1.jpg", "bg2.jpg",
                                 "bg3.jpg",   "bg4.jpg",   "bg5.jpg",   "bg6.jpg", "gridi.jpg"};

std::string fingerprint(const std::string& path)
{
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return "missing";
    uint64_t hash = 1469598103934665603ull;
    long size = 0;
    for (int c; (c = std::fgetc(f)) != EOF; size++)
        hash = (hash ^ (uint64_t)c) * 1099511628211ull;
    std::fclose(f);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%ld %016llx", size, (unsigned long long)hash);
    return buf;
}

std::string modelFingerprint()
{
    uint64_t hash = 1469598103934665603ull;
    auto mix = [&hash](const void* data, size_t n) {
        for (size_t i = 0; i < n; i++)
            hash = (hash ^ ((const uint8_t*)data)[i]) * 1099511628211ull;
    };
    mix(modelmesh->positions, sizeof(float[4]) * modelmesh->vertexCount);
    for (int i = 0; i < modelmesh->faceCount; i++)
        mix(modelmesh->faces[i].v, sizeof modelmesh->faces[i].v);
    char buf[96];
    std::snprintf(buf, sizeof buf, "model %d %d %016llx\n", modelmesh->vertexCount, modelmesh->faceCount,
                  (unsigned long long)hash);
    return buf;
}

std::string inputFingerprints()
{
    std::string out;
    for (const char* p : kPictures)
        out += std::string(p) + " " + fingerprint(dataPath(p)) + "\n";
    return out + modelFingerprint();
}

std::string fingerprintPath()
{
    return std::string(ZANT_SOURCE_DIR) + "/tests/golden/inputs.txt";
}

std::string readText(const std::string& path)
{
    std::string out;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return out;
    for (int c; (c = std::fgetc(f)) != EOF;)
        out += (char)c;
    std::fclose(f);
    return out;
}

std::string goldenPath(const char* name)
{
    return std::string(ZANT_SOURCE_DIR) + "/tests/golden/" + name + ".png";
}

// Where a failing run leaves its picture, and where pictures are looked at.
std::string actualPath(const char* name)
{
    const std::string dir = std::string(ZANT_BINARY_DIR) + "/golden-actual";
    mkdir(dir.c_str(), 0755);
    return dir + "/" + name + ".png";
}

void checkGolden(const char* name)
{
    glFinish();
    const auto actual = readPixelsRgb(0, 0, kW, kH);
    ASSERT_FALSE(allBlack(actual)) << name << " drew nothing";
    if (std::getenv("ZANT_UPDATE_GOLDEN")) {
        ASSERT_TRUE(writePngRgb(goldenPath(name).c_str(), actual, kW, kH)) << goldenPath(name);
        std::printf("updated %s\n", goldenPath(name).c_str());
        return;
    }
    if (std::getenv("ZANT_GOLDEN_KEEP"))
        writePngRgb(actualPath(name).c_str(), actual, kW, kH);
    int w = 0, h = 0;
    const auto expected = readPngRgb(goldenPath(name), w, h);
    ASSERT_FALSE(expected.empty()) << "cannot read " << goldenPath(name) << " (scripts/update-golden.sh makes it)";
    ASSERT_EQ(w, kW);
    ASSERT_EQ(h, kH);
    const Difference d = compare(actual, expected);
    std::printf("%s: largest channel difference %d, %d pixels changed, %d beyond %d\n", name, d.largest, d.changed,
                d.beyond, kChannelTolerance);
    if (d.beyond > kMaxDifferentPixels)
        writePngRgb(actualPath(name).c_str(), actual, kW, kH);
    EXPECT_LE(d.beyond, kMaxDifferentPixels)
        << name << ": " << d.beyond << " of " << kW * kH << " pixels differ by more than " << kChannelTolerance
        << " (largest difference " << d.largest << "); this run's picture is in golden-actual/ of the build folder";
}

// The timeline at a fixed song time, hearing fixed band levels: a bass of
// 1.5 (the smear's spread) and 2.0 on the flicker band, a clap.
double fixedTime = 0.0;
double fixedSongTime()
{
    return fixedTime;
}

void drawTimelineFrame(double t)
{
    float spectrum[512] = {};
    for (int bin = 0; bin < 16; bin++)
        spectrum[bin] = 1.5f / 16.0f;
    for (int bin = 64; bin < 128; bin++)
        spectrum[bin] = 2.0f / 64.0f;
    setSpectrumOverride(spectrum);
    TimelineOps ops = realTimelineOps;
    ops.songTime = fixedSongTime;
    fixedTime = t;
    timelineOps = &ops;
    runTimeline();
    timelineOps = &realTimelineOps;
    setSpectrumOverride(nullptr);
}

class Golden : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        std::string reason;
        ASSERT_TRUE(startShowHeadless(reason)) << reason;
    }
};

TEST_F(Golden, MadeFromTheseInputs)
{
    const std::string now = inputFingerprints();
    if (std::getenv("ZANT_UPDATE_GOLDEN")) {
        FILE* f = std::fopen(fingerprintPath().c_str(), "wb");
        ASSERT_NE(f, nullptr) << fingerprintPath();
        std::fputs(now.c_str(), f);
        std::fclose(f);
        return;
    }
    EXPECT_EQ(now, readText(fingerprintPath()))
        << "the pictures in " << dataDir << " or the embedded model are not the ones the golden stills "
        << "were made from: if tools/picturegen or the model changed on purpose, remake the stills "
        << "(scripts/update-golden.sh)";
}

// One process, the scenes in show order, then the timeline frames, so every
// random table is filled from the same generator state on every run.
TEST_F(Golden, StillsInShowOrder)
{
    {
        SCOPED_TRACE("silhouette");
        drawSilhouetteScene(3.0f);
        checkGolden("silhouette_3.0");
    }
    {
        SCOPED_TRACE("cube swarm");
        drawCubeSwarmScene(7.3f);
        checkGolden("cube_swarm_7.3");
    }
    {
        SCOPED_TRACE("breaking boxes");
        drawBreakingBoxesScene(10.45f);
        checkGolden("breaking_boxes_10.45");
    }
    {
        SCOPED_TRACE("column hall");
        drawColumnHallScene(12.7f, DF_DRAW);
        checkGolden("column_hall_12.7");
    }
    {
        SCOPED_TRACE("slab tunnel");
        drawSlabTunnelScene(14.6f);
        checkGolden("slab_tunnel_14.6");
    }
    {
        SCOPED_TRACE("metal model");
        drawMetalModelScene(18.1f);
        checkGolden("metal_model_18.1");
    }
    {
        // Breaking boxes, mosaic glow, flicker and the grid darkened over it.
        SCOPED_TRACE("timeline 10.45");
        drawTimelineFrame(10.45);
        checkGolden("timeline_10.45");
    }
    {
        // The cycling section: breaking boxes, mirror and flicker twice.
        SCOPED_TRACE("timeline 23.25");
        drawTimelineFrame(23.25);
        checkGolden("timeline_23.25");
    }
}

}  // namespace
