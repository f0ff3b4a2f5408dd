// Start-up asset preparation: the fixed order of textures and meshes, the
// random draws each step takes, loading frames, and a missing picture.
#include <gtest/gtest.h>
#include <cstdlib>

#include "app/display.h"
#include "core/frame.h"
#include "platform/window.h"
#include "render/caps.h"
#include "texture/assets.h"
#include "mesh/debris.h"
#include "platform/gl.h"
#include "tests/support/gl_fixture.h"
#include "tests/test_jpeg_support.h"
#include "mesh/meshes.h"
#include "texture/assets.h"
#include "texture/procedural.h"

static const char* const pictureFiles[10] = {"txtr1.jpg", "txtr2.jpg", "metal.jpg", "bg1.jpg", "bg2.jpg",
                                             "bg3.jpg",   "bg4.jpg",   "bg5.jpg",   "bg6.jpg", "gridi.jpg"};

class AssetsTest : public GlTest {
protected:
    std::string dir;
    void SetUp() override
    {
        GlTest::SetUp();
        dir = testFolder();
        dataDir = dir;
    }
    void TearDown() override { removeFolder(dir); }
    // txtr1 at 200 x 100 so its scale shows the padding; backgrounds 4:3.
    void writePictures(const char* skip = nullptr)
    {
        for (const char* name : pictureFiles) {
            if (skip && std::string(name) == skip)
                continue;
            std::string path = dir + "/" + name;
            if (std::string(name) == "txtr1.jpg")
                writeColourJpeg(path, 200, 100);
            else if (name[0] == 'b')
                writeColourJpeg(path, 320, 240);
            else
                writeColourJpeg(path, 64, 64);
        }
    }
};

class AssetsDeathTest : public AssetsTest {
protected:
    void SetUp() override
    {
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        setenv("ZANT_NO_DIALOGS", "1", 1);
        AssetsTest::SetUp();
    }
};

// Runs at exit in a dying child: what existed when the message was shown.
static void reportMadeAssets()
{
    std::fprintf(stderr, "draws=%llu noise=%d txtr1=%d bg1=%d bg2=%d bg3=%d screen=%d model=%d\n",
                 (unsigned long long)rand15Draws, noisetex != nullptr, txtr1tex != nullptr, bg1tex != nullptr,
                 bg2tex != nullptr, bg3tex != nullptr, screentex != nullptr, modelmesh != nullptr);
}

TEST(DataPath, JoinsTheDataFolderWithForwardSlashes)
{
    std::string saved = dataDir;
    dataDir = "data";
    EXPECT_EQ(dataPath("txtr1.jpg"), "data/txtr1.jpg");
    dataDir = "/srv/show/";
    EXPECT_EQ(dataPath("bg3.jpg"), "/srv/show/bg3.jpg");
    dataDir = "";
    EXPECT_EQ(dataPath("gridi.jpg"), "gridi.jpg");
    dataDir = saved;
}

