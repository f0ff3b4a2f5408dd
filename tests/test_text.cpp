// Outline text and the status overlay: glyph geometry and advances checked
// against the font file itself (read with FreeType), the text transform, the
// overlay's lines and the picture it leaves.
#include <gtest/gtest.h>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "app/keys.h"
#include "app/display.h"
#include "core/frame.h"
#include "platform/window.h"
#include "render/caps.h"
#include "texture/assets.h"
#include "devtools/text.h"
#include "platform/gl.h"
#include "render/state.h"
#include "render/camera.h"
#include "tests/support/folders.h"
#include "tests/support/gl_fixture.h"

namespace {

std::string overlayFontFile()
{
    FcPattern* pattern = FcNameParse((const FcChar8*)"Arial:black");
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcChar8* file = nullptr;
    std::string path;
    if (match && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch)
        path = (const char*)file;
    if (match)
        FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    return path;
}

// Unscaled metrics of one character, in ems.
struct EmMetrics {
    double advance, left, width, top;
};

EmMetrics fontMetrics(unsigned long character)
{
    static FT_Library library = nullptr;
    static FT_Face face = nullptr;
    if (!face) {
        FT_Init_FreeType(&library);
        FT_New_Face(library, overlayFontFile().c_str(), 0, &face);
    }
    EmMetrics m = {};
    if (!face || FT_Load_Char(face, character, FT_LOAD_NO_SCALE) != 0)
        return m;
    double em = face->units_per_EM;
    const FT_Glyph_Metrics& g = face->glyph->metrics;
    m.advance = g.horiAdvance / em;
    m.left = g.horiBearingX / em;
    m.width = g.width / em;
    m.top = g.horiBearingY / em;
    return m;
}

// Where white geometry lands on a cleared 640x480 frame in a pixel-exact
// orthographic set-up (depth -1000..1000). Display lists are looked at as
// pixels: feedback mode replays them wrongly on this Mesa.
struct Ink {
    int count = 0, other = 0;
    int minX = 9999, maxX = -1, minY = 9999, maxY = -1;
    void add(int x, int y)
    {
        count++;
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
    }
};

Ink inkOfDrawing(const std::function<void()>& draw)
{
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 640, 0, 480, -1000, 1000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glViewport(0, 0, 640, 480);
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glColor3f(1, 1, 1);
    draw();
    glPopAttrib();
    auto rgb = readPixelsRgb(0, 0, 640, 480);
    Ink ink;
    for (int y = 0; y < 480; y++)
        for (int x = 0; x < 640; x++)
            if (rgb[((size_t)y * 640 + x) * 3])
                ink.add(x, y);
    return ink;
}

void modelview(GLfloat m[16])
{
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
}

class OutlineText : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        static bool made = false;
        if (!made) {
            createOutlineFont();
            made = true;
        }
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }
    void TearDown() override { EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR); }
};

TEST_F(OutlineText, AdvancesAreTheFontsAdvancesInEms)
{
    ASSERT_NE(fontListBase, 0u);
    for (char c : std::string("HWil .")) {
        double expected = fontMetrics((unsigned char)c).advance;
        ASSERT_GT(expected, 0.1) << c;
        EXPECT_NEAR(glyphMetrics[(unsigned char)c].gmfCellIncX, expected, 1e-5) << c;
        // Each glyph list leaves the pen one advance further on.
        glLoadIdentity();
        glCallList(fontListBase + (unsigned char)c);
        GLfloat m[16];
        modelview(m);
        EXPECT_NEAR(m[12], expected, 1e-5) << c;
        EXPECT_EQ(m[13], 0.0f);
        EXPECT_EQ(m[14], 0.0f);
    }
}

// The outlines are thickened upward by 0.02 em (toward the black weight the
// overlay asks for); the baseline and the widths stay the font's.
const double emboldened = 0.02;

// 400 pixels to the em: pixel edges are within 1/400 em of the outline.
TEST_F(OutlineText, GlyphHasTheFontsOutline)
{
    Ink ink = inkOfDrawing([] {
        glTranslatef(100.0f, 40.0f, 0.0f);
        glScalef(400.0f, 400.0f, 400.0f);
        glCallList(fontListBase + 'H');
    });
    EmMetrics h = fontMetrics('H');
    EXPECT_NEAR(ink.minX, 100 + 400 * h.left, 1.0);
    EXPECT_NEAR(ink.maxX + 1, 100 + 400 * (h.left + h.width), 1.0);
    EXPECT_NEAR(ink.minY, 40, 1.0);
    EXPECT_NEAR(ink.maxY + 1, 40 + 400 * (h.top + emboldened), 1.0);
    // The crossbar leaves holes above and below it: no filled box.
    EXPECT_LT(ink.count, 0.8 * (ink.maxX - ink.minX + 1) * (ink.maxY - ink.minY + 1));
}

