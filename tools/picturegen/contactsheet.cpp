// contactsheet: lays the ten pictures of a data folder side by side in one
// PNG, once as stored and once as the show uses them (band crop, blend mode,
// tiling), so they can be judged together.
// Usage: contactsheet INDIR OUT.png       the sheet
//        contactsheet INDIR OUT.png NAME  one picture at full size
#include "canvas.h"
#include "jpegfile.h"
#include "lettering.h"
#include "pngfile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Picture {
    int width = 0, height = 0;
    std::vector<Rgb> pixels;  // 0..1
};

const char* const names[] = {"txtr1", "txtr2", "metal", "bg1", "bg2", "bg3", "bg4", "bg5", "bg6", "gridi"};

enum class Use { tile, blocks, plain, multiply, alpha, backdrop, darken };
const Use uses[] = {Use::tile,     Use::blocks, Use::plain, Use::multiply, Use::alpha,
                    Use::backdrop, Use::alpha,  Use::alpha, Use::alpha,    Use::darken};

const int cellW = 320, cellH = 240, labelH = 26, gap = 10;

bool loadPicture(const std::string& path, Picture& pic)
{
    int comps = 0;
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!readJpegFile(path, pic.width, pic.height, comps, bytes, error)) {
        std::fprintf(stderr, "contactsheet: %s\n", error.c_str());
        return false;
    }
    pic.pixels.resize(static_cast<size_t>(pic.width) * pic.height);
    for (size_t i = 0; i < pic.pixels.size(); ++i) {
        const std::uint8_t* p = &bytes[i * comps];
        pic.pixels[i] =
            comps >= 3 ? rgb(p[0] / 255.f, p[1] / 255.f, p[2] / 255.f) : rgb(p[0] / 255.f, p[0] / 255.f, p[0] / 255.f);
    }
    return true;
}

// Area average of the source rectangle [x0,x1) x [y0,y1) in picture pixels.
Rgb areaSample(const Picture& pic, float x0, float y0, float x1, float y1)
{
    int ix0 = std::clamp(static_cast<int>(x0), 0, pic.width - 1);
    int iy0 = std::clamp(static_cast<int>(y0), 0, pic.height - 1);
    int ix1 = std::clamp(static_cast<int>(std::ceil(x1)), ix0 + 1, pic.width);
    int iy1 = std::clamp(static_cast<int>(std::ceil(y1)), iy0 + 1, pic.height);
    Rgb sum;
    for (int y = iy0; y < iy1; ++y)
        for (int x = ix0; x < ix1; ++x)
            sum = sum + pic.pixels[static_cast<size_t>(y) * pic.width + x];
    return sum * (1.0f / ((ix1 - ix0) * (iy1 - iy0)));
}

// Colourful ramp standing in for a rendered scene under the overlays.
Rgb testScene(float u, float v)
{
    float h = u * 6.0f;
    Rgb hue = rgb(clamp01(std::fabs(h - 3.0f) - 1.0f), clamp01(2.0f - std::fabs(h - 2.0f)),
                  clamp01(2.0f - std::fabs(h - 4.0f)));
    bool check = (static_cast<int>(u * 16) + static_cast<int>(v * 9)) % 2 == 0;
    return mixRgb(hue, rgb(0.8f, 0.8f, 0.8f), 0.3f) * (check ? 0.85f : 0.6f);
}

Rgb usedPixel(const Picture& pic, Use use, float u, float v, float du, float dv)
{
    auto sample = [&](float su, float sv, float sdu, float sdv) {
        return areaSample(pic, su * pic.width, sv * pic.height, (su + sdu) * pic.width, (sv + sdv) * pic.height);
    };
    if (use == Use::tile)
        return sample(std::fmod(u * 2, 1.f), std::fmod(v * 2, 1.f), du * 2, dv * 2);
    if (use == Use::blocks)
        return sample(std::fmod(u * 4, 1.f), std::fmod(v * 3, 1.f), du * 4, dv * 3);
    if (use == Use::plain)
        return sample(u, v, du, dv);
    // The show crops overlays to rows 1/8 .. 7/8.
    Rgb p = sample(u, 0.125f + 0.75f * v, du, 0.75f * dv);
    Rgb s = testScene(u, v);
    if (use == Use::multiply)
        return s * p;
    if (use == Use::darken)
        return s * rgb(1 - p.r, 1 - p.g, 1 - p.b);
    if (use == Use::alpha) {
        float a = clamp01(3.0f * (p.r + p.g + p.b));
        return mixRgb(s, p, a);
    }
    return p;
}

