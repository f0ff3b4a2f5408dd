#include "tests/support/jpeg_writer.h"

#include <gtest/gtest.h>

#include <cstdlib>

std::vector<uint8_t> encodeJpeg(int w, int h, int components, J_COLOR_SPACE space, const std::vector<uint8_t>& pixels,
                                int quality, J_COLOR_SPACE stored)
{
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = w;
    c.image_height = h;
    c.input_components = components;
    c.in_color_space = space;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, quality, TRUE);
    if (stored != JCS_UNKNOWN)
        jpeg_set_colorspace(&c, stored);
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = (JSAMPROW)&pixels[(size_t)c.next_scanline * w * components];
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::vector<uint8_t> bytes(out, out + size);
    std::free(out);
    return bytes;
}

void writeJpeg(const std::string& path, int w, int h, int components, J_COLOR_SPACE space,
               const std::vector<uint8_t>& pixels, int quality, J_COLOR_SPACE stored)
{
    std::vector<uint8_t> bytes = encodeJpeg(w, h, components, space, pixels, quality, stored);
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    std::fclose(f);
    ASSERT_TRUE(written) << path;
}