// Turned 60 degrees about y the glyph shows where it lies in depth: its one
// face at z -0.2 em lands 0.2 sin 60 em left of where a face at z 0 would
// (a front face or walls would reach that far right).
TEST_F(OutlineText, GlyphIsOneFaceAFifthOfAnEmBack)
{
    Ink ink = inkOfDrawing([] {
        glTranslatef(400.0f, 40.0f, 0.0f);
        glScalef(400.0f, 400.0f, 400.0f);
        glRotatef(60.0f, 0.0f, 1.0f, 0.0f);  // x becomes x cos 60 + z sin 60
        glCallList(fontListBase + 'H');
    });
    EmMetrics h = fontMetrics('H');
    const double back = 0.2 * std::sin(60.0 * 3.141592653589793 / 180.0);
    EXPECT_NEAR(ink.minX, 400 + 400 * (0.5 * h.left - back), 1.0);
    EXPECT_NEAR(ink.maxX + 1, 400 + 400 * (0.5 * (h.left + h.width) - back), 1.0);
    EXPECT_NEAR(ink.maxY + 1, 40 + 400 * (h.top + emboldened), 1.0);
}

TEST_F(OutlineText, TextIsCentredOnTheSumOfItsAdvances)
{
    EmMetrics h = fontMetrics('H'), i = fontMetrics('I');
    double width = 2 * h.advance + i.advance;
    EXPECT_NEAR(textWidth("HIH"), width, 1e-5);
    Ink ink = inkOfDrawing([] {
        glTranslatef(320.0f, 240.0f, 0.0f);
        glScalef(100.0f, 100.0f, 100.0f);
        drawText("HIH");
    });
    // Shifted right by 0.075 em per character and squeezed to 0.9 height.
    double start = 320.0 + 100.0 * (0.075 * 3 - 0.5 * width);
    EXPECT_NEAR(ink.minX, start + 100.0 * h.left, 1.0);
    EXPECT_NEAR(ink.maxX + 1, start + 100.0 * (h.advance + i.advance + h.left + h.width), 1.0);
    EXPECT_NEAR(ink.minY, 240.0, 1.0);
    EXPECT_NEAR(ink.maxY + 1, 240.0 + 90.0 * (h.top + emboldened), 1.0);
}

// drawText lifts the glyphs 0.1 em toward the eye: their faces lie at
// z -0.1, which turned 60 degrees about y moves them 0.1 sin 60 em left.
TEST_F(OutlineText, TextSitsATenthOfAnEmBehindTheOrigin)
{
    auto inkAt = [](float turn) {
        return inkOfDrawing([turn] {
            glTranslatef(400.0f, 240.0f, 0.0f);
            glScalef(100.0f, 100.0f, 100.0f);
            glRotatef(turn, 0.0f, 1.0f, 0.0f);
            drawText("HIH");
        });
    };
    Ink flat = inkAt(0.0f), turned = inkAt(60.0f);
    const double back = 100.0 * 0.1 * std::sin(60.0 * 3.141592653589793 / 180.0);
    EXPECT_NEAR(turned.minX, 400 + 0.5 * (flat.minX - 400) - back, 1.0);
    EXPECT_NEAR(turned.maxX + 1, 400 + 0.5 * (flat.maxX + 1 - 400) - back, 1.0);
}

TEST_F(OutlineText, EmptyStringDrawsNothingAndKeepsTheState)
{
    glTranslatef(3.0f, 4.0f, 5.0f);
    glListBase(77);
    GLfloat before[16], after[16];
    modelview(before);
    GLint depthBefore = 0, depthAfter = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthBefore);
    Ink ink = inkOfDrawing([] {
        glTranslatef(320.0f, 240.0f, 0.0f);
        glScalef(100.0f, 100.0f, 100.0f);
        drawText("");
    });
    EXPECT_EQ(ink.count, 0);
    glLoadIdentity();
    glTranslatef(3.0f, 4.0f, 5.0f);
    drawText("");
    modelview(after);
    for (int k = 0; k < 16; k++)
        EXPECT_EQ(before[k], after[k]) << k;
    GLint base = 0;
    glGetIntegerv(GL_LIST_BASE, &base);
    EXPECT_EQ(base, 77);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthAfter);
    EXPECT_EQ(depthBefore, depthAfter);
    EXPECT_EQ(textWidth(""), 0.0f);
    glListBase(0);
}

