#include "tests/support/gl_fixture.h"

#include <png.h>
#include <cstdio>
#include <string>

#include "app/display.h"
#include "core/frame.h"
#include "platform/window.h"
#include "render/caps.h"
#include "render/state.h"
#include "texture/assets.h"
#include "platform/gl.h"

bool ensureHeadlessGl(std::string& err)
{
    static bool tried = false, ok = false;
    static std::string reason;
    if (!tried) {
        tried = true;
        char buf[256] = "";
        ok = createHeadlessContext(buf, sizeof buf);
        reason = buf;
        if (ok) {
            screenwidth = 640;
            screenheight = 480;
            texwidth = 1024;
            texheight = 512;
        }
    }
    err = reason;
    return ok;
}

void GlTest::SetUp()
{
    std::string err;
    ASSERT_TRUE(ensureHeadlessGl(err)) << "headless GL context: " << err;
    while (glGetError() != GL_NO_ERROR) { }
}

void SceneGlTest::SetUp()
{
    GlTest::SetUp();
    if (HasFatalFailure())
        return;
    if (clampmode == 0)
        clampmode = GL_CLAMP_TO_EDGE;
    applyRenderState(&blackPreset);
}

void SceneGlTest::TearDown()
{
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

std::vector<uint8_t> readPixelsRgb(int x, int y, int w, int h)
{
    std::vector<uint8_t> out((size_t)w * h * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(x, y, w, h, GL_RGB, GL_UNSIGNED_BYTE, out.data());
    return out;
}

uint32_t pixelAt(int x, int y)
{
    auto p = readPixelsRgb(x, y, 1, 1);
    return ((uint32_t)p[0] << 16) | ((uint32_t)p[1] << 8) | p[2];
}

bool writePngRgb(const char* path, const std::vector<uint8_t>& rgb, int w, int h)
{
    FILE* f = std::fopen(path, "wb");
    if (!f)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, w, h, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = h - 1; y >= 0; y--)
        png_write_row(png, (png_const_bytep)&rgb[(size_t)y * w * 3]);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return true;
}

std::string readText(const char* path)
{
    std::string text;
    FILE* f = std::fopen(path, "rb");
    if (!f)
        return text;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        text.append(buffer, n);
    std::fclose(f);
    return text;
}

std::vector<char> readFileBytes(const std::string& path)
{
    std::vector<char> bytes;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return bytes;
    std::fseek(f, 0, SEEK_END);
    bytes.resize((size_t)std::ftell(f));
    std::fseek(f, 0, SEEK_SET);
    if (std::fread(bytes.data(), 1, bytes.size(), f) != bytes.size())
        bytes.clear();
    std::fclose(f);
    return bytes;
}
