// Extruded outline glyphs in display lists, text drawn with them, and the
// status overlay (song time, formats, frame rate, camera, frame counters).
#pragma once

// Per-glyph metrics in em units; only the advance is ever read.
struct GlyphMetricsFloat {
    float gmfCellIncX;
};

const int FONT_GLYPHS = 255;  // glyphs 0..254 get lists; 255 stays empty
const int STATUS_LINE_SIZE = 160;

extern unsigned int fontListBase;
extern GlyphMetricsFloat glyphMetrics[256];

// Finds a heavy Arial-like face with fontconfig and records its glyphs.
void createOutlineFont();
// The same from a font file. A file that can't be read gives empty glyph
// lists (a blank overlay) and one warning; returns false then.
bool createOutlineFontFrom(const char* path);

// Sum of the glyph advances of the string, in em units.
float textWidth(const char* text);
void drawText(const char* text);

// The overlay's three lines: [0] song time line, [1] camera line,
// [2] version line. Queries the current context's formats.
void formatStatusLines(float songTime, double fps, char lines[3][STATUS_LINE_SIZE]);
// The three lines, and above them "paused" and the loop range when they
// apply.
void drawStatusOverlay(float songTime, int songMillis);

// "paused", the loop range ("loop 12-13", "off" while switched off), both
// or neither (an empty line).
void formatStateLine(bool paused, bool loopOn, double loopStart, double loopEnd, char line[STATUS_LINE_SIZE]);

// The two band levels the effects read, each against the level at which its
// effect is full at this song time: band 0 spreads the smear, band 2
// brightens the flicker. A full of 0 means the effect is not running.
struct BandMeter {
    float smearLevel, smearFull;
    float flickerLevel, flickerFull;
};
BandMeter bandMeterAt(float songTime, const float bandLevels[4]);
void formatBandMeterLines(const BandMeter& meter, char lines[2][STATUS_LINE_SIZE]);
// Where the show is, for authors: the scene drawn, pattern:row (16 rows a
// pattern), seconds and the frame number at 60 fps as --render counts them.
void formatWhereLine(float songTime, int songMillis, char line[STATUS_LINE_SIZE]);
// The 60 fps frame on screen at a millisecond: the last one --render would
// draw at or before it (frame k shows millisecond floor(k * 1000 / 60)).
long long frameAtMillis(int songMillis);
// Above the status lines: where the show is, then the meter's two lines,
// each with a bar of its level and a mark where the effect is full.
void drawBandMeter(float songTime, int songMillis);