TEST_F(OutlineText, Glyph255HasNoOutlineAndNoAdvance)
{
    EXPECT_EQ(glyphMetrics[255].gmfCellIncX, 0.0f);
    EXPECT_EQ(textWidth("A\xff"), textWidth("A"));
    Ink ink = inkOfDrawing([] {
        glTranslatef(320.0f, 240.0f, 0.0f);
        glScalef(100.0f, 100.0f, 100.0f);
        drawText("\xff\xff");
    });
    EXPECT_EQ(ink.count, 0);
    glLoadIdentity();
    glCallList(fontListBase + 255);
    GLfloat m[16];
    modelview(m);
    EXPECT_EQ(m[12], 0.0f);
}

// Bytes above 127 are Windows-1252 text: 0x80 is the euro sign, 0xE9 an e
// with an acute accent.
TEST_F(OutlineText, HighBytesAreWindows1252Characters)
{
    EXPECT_NEAR(glyphMetrics[0x80].gmfCellIncX, fontMetrics(0x20AC).advance, 1e-5);
    EXPECT_NEAR(glyphMetrics[0xE9].gmfCellIncX, fontMetrics(0xE9).advance, 1e-5);
    Ink ink = inkOfDrawing([] {
        glTranslatef(100.0f, 40.0f, 0.0f);
        glScalef(400.0f, 400.0f, 400.0f);
        glCallList(fontListBase + 0xE9);
    });
    ASSERT_GT(ink.count, 0);
    EXPECT_GT(ink.maxY, 40 + 400 * (fontMetrics('e').top + emboldened) + 20) << "the accent rises above the e";
}

