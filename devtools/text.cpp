#include "devtools/text.h"

#include <FTGL/ftgl.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include <cstdio>
#include <cstring>
#include <string>

#include <cmath>

#include "devtools/fontfile.h"
#include "render/camera.h"
#include "core/errors.h"
#include "core/frame.h"
#include "fx/effects.h"
#include "fx/flicker.h"
#include "music/music.h"
#include "music/spectrum.h"
#include "scenes/timeline.h"
#include "platform/window.h"
#include "platform/gl.h"
#include "render/state.h"

unsigned int fontListBase = 0;
GlyphMetricsFloat glyphMetrics[256];

static int previousOverlayMillis = 0;

// FTGL works in pixels of the face size; glyphs are recorded at one pixel per
// font unit of a 2048-unit face and scaled down, so one em comes out as 1.0.
static const float faceUnits = 2048.0f;
static const float extrusion = 0.2f;

// The overlay's bytes are Windows-1252 text; 0x80..0x9F are the only codes
// that differ from Unicode (undefined ones keep their value).
static const unsigned short cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

static wchar_t unicodeFor(int code)
{
    if (code >= 0x80 && code < 0xA0)
        return (wchar_t)cp1252High[code - 0x80];
    return (wchar_t)code;
}

static void reserveFontLists()
{
    if (fontListBase == 0)
        fontListBase = glGenLists(256);
    std::memset(glyphMetrics, 0, sizeof glyphMetrics);
}

// Every glyph list exists even without a font, so text just draws nothing.
static void recordEmptyGlyphs()
{
    for (int c = 0; c < FONT_GLYPHS; c++) {
        glNewList(fontListBase + c, GL_COMPILE);
        glEndList();
    }
}

// The face asked for is a black-weight Arial (weight 900); the usual stand-in
// is a bold (700) face whose horizontal strokes are thinner: Liberation Sans
// Bold's e has a crossbar of 0.086 em, and at the overlay's em of 10.8 pixel
// rows it lay between two rows of pixel centres and vanished ("vers" read
// "vcrs"). Thickening every outline vertically by this much brings the face
// toward the weight asked for and every stroke and counter of the overlay's
// letters to more than a pixel row. Widths stay as they are, so glyphs never
// reach into their neighbours (the overlay inverts each pixel once).
static const float emboldenY = 0.02f;  // em

// A glyph is a solid 0.2 deep, but only its back face, at z -0.2, is
// recorded: in the overlay's parallel 0..1 screen the front face lies
// beyond the near plane and the walls stand edge-on. Recorded, the walls
// cut by the near plane came out of the clipper as slivers a rounding
// wide, and each flipped a stray pixel on the desktop. The list ends by
// moving the pen on by the glyph's advance.
static void recordGlyph(FT_Face face, int code)
{
    glNewList(fontListBase + code, GL_COMPILE);
    float advance = 0.0f;
    if (FT_Load_Char(face, (FT_ULong)unicodeFor(code), FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) == 0 &&
        face->glyph->format == FT_GLYPH_FORMAT_OUTLINE) {
        advance = (float)face->glyph->advance.x / 64.0f / faceUnits;
        FT_Outline_EmboldenXY(&face->glyph->outline, 0, (FT_Pos)(emboldenY * faceUnits * 64.0f));
        FTExtrudeGlyph glyph(face->glyph, extrusion * faceUnits, 0.0f, 0.0f, false);
        glPushMatrix();
        glScalef(1.0f / faceUnits, 1.0f / faceUnits, 1.0f / faceUnits);
        glyph.Render(FTPoint(0.0, 0.0, 0.0), FTGL::RENDER_BACK);
        glPopMatrix();
    }
    glTranslatef(advance, 0.0f, 0.0f);
    glEndList();
    glyphMetrics[code].gmfCellIncX = advance;
}

// Glyphs are loaded at one pixel per font unit of a 2048-unit face.
static FT_Face openFace(FT_Library library, const char* path)
{
    FT_Face face = nullptr;
    if (FT_New_Face(library, path, 0, &face) != 0)
        return nullptr;
    bool ok = FT_Select_Charmap(face, FT_ENCODING_UNICODE) == 0 &&
        FT_Set_Char_Size(face, (FT_F26Dot6)(faceUnits * 64.0f), 0, 72, 72) == 0;
    if (!ok) {
        FT_Done_Face(face);
        return nullptr;
    }
    return face;
}

