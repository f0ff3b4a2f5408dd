#include "devtools/png.h"

#include <png.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/outfile.h"

#include "platform/gl.h"

void readFrameRgb(std::vector<uint8_t>& rgb, int width, int height)
{
    rgb.resize((size_t)width * height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
}

// The caller says what failed; libpng's own lines on stderr would only repeat it.
static void quietError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

static void quietWarning(png_structp, png_const_charp)
{
}

static bool writeRows(FILE* f, const uint8_t* rgb, int width, int height)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, quietError, quietWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    // libpng reports errors by longjmp; this frame has nothing to unwind.
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = height - 1; y >= 0; y--)
        png_write_row(png, (png_const_bytep)(rgb + (size_t)y * width * 3));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

// The picture goes to a temporary file renamed over the name once complete:
// a full disk or a failed encoder leaves what the name held untouched.
bool writePng(const char* path, const uint8_t* rgb, int width, int height, char* err, int errSize)
{
    OutputFile out;
    std::string why;
    if (!beginOutput(path, out, why)) {
        std::snprintf(err, errSize, "%s", why.c_str());
        return false;
    }
    FILE* f = fdopen(out.fd, "wb");
    if (!f) {
        std::snprintf(err, errSize, "%s: %s", path, std::strerror(errno));
        abandonOutput(out);
        return false;
    }
    out.fd = -1;
    bool ok = writeRows(f, rgb, width, height);
    bool closed = std::fclose(f) == 0;
    if (!closed || !ok) {
        std::snprintf(err, errSize, "%s: could not write the PNG (%s); nothing was changed", path,
                      ok ? std::strerror(errno) : "encoder error or disk full");
        abandonOutput(out);
        return false;
    }
    if (!commitOutput(out, why)) {
        std::snprintf(err, errSize, "%s", why.c_str());
        return false;
    }
    return true;
}
