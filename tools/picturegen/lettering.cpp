// Font lookup (fontconfig) and glyph rasterising (FreeType).
#include "lettering.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const char* const fontPattern = "Liberation Sans:bold";

FT_Library ftLibrary = nullptr;
FT_Face ftFace = nullptr;

std::string findFontFile(int& faceIndex)
{
    std::string path;
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(fontPattern));
    if (!pattern)
        return path;
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcChar8* file = nullptr;
    if (match && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
        path = reinterpret_cast<const char*>(file);
        if (FcPatternGetInteger(match, FC_INDEX, 0, &faceIndex) != FcResultMatch)
            faceIndex = 0;
    }
    if (match)
        FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    return path;
}

void failFont(const char* what)
{
    std::fprintf(stderr, "picturegen: cannot load the font \"%s\": %s\n", fontPattern, what);
    std::exit(1);
}

FT_Face face()
{
    if (ftFace)
        return ftFace;
    int index = 0;
    std::string path = findFontFile(index);
    if (path.empty())
        failFont("fontconfig found no match");
    if (FT_Init_FreeType(&ftLibrary) != 0)
        failFont("FreeType did not start");
    if (FT_New_Face(ftLibrary, path.c_str(), index, &ftFace) != 0)
        failFont(path.c_str());
    return ftFace;
}

void setSize(int pixelSize)
{
    if (FT_Set_Pixel_Sizes(face(), 0, static_cast<FT_UInt>(pixelSize)) != 0)
        failFont("the face cannot be scaled");
}

// Unhinted outlines: the shapes stay true at every size.
bool loadGlyph(char c)
{
    FT_UInt index = FT_Get_Char_Index(ftFace, static_cast<unsigned char>(c));
    return FT_Load_Glyph(ftFace, index, FT_LOAD_NO_HINTING | FT_LOAD_RENDER) == 0;
}

float kerning(char prev, char c)
{
    if (!prev || !FT_HAS_KERNING(ftFace))
        return 0.0f;
    FT_Vector k;
    FT_Get_Kerning(ftFace, FT_Get_Char_Index(ftFace, static_cast<unsigned char>(prev)),
                   FT_Get_Char_Index(ftFace, static_cast<unsigned char>(c)), FT_KERNING_UNFITTED, &k);
    return k.x / 64.0f;
}

// Places the glyph bitmap at a fractional pen position by splitting its
// coverage between two neighbouring columns.
void blitGlyph(Mask& mask, const FT_Bitmap& bm, float left, int top, float value)
{
    int ix = static_cast<int>(std::floor(left));
    float frac = left - ix;
    for (unsigned row = 0; row < bm.rows; ++row) {
        int y = top + static_cast<int>(row);
        if (y < 0 || y >= mask.height)
            continue;
        const unsigned char* src = bm.buffer + static_cast<long>(row) * bm.pitch;
        for (unsigned col = 0; col < bm.width; ++col) {
            float cov = src[col] / 255.0f;
            for (int side = 0; side < 2; ++side) {
                int x = ix + static_cast<int>(col) + side;
                if (x < 0 || x >= mask.width)
                    continue;
                float part = cov * (side == 0 ? 1.0f - frac : frac);
                float& v = maskAt(mask, x, y);
                v = std::min(value, v + part * value);
            }
        }
    }
}

}  // namespace

float textWidth(const char* text, int pixelSize, float tracking)
{
    setSize(pixelSize);
    float pen = 0.0f;
    char prev = 0;
    for (const char* p = text; *p; ++p) {
        pen += kerning(prev, *p);
        if (loadGlyph(*p))
            pen += ftFace->glyph->linearHoriAdvance / 65536.0f;
        if (p[1])
            pen += tracking;
        prev = *p;
    }
    return pen;
}

float capHeight(int pixelSize)
{
    setSize(pixelSize);
    if (!loadGlyph('H'))
        return pixelSize * 0.7f;
    return static_cast<float>(ftFace->glyph->bitmap_top);
}

void drawText(Mask& mask, const char* text, int pixelSize, float x, float baseline, TextAlign align, float tracking,
              float value)
{
    float width = textWidth(text, pixelSize, tracking);
    float pen = x;
    if (align == TextAlign::centre)
        pen -= width * 0.5f;
    if (align == TextAlign::right)
        pen -= width;
    int base = static_cast<int>(std::lround(baseline));
    char prev = 0;
    for (const char* p = text; *p; ++p) {
        pen += kerning(prev, *p);
        if (loadGlyph(*p)) {
            FT_GlyphSlot g = ftFace->glyph;
            blitGlyph(mask, g->bitmap, pen + g->bitmap_left, base - g->bitmap_top, value);
            pen += g->linearHoriAdvance / 65536.0f + tracking;
        }
        prev = *p;
    }
}