// From a fresh generator: the window set-up takes 1360 values, the textures
// 65,536 + 2,097,152 more, and only the debris, last, draws after that.
TEST_F(AssetsTest, StartupBuildsEverythingInOrderWithExactRandomDraws)
{
    writePictures();
    rewindRandom();
    char err[256] = "";
    ASSERT_TRUE(initHeadlessDisplay(err, sizeof err)) << err;
    EXPECT_EQ(rand15Draws, 1360u);
    const int mosaic[4] = {32, 16, 8, 4};
    for (int i = 0; i < 4; i++) {
        ASSERT_NE(mosaictex[i], nullptr);
        EXPECT_EQ(mosaictex[i]->width, mosaic[i]);
        EXPECT_EQ(mosaictex[i]->flags, DF_CLAMP);
    }

    int frames = loadingFrameCalls;
    prepareTextures();
    EXPECT_EQ(rand15Draws, 1360u + 65536u + 2097152u);
    EXPECT_EQ(loadingFrameCalls - frames, 13) << "steps 1-11, 13, 14 each show a black frame";

    // Texture names are handed out in creation order.
    std::vector<const Texture*> order = {noisetex, txtr1tex, txtr2tex, metaltex, bg1tex, bg2tex,
                                         bg3tex,   bg4tex,   bg5tex,   bg6tex,   gridtex};
    for (int i = 0; i < noiseset->count; i++)
        order.push_back(&noiseset->textures[i]);
    order.push_back(screentex);
    order.push_back(screentex2);
    for (size_t i = 1; i < order.size(); i++)
        EXPECT_LT(order[i - 1]->name, order[i]->name) << "step order at " << i;

    EXPECT_EQ(noisetex->width, 256);
    EXPECT_EQ(noisetex->flags, 0);
    EXPECT_FLOAT_EQ(txtr1tex->scale.x, 4.0f * 200 / 256);
    EXPECT_FLOAT_EQ(txtr1tex->scale.y, 4.0f * 100 / 128);
    EXPECT_FLOAT_EQ(txtr1tex->scale.z, 4.0f);
    EXPECT_EQ(txtr1tex->flags, 0);
    EXPECT_EQ(txtr2tex->flags, DF_CLAMP);
    EXPECT_EQ(metaltex->flags, DF_SPHEREMAP);
    for (const Texture* bg : {bg1tex, bg2tex, bg3tex, bg4tex, bg5tex, bg6tex}) {
        EXPECT_EQ(bg->flags, DF_CLAMP);
        EXPECT_FLOAT_EQ(bg->scale.x, 0.625f);
        EXPECT_FLOAT_EQ(bg->scale.y, 0.9375f);
        expectFullMipChain(bg);
    }
    EXPECT_EQ(gridtex->flags, 0);
    EXPECT_EQ(noiseset->count, 6);
    EXPECT_EQ(screentex->flags, DF_CLAMP);
    EXPECT_NE(screentex, screentex2);

    uint64_t beforeMeshes = rand15Draws;
    frames = loadingFrameCalls;
    prepareMeshes();
    EXPECT_EQ(loadingFrameCalls, frames) << "mesh steps show no frames";
    EXPECT_NE(modelmesh, nullptr);
    EXPECT_NE(tubemesh, nullptr);
    EXPECT_NE(cubemesh, nullptr);
    EXPECT_EQ(debris.count, 200);
    EXPECT_EQ(rand15Draws - beforeMeshes, 350u) << "only the debris draws, 350 values";

    // The noise texture's first texel is the 1361st value, reduced mod 255.
    std::vector<uint8_t> first = texels(noisetex);
    rewindRandom();
    int value = 0;
    for (int i = 0; i < 1361; i++)
        value = rand15();
    EXPECT_EQ(first[0], value % 255);
}

TEST_F(AssetsDeathTest, MissingPictureStopsAtItsPlaceInTheOrder)
{
    writePictures("bg3.jpg");
    EXPECT_EXIT(
        {
            rewindRandom();
            char err[256];
            if (!initHeadlessDisplay(err, sizeof err))
                std::_Exit(3);
            std::atexit(reportMadeAssets);
            prepareAssets();
        },
        ::testing::ExitedWithCode(1),
        "zant: .*/bg3\\.jpg not found\n"
        "draws=66896 noise=1 txtr1=1 bg1=1 bg2=1 bg3=0 screen=0 model=0\n");
}

TEST_F(AssetsDeathTest, NoiseTextureIsMadeBeforeAnyPictureIsOpened)
{
    EXPECT_EXIT(
        {
            rewindRandom();
            char err[256];
            if (!initHeadlessDisplay(err, sizeof err))
                std::_Exit(3);
            std::atexit(reportMadeAssets);
            prepareAssets();
        },
        ::testing::ExitedWithCode(1),
        "zant: .*/txtr1\\.jpg not found\n"
        "draws=66896 noise=1 txtr1=0 bg1=0 bg2=0 bg3=0 screen=0 model=0\n");
}
