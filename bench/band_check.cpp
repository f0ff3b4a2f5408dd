// Does anything the show draws fall outside its 16:9 band (rows 60..419 of
// the 640x480 frame)? Draws every frame of the song (or a range) at a frame
// rate, as --render does, and reads the two strips above and below the band.
// Prints each stretch of frames that lit a strip, and a summary line.
// Usage: bench_band_check [--data DIR] [--fps N] [--from P] [--to P]
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/headless.h"
#include "core/datapath.h"
#include "core/frame.h"
#include "core/songtime.h"
#include "music/music.h"
#include "platform/gl.h"
#include "scenes/timeline.h"

static const int bandTop = 60, bandHeight = 360;

struct Spill {
    long pixels = 0;
    int brightest = 0;
    int reach = 0;  // rows from the band's edge to the farthest lit pixel
};

// The strip's lit pixels (any channel above 0), the brightest channel, and
// how far from the band they reach (rows 0..height-1 counted from y, the
// band lying past the end given by `bandAbove`).
static Spill readStrip(int y, int height, bool bandAbove)
{
    static std::vector<uint8_t> rgb((size_t)FRAME_WIDTH * FRAME_HEIGHT * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, y, FRAME_WIDTH, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    Spill s;
    for (size_t i = 0; i < (size_t)FRAME_WIDTH * height; i++) {
        int m = std::max(rgb[i * 3], std::max(rgb[i * 3 + 1], rgb[i * 3 + 2]));
        if (m == 0)
            continue;
        int row = (int)(i / FRAME_WIDTH);
        s.pixels++;
        s.brightest = std::max(s.brightest, m);
        s.reach = std::max(s.reach, bandAbove ? height - row : row + 1);
    }
    return s;
}

int main(int argc, char** argv)
{
    double fps = 60.0, from = 0.0, to = -1.0;
    if (access(ZANT_BENCH_DATA "/tunemix.mp3", R_OK) == 0)
        dataDir = ZANT_BENCH_DATA;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--data"))
            dataDir = argv[i + 1];
        else if (!std::strcmp(argv[i], "--fps"))
            fps = std::atof(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--from"))
            from = std::atof(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--to"))
            to = std::atof(argv[i + 1]);
    }
    if (!headlessStartup())
        return 1;
    int fromMs = millisForPatterns(from);
    int toMs = to < 0.0 ? songLengthMillis() : millisForPatterns(to);
    long frames = (long)std::floor((toMs - fromMs) * fps / 1000.0);
    auto start = std::chrono::steady_clock::now();
    long litFrames = 0, runStart = -1;
    int runReach = 0, runBrightest = 0, reach = 0;
    Spill worst;
    for (long k = 0; k <= frames; k++) {
        bool lit = false;
        if (k < frames) {
            int ms = fromMs + (int)std::floor(k * 1000.0 / fps);
            drawFrameAtMillis(ms);
            Spill below = readStrip(0, bandTop, true);
            Spill above = readStrip(bandTop + bandHeight, FRAME_HEIGHT - bandTop - bandHeight, false);
            lit = below.pixels + above.pixels > 0;
            if (lit) {
                litFrames++;
                worst.pixels = std::max(worst.pixels, below.pixels + above.pixels);
                worst.brightest = std::max(worst.brightest, std::max(below.brightest, above.brightest));
                runReach = std::max(runReach, std::max(below.reach, above.reach));
                runBrightest = std::max(runBrightest, std::max(below.brightest, above.brightest));
                if (runStart < 0)
                    runStart = k;
            }
        }
        if (!lit && runStart >= 0) {
            double t0 = patternsForMillis(fromMs + std::floor(runStart * 1000.0 / fps));
            double t1 = patternsForMillis(fromMs + std::floor((k - 1) * 1000.0 / fps));
            std::printf("frames %ld-%ld (patterns %.3f-%.3f, %s): up to %d rows outside the band, brightest %d\n",
                        runStart, k - 1, t0, t1, sceneNameAt((float)t0), runReach, runBrightest);
            reach = std::max(reach, runReach);
            runStart = -1;
            runReach = runBrightest = 0;
        }
    }
    double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%ld frames at %g fps from pattern %g: %ld drew outside rows %d-%d (most %ld pixels, brightest %d, "
                "up to %d rows out); %.1f s, %.1f frames/s\n",
                frames, fps, from, litFrames, bandTop, bandTop + bandHeight - 1, worst.pixels, worst.brightest, reach,
                secs, frames / secs);
    return litFrames > 0 ? 3 : 0;
}
