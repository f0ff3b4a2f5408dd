// libFuzzer target for the JPEG decoder: any byte string must come back as a
// picture or a reason, with no out-of-bounds access, leak or exit.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "texture/jpeg.h"

// Keeps a hostile header from asking for gigabytes: the real loader has no
// such cap, but memory use is not what this target is after.
static const long long maxFuzzPixels = 4 * 1024 * 1024;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    FILE* file = fmemopen((void*)data, size, "rb");
    if (!file)
        return 0;
    JpegReport report;
    int width = 0, height = 0;
    uint8_t* pixels = decodeJpeg(file, width, height, maxFuzzPixels, report);
    std::fclose(file);
    if (pixels) {
        // Touch both ends so a short buffer shows up under AddressSanitizer.
        size_t last = (size_t)width * height * 3 - 1;
        volatile uint8_t sum = pixels[0] + pixels[last];
        (void)sum;
        std::free(pixels);
    } else if (report.reason[0] == 0) {
        std::abort();  // a failure must always say why
    }
    return 0;
}
