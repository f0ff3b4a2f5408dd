// Reading frames back for video: the buffered way hands over every frame one
// frame late with exactly the bytes a plain glReadPixels gives, and
// ZANT_READBACK=plain turns it off.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "devtools/readback.h"
#include "platform/gl.h"
#include "tests/support/gl_fixture.h"

namespace {

const int W = 640, H = 480;

// A frame no other frame resembles: a clear colour and a few coloured
// quads that move with k.
void drawFrame(int k)
{
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glViewport(0, 0, W, H);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, W, 0, H, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor((k * 37 % 256) / 255.0f, (k * 91 % 256) / 255.0f, 0.5f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    for (int q = 0; q < 5; q++) {
        glColor3ub((uint8_t)(k * 13 + q * 50), (uint8_t)(200 - q * 30), (uint8_t)(k * 3 + q));
        float x = (float)((k * 41 + q * 97) % (W - 50)), y = (float)((k * 23 + q * 61) % (H - 40));
        glBegin(GL_QUADS);
        glVertex2f(x, y);
        glVertex2f(x + 50 + q, y);
        glVertex2f(x + 50 + q, y + 40);
        glVertex2f(x, y + 40 - q);
        glEnd();
    }
}

using Frames = std::vector<std::vector<uint8_t>>;

// The frames as the renderer collects them, in the order they come out.
Frames readThroughReadback(int count, bool* buffered)
{
    Frames out;
    std::vector<uint8_t> slot((size_t)W * H * 3);
    *buffered = readbackBegin(W, H);
    for (int k = 0; k < count; k++) {
        drawFrame(k);
        if (readbackPush(slot.data()))
            out.push_back(slot);
    }
    if (readbackDrain(slot.data()))
        out.push_back(slot);
    EXPECT_FALSE(readbackDrain(slot.data()));
    readbackEnd();
    return out;
}

Frames readPlainly(int count)
{
    Frames out;
    for (int k = 0; k < count; k++) {
        drawFrame(k);
        glFinish();
        out.push_back(readPixelsRgb(0, 0, W, H));
    }
    return out;
}

class Readback : public GlTest {
protected:
    void TearDown() override
    {
        unsetenv("ZANT_READBACK");
        EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    }
};

TEST_F(Readback, BufferedFramesAreThePlainFramesInOrder)
{
    const int count = 7;
    Frames want = readPlainly(count);
    for (int k = 1; k < count; k++)
        ASSERT_NE(want[k], want[k - 1]) << "test frames must differ";
    bool buffered = false;
    Frames got = readThroughReadback(count, &buffered);
    // Mesa (llvmpipe included) has pixel buffer objects; the buffered way
    // is the one under test here.
    EXPECT_TRUE(buffered);
    ASSERT_EQ(got.size(), (size_t)count);
    for (int k = 0; k < count; k++)
        EXPECT_TRUE(got[k] == want[k]) << "frame " << k;
}

TEST_F(Readback, PlainWayOnRequestGivesEachFrameAtOnce)
{
    setenv("ZANT_READBACK", "plain", 1);
    std::vector<uint8_t> slot((size_t)W * H * 3);
    EXPECT_FALSE(readbackBegin(W, H));
    for (int k = 0; k < 3; k++) {
        drawFrame(k);
        ASSERT_TRUE(readbackPush(slot.data()));
        glFinish();
        EXPECT_TRUE(slot == readPixelsRgb(0, 0, W, H)) << "frame " << k;
    }
    EXPECT_FALSE(readbackDrain(slot.data()));
    readbackEnd();
}

TEST_F(Readback, ASingleFrameComesOutOfTheDrain)
{
    bool buffered = false;
    Frames got = readThroughReadback(1, &buffered);
    Frames want = readPlainly(1);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_TRUE(got[0] == want[0]);
}

// A buffer the GL won't map (here: one already mapped) is a reason the run
// can't go on, given back to the caller rather than ending the process.
TEST_F(Readback, ABufferThatWontMapIsReportedNotFatal)
{
    unsetenv("ZANT_READBACK");
    std::vector<uint8_t> slot((size_t)W * H * 3);
    ASSERT_TRUE(readbackBegin(W, H)) << "llvmpipe has pixel buffers";
    EXPECT_STREQ(readbackFailure(), "");
    drawFrame(0);
    EXPECT_FALSE(readbackPush(slot.data()));
    std::vector<GLuint> mapped;
    for (GLuint name = 1; name < 64; name++) {
        if (!glIsBuffer(name))
            continue;
        glBindBuffer(GL_PIXEL_PACK_BUFFER, name);
        if (glMapBuffer(GL_PIXEL_PACK_BUFFER, GL_READ_ONLY))
            mapped.push_back(name);
    }
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    ASSERT_FALSE(mapped.empty());
    drawFrame(1);
    EXPECT_FALSE(readbackPush(slot.data())) << "no frame from a buffer that can't be read";
    EXPECT_NE(std::string(readbackFailure()).find("ZANT_READBACK=plain"), std::string::npos) << readbackFailure();
    for (GLuint name : mapped) {
        glBindBuffer(GL_PIXEL_PACK_BUFFER, name);
        glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
    }
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    while (glGetError() != GL_NO_ERROR) { }
    readbackEnd();
    readbackBegin(W, H);
    EXPECT_STREQ(readbackFailure(), "") << "a new reading starts clean";
    readbackEnd();
}

}  // namespace