TEST_F(OutlineText, UnreadableFontLeavesTextBlankWithOneWarning)
{
    std::string junk = testFolder() + "/not_a_font.ttf";
    FILE* f = std::fopen(junk.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("this is no font", f);
    std::fclose(f);
    for (const std::string& path : {std::string("/nonexistent/zant-font.ttf"), junk}) {
        ::testing::internal::CaptureStderr();
        EXPECT_FALSE(createOutlineFontFrom(path.c_str()));
        std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_NE(err.find("warning"), std::string::npos) << err;
        EXPECT_NE(err.find(path), std::string::npos) << err;
        EXPECT_EQ(textWidth("HIH"), 0.0f);
        Ink ink = inkOfDrawing([] {
            glScalef(100.0f, 100.0f, 100.0f);
            drawText("HIH");
        });
        EXPECT_EQ(ink.count, 0) << path;
    }
    std::remove(junk.c_str());
    createOutlineFont();
    EXPECT_GT(textWidth("HIH"), 1.0f);
}

class StatusOverlay : public OutlineText {
protected:
    void TearDown() override
    {
        yrot = 0.0f;
        vertexcount = polygoncount = 0;
        OutlineText::TearDown();
    }
};

std::string contextLineA(const char* time, const char* fps)
{
    GLint r, g, b, a, d;
    glGetIntegerv(GL_RED_BITS, &r);
    glGetIntegerv(GL_GREEN_BITS, &g);
    glGetIntegerv(GL_BLUE_BITS, &b);
    glGetIntegerv(GL_ALPHA_BITS, &a);
    glGetIntegerv(GL_DEPTH_BITS, &d);
    char line[200];
    std::snprintf(line, sizeof line, "t:%s bpp:%d abits: %d zbits: %d fps: %s", time, r + g + b, a, d, fps);
    return line;
}

TEST_F(StatusOverlay, LinesFollowTheirFormats)
{
    yrot = -64.0f;
    vertexcount = 1234;
    polygoncount = 411;
    char lines[3][STATUS_LINE_SIZE];
    formatStatusLines(5.3f, 59.999, lines);
    EXPECT_EQ(std::string(lines[0]), contextLineA(" 5.30", "60.00"));
    EXPECT_EQ(std::string(lines[0]).substr(0, 16), "t: 5.30 bpp:24 a");
    EXPECT_STREQ(lines[1], "xpos: 0.00  ypos: 0.00  zpos: 0.00  xrot: 0.00  yrot:-64.00");
    int major = 0, minor = 0;
    std::sscanf((const char*)glGetString(GL_VERSION), "%d.%d", &major, &minor);
    GLint stencil = 0;
    glGetIntegerv(GL_STENCIL_BITS, &stencil);
    char c[200];
    std::snprintf(c, sizeof c, "ogl vers:%d.%d  stencilbits:%d/%d  VC:1234 PC:411", major, minor, stencil,
                  formatStencilBits);
    EXPECT_STREQ(lines[2], c);
    EXPECT_GE(major, 1);
}

// Paused, frames share a song time and the rate is infinite: dashes, not
// "inf"; finite rates keep their digits, however large.
TEST_F(StatusOverlay, NonFiniteFrameRatePrintsAsDashes)
{
    char lines[3][STATUS_LINE_SIZE];
    formatStatusLines(123.456f, INFINITY, lines);
    EXPECT_EQ(std::string(lines[0]), contextLineA("123.46", "   --"));
    formatStatusLines(0.0f, -INFINITY, lines);
    EXPECT_EQ(std::string(lines[0]), contextLineA(" 0.00", "   --"));
    formatStatusLines(0.0f, NAN, lines);
    EXPECT_EQ(std::string(lines[0]), contextLineA(" 0.00", "   --"));
    formatStatusLines(0.0f, 1000.0, lines);
    EXPECT_EQ(std::string(lines[0]), contextLineA(" 0.00", "1000.00"));
    formatStatusLines(0.0f, 0.0, lines);
    EXPECT_EQ(std::string(lines[0]), contextLineA(" 0.00", " 0.00"));
}

// Every pixel is either the background or its inverse, never anything else.
Ink inkOf(const std::vector<uint8_t>& rgb, const uint8_t bg[3], int y0, int y1)
{
    Ink ink;
    for (int y = y0; y < y1; y++) {
        for (int x = 0; x < 640; x++) {
            const uint8_t* p = &rgb[((size_t)y * 640 + x) * 3];
            bool same = p[0] == bg[0] && p[1] == bg[1] && p[2] == bg[2];
            bool inverse = p[0] == 255 - bg[0] && p[1] == 255 - bg[1] && p[2] == 255 - bg[2];
            if (inverse)
                ink.add(x, y);
            else if (!same)
                ink.other++;
        }
    }
    return ink;
}

void clearTo(const uint8_t bg[3])
{
    glClearColor(bg[0] / 255.0f, bg[1] / 255.0f, bg[2] / 255.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

// Bottom up: camera line (longest) at 2.5 %, song time line at 5 %, version
// line at 7.5 % of the height, each centred near 40 % of the width.
TEST_F(StatusOverlay, ThreeInvertedLinesNearTheBottom)
{
    const uint8_t bg[3] = {51, 102, 153};
    clearTo(bg);
    drawStatusOverlay(5.3f, 1000);
    auto rgb = readPixelsRgb(0, 0, 640, 480);
    writePngRgb(ZANT_BINARY_DIR "/test_text_overlay.png", rgb, 640, 480);
    Ink all = inkOf(rgb, bg, 0, 480);
    EXPECT_EQ(all.other, 0) << "white glyphs only invert, each pixel once";
    EXPECT_GT(all.count, 2000);
    EXPECT_LT(all.maxY, 48);
    Ink b = inkOf(rgb, bg, 9, 20), a = inkOf(rgb, bg, 21, 32), c = inkOf(rgb, bg, 33, 44);
    EXPECT_GT(b.count, 300);
    EXPECT_GT(a.count, 300);
    EXPECT_GT(c.count, 300);
    // The camera line has 59 characters: its centre lies 0.075 em per
    // character right of 40 %.
    double bCentre = 0.5 * (b.minX + b.maxX);
    EXPECT_NEAR(bCentre, 256 + 0.075 * 59 * 16, 12);
    EXPECT_GT(b.maxX - b.minX, a.maxX - a.minX) << "camera line is the longest";
}

TEST_F(StatusOverlay, SameTimeTwiceStillDrawsAndRestoresState)
{
    const uint8_t bg[3] = {0, 0, 0};
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glEnable(GL_TEXTURE_2D);
    glLoadIdentity();
    glTranslatef(1.0f, 2.0f, 3.0f);
    GLfloat before[16], after[16];
    modelview(before);
    drawStatusOverlay(5.3f, 2000);
    clearTo(bg);
    drawStatusOverlay(5.3f, 2000);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    auto rgb = readPixelsRgb(0, 0, 640, 480);
    EXPECT_GT(inkOf(rgb, bg, 0, 480).count, 2000);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    modelview(after);
    for (int k = 0; k < 16; k++)
        EXPECT_EQ(before[k], after[k]) << k;
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_TEXTURE_2D);
}

}  // namespace

namespace {

// Runs of inverted pixels up one column, bottom to top.
int inkRunsInColumn(const std::vector<uint8_t>& rgb, const uint8_t bg[3], int x, int y0, int y1)
{
    int runs = 0;
    bool inside = false;
    for (int y = y0; y < y1; y++) {
        const uint8_t* p = &rgb[((size_t)y * 640 + x) * 3];
        bool ink = p[0] == 255 - bg[0] && p[1] == 255 - bg[1] && p[2] == 255 - bg[2];
        runs += ink && !inside;
        inside = ink;
    }
    return runs;
}

// The overlay's set-up, written out: 0..1 across the frame, white inverting.
void invertingScreenSetUp()
{
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE_MINUS_DST_COLOR, GL_ZERO);
    glColor4f(1, 1, 1, 1);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 1, 0, 1, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glViewport(0, 0, 640, 480);
}

}  // namespace

