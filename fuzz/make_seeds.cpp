// Writes a small seed corpus for the JPEG fuzzer: one file per layout the
// decoder must handle or refuse (baseline, progressive, restart markers,
// greyscale, CMYK, odd sizes, a cut-short file).
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>  // after cstdio: it uses FILE and size_t
#include <string>
#include <vector>

static std::vector<uint8_t> encode(int w, int h, int comps, J_COLOR_SPACE space, bool progressive, int restart,
                                   int quality)
{
    std::vector<uint8_t> pixels((size_t)w * h * comps);
    for (size_t i = 0; i < pixels.size(); i++)
        pixels[i] = (uint8_t)((i * 37) ^ (i / (w * comps) * 11));
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    jpeg_mem_dest(&c, &out, &outSize);
    c.image_width = w;
    c.image_height = h;
    c.input_components = comps;
    c.in_color_space = space;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, quality, TRUE);
    if (progressive)
        jpeg_simple_progression(&c);
    c.restart_interval = restart;
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = &pixels[(size_t)c.next_scanline * w * comps];
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::vector<uint8_t> bytes(out, out + outSize);
    free(out);
    return bytes;
}

static void save(const std::string& dir, const char* name, const std::vector<uint8_t>& bytes)
{
    std::string path = dir + "/" + name;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds DIR\n");
        return 2;
    }
    std::string dir = argv[1];
    save(dir, "baseline.jpg", encode(24, 16, 3, JCS_RGB, false, 0, 75));
    save(dir, "progressive.jpg", encode(20, 18, 3, JCS_RGB, true, 0, 60));
    save(dir, "restart.jpg", encode(33, 9, 3, JCS_RGB, false, 1, 90));
    save(dir, "grey.jpg", encode(17, 5, 1, JCS_GRAYSCALE, false, 0, 50));
    save(dir, "greyprog.jpg", encode(9, 9, 1, JCS_GRAYSCALE, true, 0, 50));
    save(dir, "cmyk.jpg", encode(8, 8, 4, JCS_CMYK, false, 0, 50));
    save(dir, "line.jpg", encode(1, 7, 3, JCS_RGB, false, 0, 50));
    std::vector<uint8_t> cut = encode(32, 32, 3, JCS_RGB, false, 0, 80);
    cut.resize(cut.size() * 2 / 3);
    save(dir, "cut.jpg", cut);
    return 0;
}
