#include "app/outsize.h"

#include <cstdio>

#include "core/frame.h"

static bool readSide(const char*& p, int* value)
{
    if (*p < '0' || *p > '9')
        return false;
    long v = 0;
    while (*p >= '0' && *p <= '9') {
        v = v * 10 + (*p++ - '0');
        if (v > 1000000)
            return false;
    }
    *value = (int)v;
    return true;
}

bool parseOutputSize(const std::string& text, bool video, int* width, int* height, char* err, int errSize)
{
    const char* p = text.c_str();
    int w = 0, h = 0;
    bool wellFormed = readSide(p, &w) && (*p == 'x' || *p == 'X') && readSide(++p, &h) && *p == '\0';
    if (!wellFormed) {
        std::snprintf(err, errSize, "--size wants WIDTHxHEIGHT, such as 1920x1080 or 3840x2160 (got \"%s\")",
                      text.c_str());
        return false;
    }
    if (w < FRAME_WIDTH || h < FRAME_HEIGHT || w > MAX_OUTPUT_WIDTH || h > MAX_OUTPUT_HEIGHT) {
        std::snprintf(err, errSize, "--size %dx%d is out of range: it scales the %dx%d show up, to at most %dx%d", w, h,
                      FRAME_WIDTH, FRAME_HEIGHT, MAX_OUTPUT_WIDTH, MAX_OUTPUT_HEIGHT);
        return false;
    }
    if (video && (w % 2 != 0 || h % 2 != 0)) {
        std::snprintf(err, errSize, "--size %dx%d: a video needs an even width and height (yuv420p), e.g. %dx%d", w, h,
                      w + w % 2, h + h % 2);
        return false;
    }
    *width = w;
    *height = h;
    return true;
}

PictureRect fitPicture(int width, int height, int align)
{
    PictureRect r;
    r.width = width;
    r.height = width * 3 / 4;
    if (r.height > height) {
        r.height = height;
        r.width = height * 4 / 3;
    }
    r.width -= r.width % align;
    r.height -= r.height % align;
    r.x = (width - r.width) / 2;
    r.y = (height - r.height) / 2;
    r.x -= r.x % align;
    r.y -= r.y % align;
    return r;
}

std::string outputFilter(int width, int height, bool video)
{
    if (width == FRAME_WIDTH && height == FRAME_HEIGHT)
        return "vflip";
    PictureRect r = fitPicture(width, height, video ? 2 : 1);
    char filter[512];
    // Converting while scaling takes the colour of every source pixel, not
    // of a 320x240 subsampled copy; the pad then works on the output format.
    std::snprintf(filter, sizeof filter, "vflip,scale=%d:%d:flags=lanczos%s,pad=%d:%d:%d:%d:black", r.width, r.height,
                  video ? ":out_color_matrix=bt709:out_range=tv,format=yuv420p" : "", width, height, r.x, r.y);
    return filter;
}