// "vers" at the overlay's size and line heights, and a fraction of a pixel
// row above each (where the band meter's lines fall): up the middle of the e
// there are three strokes (bottom, crossbar, top), so it never reads as a c,
// whose middle has two.
TEST_F(StatusOverlay, TheEOfVersHasItsCrossbarAtEveryLineHeight)
{
    const uint8_t bg[3] = {40, 40, 40};
    const float em = 0.025f * 640.0f;  // pixels across
    double width = textWidth("vers");
    int checked = 0;
    for (float line : {0.025f, 0.05f, 0.075f, 0.1f, 0.14f, 0.18f}) {
        for (int tenth = 0; tenth < 10; tenth++) {
            float y = line + tenth * 0.1f / 480.0f;
            clearTo(bg);
            invertingScreenSetUp();
            for (const char* word : {"vers", "vcrs"}) {
                glLoadIdentity();
                glTranslatef(word[1] == 'e' ? 0.3f : 0.6f, y, 1.0f);
                glScalef(0.025f, 0.025f, 0.025f);
                drawText(word);
            }
            glPopAttrib();
            auto rgb = readPixelsRgb(0, 0, 640, 480);
            if (line == 0.075f && tenth == 0)
                writePngRgb(ZANT_BINARY_DIR "/test_text_vers.png", rgb, 640, 480);
            // The pen starts 0.075 em per letter right of centre-left.
            double pen = 0.075 * 4 - 0.5 * width + glyphMetrics['v'].gmfCellIncX;
            double middle = pen + 0.5 * glyphMetrics['e'].gmfCellIncX;
            int baseline = (int)std::floor(y * 480.0f);
            int eRuns = inkRunsInColumn(rgb, bg, (int)(0.3f * 640 + middle * em), baseline - 2, baseline + 12);
            int cRuns = inkRunsInColumn(rgb, bg, (int)(0.6f * 640 + middle * em), baseline - 2, baseline + 12);
            EXPECT_EQ(eRuns, 3) << "e at y " << y * 480.0f;
            EXPECT_EQ(cRuns, 2) << "c at y " << y * 480.0f;
            checked++;
        }
    }
    EXPECT_EQ(checked, 60);
}

// The band meter's panel starts with where the show is, in its own line
// above the two meter lines, inverted like them.
TEST_F(StatusOverlay, BandMeterPanelSaysWhereTheShowIs)
{
    const uint8_t bg[3] = {51, 102, 153};
    clearTo(bg);
    drawBandMeter(12.5f, 66666);
    auto rgb = readPixelsRgb(0, 0, 640, 480);
    writePngRgb(ZANT_BINARY_DIR "/test_text_band_meter.png", rgb, 640, 480);
    Ink all = inkOf(rgb, bg, 0, 480);
    EXPECT_EQ(all.other, 0);
    Ink where = inkOf(rgb, bg, 101, 118);  // baseline at 0.22 of 480
    EXPECT_GT(where.count, 200);
    Ink gapAbove = inkOf(rgb, bg, 118, 480);
    EXPECT_EQ(gapAbove.count, 0);
    // "column hall  12:08  66.67 s  frame 4000" is centred 0.075 em a letter right of 30 %.
    char line[STATUS_LINE_SIZE];
    formatWhereLine(12.5f, 66666, line);
    double centre = 0.3 * 640 + 0.075 * std::strlen(line) * 16;
    EXPECT_NEAR(0.5 * (where.minX + where.maxX), centre, 12);
}