bool createOutlineFontFrom(const char* path)
{
    reserveFontLists();
    FT_Library library = nullptr;
    FT_Face face = FT_Init_FreeType(&library) == 0 ? openFace(library, path) : nullptr;
    if (!face) {
        logMessage(LOG_WARNING, "cannot load the overlay font \"%s\"; the status overlay stays blank", path);
        recordEmptyGlyphs();
        if (library)
            FT_Done_FreeType(library);
        return false;
    }
    for (int c = 0; c < FONT_GLYPHS; c++)
        recordGlyph(face, c);
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    return true;
}

void createOutlineFont()
{
    std::string path = findFontFile();
    if (path.empty()) {
        reserveFontLists();
        recordEmptyGlyphs();
        logMessage(LOG_WARNING, "fontconfig found no font for \"Arial\"; the status overlay stays blank");
        return;
    }
    createOutlineFontFrom(path.c_str());
}

float textWidth(const char* text)
{
    float width = 0.0f;
    for (const unsigned char* p = (const unsigned char*)text; *p; p++)
        width += glyphMetrics[*p].gmfCellIncX;
    return width;
}

// Centred on the origin, squeezed to 0.9 height, lifted 0.1 toward the eye.
void drawText(const char* text)
{
    size_t length = std::strlen(text);
    float width = textWidth(text);
    glPushMatrix();
    glScalef(1.0f, 0.9f, 1.0f);
    glTranslatef((float)(0.075 * (double)length - 0.5 * width), 0.0f, 0.1f);
    glPushAttrib(GL_LIST_BIT);
    glListBase(fontListBase);
    for (size_t i = 0; i < length; i++)
        glCallLists(1, GL_UNSIGNED_BYTE, &text[i]);
    glPopAttrib();
    glPopMatrix();
}

void formatStatusLines(float songTime, double fps, char lines[3][STATUS_LINE_SIZE])
{
    int major = 0, minor = 0;
    const char* version = (const char*)glGetString(GL_VERSION);
    if (version)
        std::sscanf(version, "%d.%d", &major, &minor);
    GLint depth = 0, red = 0, green = 0, blue = 0, alpha = 0, stencil = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depth);
    glGetIntegerv(GL_RED_BITS, &red);
    glGetIntegerv(GL_GREEN_BITS, &green);
    glGetIntegerv(GL_BLUE_BITS, &blue);
    glGetIntegerv(GL_ALPHA_BITS, &alpha);
    glGetIntegerv(GL_STENCIL_BITS, &stencil);
    // Paused, two frames share a song time: no rate to show, rather than "inf".
    char rate[32] = "   --";
    if (std::isfinite(fps))
        std::snprintf(rate, sizeof rate, "%5.2f", fps);
    std::snprintf(lines[0], STATUS_LINE_SIZE, "t:%5.2f bpp:%i abits: %i zbits: %i fps: %s", songTime,
                  red + green + blue, alpha, depth, rate);
    std::snprintf(lines[1], STATUS_LINE_SIZE, "xpos:%5.2f  ypos:%5.2f  zpos:%5.2f  xrot:%5.2f  yrot:%5.2f", xpos, ypos,
                  zpos, xrot, yrot);
    std::snprintf(lines[2], STATUS_LINE_SIZE, "ogl vers:%i.%i  stencilbits:%i/%i  VC:%i PC:%i", major, minor, stencil,
                  formatStencilBits, vertexcount, polygoncount);
}

static void drawStatusLine(const char* line, float x, float y)
{
    glLoadIdentity();
    glTranslatef(x, y, 1.0f);
    glScalef(0.025f, 0.025f, 0.025f);
    drawText(line);
}

void formatStateLine(bool paused, bool loopOn, double loopStart, double loopEnd, char line[STATUS_LINE_SIZE])
{
    char loop[STATUS_LINE_SIZE] = "";
    if (loopEnd > loopStart)
        std::snprintf(loop, sizeof loop, "loop %g-%g%s", loopStart, loopEnd, loopOn ? "" : " off");
    std::snprintf(line, STATUS_LINE_SIZE, "%s%s%s", paused ? "paused" : "", paused && *loop ? "  " : "", loop);
}

// n flicker layers add up: each is full at 1/n of white, where its level
// is 1/sqrt(n) of one layer's full level.
BandMeter bandMeterAt(float songTime, const float bandLevels[4])
{
    BandUse use = bandUseAt(songTime);
    BandMeter meter;
    meter.smearLevel = bandLevels[0];
    meter.smearFull = use.smearSpreadPerLevel > 0.0f ? SMEAR_FULL_SPREAD / use.smearSpreadPerLevel : 0.0f;
    meter.flickerLevel = bandLevels[2];
    meter.flickerFull = use.flickerLayers > 0 ? flickerFullLevel() / std::sqrt((float)use.flickerLayers) : 0.0f;
    return meter;
}

