// Prints what the JPEG decoder and the spectrum analyser make of fixed inputs,
// one line per result, so that the wasm build can be compared with the
// native one (tests/web/codecs.test.mjs builds and runs both).
//   codec_check jpeg FILE...   size and FNV-1a hash of the pixels, or the reason
//   codec_check spectrum       the 512 bins of a few made-up signals
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "music/analyser.h"
#include "texture/jpeg.h"

static uint64_t fnv1a(const uint8_t* data, size_t size)
{
    uint64_t h = 1469598103934665603ull;
    for (size_t i = 0; i < size; i++)
        h = (h ^ data[i]) * 1099511628211ull;
    return h;
}

static int checkJpegs(int count, char** paths)
{
    for (int i = 0; i < count; i++) {
        FILE* file = std::fopen(paths[i], "rb");
        if (!file) {
            std::printf("jpeg %s cannot-open\n", paths[i]);
            continue;
        }
        JpegReport report = {};
        int width = 0, height = 0;
        uint8_t* rgb = decodeJpeg(file, width, height, 0, report);
        std::fclose(file);
        const char* name = std::strrchr(paths[i], '/') ? std::strrchr(paths[i], '/') + 1 : paths[i];
        if (rgb)
            std::printf("jpeg %s %dx%d %016llx warnings=%d\n", name, width, height,
                        (unsigned long long)fnv1a(rgb, (size_t)width * height * 3), report.warnings);
        else
            std::printf("jpeg %s failed: %s\n", name, report.reason);
        std::free(rgb);
    }
    return 0;
}

// Signals that reach every branch of the analyser: a tone on a bin centre,
// one between bins, a full-scale square wave (bins clamp at 1), a quiet
// noise (a cheap generator, the same on every platform) and silence.
static float signal(int kind, int i)
{
    const double n = SPECTRUM_WINDOW;
    static uint32_t state = 12345;
    switch (kind) {
    case 0: return (float)std::sin(2.0 * M_PI * 32.0 * i / n);
    case 1: return (float)(0.5 * std::sin(2.0 * M_PI * 100.5 * i / n));
    case 2: return (i / 16) % 2 ? 1.0f : -1.0f;
    case 3:
        state = state * 1664525u + 1013904223u;
        return (float)((int32_t)state) / 2147483648.0f * 0.01f;
    default: return 0.0f;
    }
}

static int checkSpectrum()
{
    for (int kind = 0; kind < 5; kind++) {
        float mono[SPECTRUM_WINDOW], bins[SPECTRUM_BINS];
        for (int i = 0; i < SPECTRUM_WINDOW; i++)
            mono[i] = signal(kind, i);
        computeSpectrum(mono, bins);
        std::printf("spectrum %d", kind);
        for (int k = 0; k < SPECTRUM_BINS; k++)
            std::printf(" %.9g", bins[k]);
        std::printf("\n");
    }
    return 0;
}

int main(int argc, char** argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "jpeg") == 0)
        return checkJpegs(argc - 2, argv + 2);
    if (argc == 2 && std::strcmp(argv[1], "spectrum") == 0)
        return checkSpectrum();
    std::fprintf(stderr, "usage: codec_check jpeg FILE... | codec_check spectrum\n");
    return 2;
}
