// Golden stills: one small picture per scene after the real start-up,
// compared with committed PNGs under tests/golden with a tolerance that
// survives rounding but not a wrong camera, blend or texture.
// ZANT_UPDATE_GOLDEN=1 rewrites them (scripts/update-golden.sh).
#include <gtest/gtest.h>
#include <png.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "platform/gl.h"
#include "scenes/scenes.h"
#include "core/datapath.h"
#include "tests/support/gl_fixture.h"
#include "tests/test_scenes_support.h"

namespace {

const int kScale = 4;  // the 640 x 360 band shrinks to 160 x 90
const int kW = 640 / kScale, kH = 360 / kScale;
const int kChannelTolerance = 24;
const double kMaxDifferentShare = 0.01;

// Box-filtered band, bottom row first like a GL readback.
std::vector<uint8_t> shrunkBand()
{
    glFinish();
    auto full = readPixelsRgb(0, 60, 640, 360);
    std::vector<uint8_t> small((size_t)kW * kH * 3);
    for (int y = 0; y < kH; y++)
        for (int x = 0; x < kW; x++)
            for (int c = 0; c < 3; c++) {
                int sum = 0;
                for (int dy = 0; dy < kScale; dy++)
                    for (int dx = 0; dx < kScale; dx++)
                        sum += full[((size_t)(y * kScale + dy) * 640 + x * kScale + dx) * 3 + c];
                small[((size_t)y * kW + x) * 3 + c] = (uint8_t)((sum + kScale * kScale / 2) / (kScale * kScale));
            }
    return small;
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

void checkGolden(const char* name)
{
    const auto actual = shrunkBand();
    if (std::getenv("ZANT_UPDATE_GOLDEN")) {
        ASSERT_TRUE(writePngRgb(goldenPath(name).c_str(), actual, kW, kH)) << goldenPath(name);
        std::printf("updated %s\n", goldenPath(name).c_str());
        return;
    }
    int w = 0, h = 0;
    const auto expected = readPngRgb(goldenPath(name), w, h);
    ASSERT_FALSE(expected.empty()) << "cannot read " << goldenPath(name)
                                   << " (scripts/update-golden.sh makes it)";
    ASSERT_EQ(w, kW);
    ASSERT_EQ(h, kH);
    const int different = countDifferent(actual, expected, kChannelTolerance);
    const int allowed = (int)(kMaxDifferentShare * kW * kH);
    if (different >= allowed) {
        const std::string dir = std::string(ZANT_BINARY_DIR) + "/golden-actual";
        mkdir(dir.c_str(), 0755);
        writePngRgb((dir + "/" + name + ".png").c_str(), actual, kW, kH);
    }
    EXPECT_LT(different, allowed) << name << ": " << different << " of " << kW * kH
                                  << " pixels differ by more than " << kChannelTolerance
                                  << "; this run's picture is in golden-actual/ of the build folder";
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
        << "(scripts/update-golden.sh); if only your data folder is old, remake it (picturegen --force)";
}

// One process, the scenes in show order, so every random table is filled
// from the same generator state on every run.
TEST_F(Golden, OneStillPerScene)
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
}

}  // namespace
