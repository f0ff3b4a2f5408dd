// Spectrogram picture (see spectrogram.h): 2048-point Hann FFTs, rows
// spaced logarithmically from 30 Hz to 16 kHz, -90..0 dB mapped through a
// black-blue-red-yellow-white ramp.
#include "spectrogram.h"

#include <kissfft/kiss_fftr.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr int kSize = 2048;
constexpr int kRows = 360;
constexpr double kLowHz = 30.0, kHighHz = 16000.0;
constexpr double kPatternSeconds = 16.0 * 60.0 / 180.0;

void colourOf(float db, unsigned char* rgb)
{
    static const float kStops[5][3] = {{0, 0, 0}, {20, 30, 140}, {200, 30, 40}, {250, 210, 40}, {255, 255, 255}};
    float u = std::clamp((db + 90.0f) / 90.0f, 0.0f, 1.0f) * 4.0f;
    int i = std::min(3, int(u));
    float f = u - float(i);
    for (int c = 0; c < 3; ++c)
        rgb[c] = (unsigned char)(kStops[i][c] + (kStops[i + 1][c] - kStops[i][c]) * f);
}

bool savePng(const std::string& path, int width, int height, const std::vector<unsigned char>& rgb, std::string& error)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        error = path + ": cannot create";
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        error = path + ": PNG writing failed";
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y)
        png_write_row(png, rgb.data() + size_t(y) * size_t(width) * 3);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(f) == 0;
}

}  // namespace

bool writeSpectrogram(const std::vector<float>& mono, long rate, double secondsPerColumn, const std::string& path,
                      std::string& error)
{
    const int width = std::max(1, int(double(mono.size()) / double(rate) / secondsPerColumn));
    const int height = kRows + 8;  // a strip on top for pattern ticks
    std::vector<unsigned char> rgb(size_t(width) * size_t(height) * 3, 0);
    kiss_fftr_cfg cfg = kiss_fftr_alloc(kSize, 0, nullptr, nullptr);
    std::vector<float> frame(kSize), window(kSize);
    std::vector<kiss_fft_cpx> bins(kSize / 2 + 1);
    double wsum = 0.0;
    for (int i = 0; i < kSize; ++i)
        wsum += window[size_t(i)] = float(0.5 - 0.5 * std::cos(2.0 * M_PI * i / kSize));
    for (int x = 0; x < width; ++x) {
        long centre = std::lround(x * secondsPerColumn * double(rate));
        for (int i = 0; i < kSize; ++i) {
            long at = centre - kSize / 2 + i;
            frame[size_t(i)] = (at >= 0 && at < long(mono.size()) ? mono[size_t(at)] : 0.0f) * window[size_t(i)];
        }
        kiss_fftr(cfg, frame.data(), bins.data());
        for (int row = 0; row < kRows; ++row) {
            double hz = kLowHz * std::pow(kHighHz / kLowHz, double(row) / (kRows - 1));
            int k = std::clamp(int(std::lround(hz * kSize / double(rate))), 1, kSize / 2);
            float mag = float(std::hypot(bins[size_t(k)].r, bins[size_t(k)].i) * 2.0 / wsum);
            float db = 20.0f * std::log10(mag + 1e-9f);
            int y = height - 1 - row;
            colourOf(db, &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3]);
        }
        double t0 = x * secondsPerColumn, t1 = t0 + secondsPerColumn;
        if (std::floor(t1 / kPatternSeconds) != std::floor(t0 / kPatternSeconds))
            for (int y = 0; y < 8; ++y)
                std::fill_n(&rgb[(size_t(y) * size_t(width) + size_t(x)) * 3], 3, 255);
    }
    kiss_fftr_free(cfg);
    return savePng(path, width, height, rgb, error);
}