static void formatMeterLine(const char* name, float level, float full, char line[STATUS_LINE_SIZE])
{
    if (full > 0.0f)
        std::snprintf(line, STATUS_LINE_SIZE, "%s %5.2f of %4.2f", name, level, full);
    else
        std::snprintf(line, STATUS_LINE_SIZE, "%s %5.2f  (not now)", name, level);
}

void formatBandMeterLines(const BandMeter& meter, char lines[2][STATUS_LINE_SIZE])
{
    formatMeterLine("smear b0", meter.smearLevel, meter.smearFull, lines[0]);
    formatMeterLine("flicker b2", meter.flickerLevel, meter.flickerFull, lines[1]);
}

// White glyphs with this blend invert whatever lies under them. A glyph is
// one flat face (recordGlyph), so each of its pixels is inverted once.
static void beginInvertedText()
{
    pushState();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_TEXTURE_1D);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE_MINUS_DST_COLOR, GL_ZERO);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0.0, 1.0, 0.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glViewport(0, 0, screenwidth, screenheight);
}

void drawStatusOverlay(float songTime, int songMillis)
{
    // Equal times (paused) give an infinite rate, shown as dashes.
    double fps = 1000.0 / ((double)songMillis - (double)previousOverlayMillis);
    char lines[3][STATUS_LINE_SIZE];
    formatStatusLines(songTime, fps, lines);
    SongLoop loop = songLoop();
    char state[STATUS_LINE_SIZE];
    formatStateLine(songPaused(), loop.on, loop.start, loop.end, state);
    beginInvertedText();
    drawStatusLine(lines[0], 0.4f, 0.05f);
    drawStatusLine(lines[1], 0.4f, 0.025f);
    drawStatusLine(lines[2], 0.4f, 0.075f);
    if (*state)
        drawStatusLine(state, 0.4f, 0.1f);
    previousOverlayMillis = songMillis;
    popState();
}

// Inverting like the glyphs, so the bar shows on any picture.
static void drawBox(float x0, float y0, float x1, float y1)
{
    glLoadIdentity();
    glBegin(GL_QUADS);
    glVertex3f(x0, y0, -0.5f);
    glVertex3f(x1, y0, -0.5f);
    glVertex3f(x1, y1, -0.5f);
    glVertex3f(x0, y1, -0.5f);
    glEnd();
}

// The full level sits at a fixed place, marked by a line under the bar up
// to it and a tick above and below; the bar runs on past it up to twice the
// full level. Without an effect, the level alone, on a short scale. Nothing
// overlaps, so nothing is inverted twice.
static void drawMeterBar(float level, float full, float y)
{
    const float left = 0.5f, fullWidth = 0.2f, height = 0.014f, tick = 0.004f;
    float scale = full > 0.0f ? full : 8.0f;
    float width = fullWidth * std::fmin(std::fmax(level / scale, 0.0f), 2.0f);
    if (width > 0.0f)
        drawBox(left, y, left + width, y + height);
    if (full > 0.0f) {
        float mark = left + fullWidth;
        drawBox(left, y - 0.005f, mark, y - 0.003f);
        drawBox(mark, y - 0.008f, mark + tick, y - 0.001f);
        drawBox(mark, y + height + 0.001f, mark + tick, y + height + 0.008f);
    }
}

long long frameAtMillis(int songMillis)
{
    if (songMillis < 0)
        return 0;
    return ((long long)songMillis * 60 + 59) / 1000;
}

void formatWhereLine(float songTime, int songMillis, char line[STATUS_LINE_SIZE])
{
    double t = songTime > 0.0f ? (double)songTime : 0.0;
    int pattern = (int)std::floor(t);
    int row = (int)std::floor((t - pattern) * 16.0);
    std::snprintf(line, STATUS_LINE_SIZE, "%s  %d:%02d  %.2f s  frame %lld", sceneNameAt(songTime), pattern, row,
                  songMillis / 1000.0, frameAtMillis(songMillis));
}

void drawBandMeter(float songTime, int songMillis)
{
    BandMeter meter = bandMeterAt(songTime, bandEnergy);
    char lines[2][STATUS_LINE_SIZE];
    formatBandMeterLines(meter, lines);
    char where[STATUS_LINE_SIZE];
    formatWhereLine(songTime, songMillis, where);
    beginInvertedText();
    drawStatusLine(where, 0.3f, 0.22f);
    drawStatusLine(lines[0], 0.3f, 0.18f);
    drawStatusLine(lines[1], 0.3f, 0.14f);
    drawMeterBar(meter.smearLevel, meter.smearFull, 0.182f);
    drawMeterBar(meter.flickerLevel, meter.flickerFull, 0.142f);
    popState();
}
