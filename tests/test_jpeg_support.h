// Test pictures in a per-test folder, and texel read-back helpers shared by
// the texture tests.
#pragma once
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/gl.h"
#include "tests/support/folders.h"
#include "tests/support/jpeg_writer.h"
#include "core/types.h"
#include "texture/procedural.h"

// A colour picture with flat panels, a dark corner and a diagonal ramp, so
// that a misplaced row or column shows in the texels and in a PNG dump.
inline std::vector<uint8_t> testPicture(int w, int h)
{
    std::vector<uint8_t> rgb((size_t)w * h * 3);
    for (int y = 0; y < h; y++) {
        for (int x = 0; x < w; x++) {
            uint8_t* p = &rgb[((size_t)y * w + x) * 3];
            bool left = x < w / 2, top = y < h / 2;
            p[0] = left ? 220 : 40;
            p[1] = top ? 180 : 60;
            p[2] = (uint8_t)((x + y) * 255 / (w + h));
            if (x < w / 8 && y < h / 8)
                p[0] = p[1] = p[2] = 8;
        }
    }
    return rgb;
}

inline void writeColourJpeg(const std::string& path, int w, int h)
{
    writeJpeg(path, w, h, 3, JCS_RGB, testPicture(w, h));
}

inline void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    if (!bytes.empty()) {
        ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
    }
    std::fclose(f);
}

inline std::vector<uint8_t> readBytes(const std::string& path)
{
    std::vector<uint8_t> out;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return out;
    int c;
    while ((c = std::fgetc(f)) != EOF)
        out.push_back((uint8_t)c);
    std::fclose(f);
    return out;
}

// Level `level` of a texture as RGBA rows, row t = 0 first.
inline std::vector<uint8_t> texels(const Texture* t, int level = 0)
{
    glBindTexture(GL_TEXTURE_2D, t->name);
    GLint w = 0, h = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &h);
    std::vector<uint8_t> out((size_t)w * h * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    if (!out.empty())
        glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, out.data());
    return out;
}

// Every level from w x h down to 1 x 1 exists at its halved size.
inline void expectFullMipChain(const Texture* t)
{
    glBindTexture(GL_TEXTURE_2D, t->name);
    int w = t->width, h = t->height, level = 0;
    for (;;) {
        GLint gw = 0, gh = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &gw);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &gh);
        EXPECT_EQ(gw, w) << "level " << level;
        EXPECT_EQ(gh, h) << "level " << level;
        if (w == 1 && h == 1)
            break;
        w = w > 1 ? w / 2 : 1;
        h = h > 1 ? h / 2 : 1;
        level++;
    }
}

// Back to the generator's start-up state.
inline void rewindRandom()
{
    rand15State = 1;
    rand15Draws = 0;
}
