// Compares two same-sized PNG pictures channel by channel: prints the share
// of pixels within 2 of each other, the largest difference and how many
// pixels are off by more than 16; optionally writes the difference (times
// 8) as a PNG to look at. Exit status 0 when both could be read.
// Usage: pngdiff A.png B.png [DIFF.png]
#include <png.h>
#include <cstdio>
#include <cstdlib>
#include <vector>

static bool readRgb(const char* path, std::vector<unsigned char>& rgb, int& w, int& h)
{
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path))
        return false;
    image.format = PNG_FORMAT_RGB;
    rgb.resize(PNG_IMAGE_SIZE(image));
    w = (int)image.width;
    h = (int)image.height;
    return png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr) != 0;
}

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: pngdiff A.png B.png [DIFF.png]\n");
        return 2;
    }
    std::vector<unsigned char> a, b;
    int wa, ha, wb, hb;
    if (!readRgb(argv[1], a, wa, ha) || !readRgb(argv[2], b, wb, hb) || wa != wb || ha != hb) {
        std::fprintf(stderr, "pngdiff: cannot read both pictures at one size\n");
        return 2;
    }
    long pixels = (long)wa * ha, within2 = 0, over16 = 0;
    int worst = 0;
    long histogram[5] = {};  // 0, 1, 2, 3..16, >16
    std::vector<unsigned char> diff(a.size());
    for (long p = 0; p < pixels; p++) {
        int d = 0;
        for (int k = 0; k < 3; k++) {
            int v = std::abs((int)a[p * 3 + k] - (int)b[p * 3 + k]);
            d = v > d ? v : d;
            diff[p * 3 + k] = (unsigned char)(v * 8 > 255 ? 255 : v * 8);
        }
        worst = d > worst ? d : worst;
        within2 += d <= 2;
        over16 += d > 16;
        histogram[d <= 2 ? d : d <= 16 ? 3 : 4]++;
    }
    std::printf("within2 %.4f%% max %d over16 %ld | 0:%ld 1:%ld 2:%ld 3-16:%ld >16:%ld\n", 100.0 * within2 / pixels,
                worst, over16, histogram[0], histogram[1], histogram[2], histogram[3], histogram[4]);
    if (argc > 3) {
        png_image out = {};
        out.version = PNG_IMAGE_VERSION;
        out.width = (png_uint_32)wa;
        out.height = (png_uint_32)ha;
        out.format = PNG_FORMAT_RGB;
        png_image_write_to_file(&out, argv[3], 0, diff.data(), 0, nullptr);
    }
    return 0;
}