void drawCell(Canvas& sheet, const Picture& pic, int left, int top, bool used, Use use)
{
    bool band = used && use != Use::tile && use != Use::blocks && use != Use::plain;
    int w = cellW, h = cellH;
    if (band)
        h = cellW * 9 / 16;
    else if (pic.width == pic.height || used)
        w = h = cellH;
    else
        h = cellW * pic.height / pic.width;
    int ox = left + (cellW - w) / 2, oy = top + (cellH - h) / 2;
    float du = 1.0f / w, dv = 1.0f / h;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float u = x * du, v = y * dv;
            pixelAt(sheet, ox + x, oy + y) =
                used ? usedPixel(pic, use, u, v, du, dv) : usedPixel(pic, Use::plain, u, v, du, dv);
        }
}

void label(Canvas& sheet, const std::string& text, int cx, int baseline)
{
    Mask m = makeMask(sheet.width, sheet.height, 0.0f);
    drawText(m, text.c_str(), 16, static_cast<float>(cx), static_cast<float>(baseline), TextAlign::centre, 0.0f, 1.0f);
    paintOver(sheet, m, rgb(0.9f, 0.9f, 0.9f));
}

bool writePng(const std::string& path, const Canvas& canvas)
{
    std::vector<std::uint8_t> bytes(canvas.pixels.size() * 3);
    for (size_t i = 0; i < canvas.pixels.size(); ++i) {
        bytes[i * 3 + 0] = static_cast<std::uint8_t>(std::lround(clamp01(canvas.pixels[i].r) * 255));
        bytes[i * 3 + 1] = static_cast<std::uint8_t>(std::lround(clamp01(canvas.pixels[i].g) * 255));
        bytes[i * 3 + 2] = static_cast<std::uint8_t>(std::lround(clamp01(canvas.pixels[i].b) * 255));
    }
    std::string error;
    if (!writePngFile(path, canvas.width, canvas.height, 3, bytes, true, error)) {
        std::fprintf(stderr, "contactsheet: cannot write %s: %s\n", path.c_str(), error.c_str());
        return false;
    }
    return true;
}

int writeSingle(const std::string& dir, const std::string& out, const std::string& name)
{
    Picture pic;
    if (!loadPicture(dir + "/" + name + ".jpg", pic))
        return 1;
    Canvas c = makeCanvas(pic.width, pic.height, rgb(0, 0, 0));
    c.pixels = pic.pixels;
    return writePng(out, c) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: contactsheet INDIR OUT.png [NAME]\n");
        return 2;
    }
    std::string dir = argv[1], out = argv[2];
    if (argc == 4)
        return writeSingle(dir, out, argv[3]);
    const int cols = 5, pitchX = cellW + gap, pitchY = cellH + labelH + gap;
    Canvas sheet = makeCanvas(cols * pitchX + gap, 4 * pitchY + gap, rgb(0.16f, 0.16f, 0.17f));
    for (int i = 0; i < 10; ++i) {
        Picture pic;
        if (!loadPicture(dir + "/" + names[i] + ".jpg", pic))
            return 1;
        for (int used = 0; used < 2; ++used) {
            int left = gap + (i % cols) * pitchX;
            int top = gap + (i / cols + used * 2) * pitchY;
            drawCell(sheet, pic, left, top, used == 1, uses[i]);
            std::string text = std::string(names[i]) + (used ? " (as used)" : "") + "  " + std::to_string(pic.width) +
                "x" + std::to_string(pic.height);
            label(sheet, text, left + cellW / 2, top + cellH + 18);
        }
    }
    return writePng(out, sheet) ? 0 : 1;
}
