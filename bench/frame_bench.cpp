// Frame cost per timeline row, headless at 640x480, with the start-up phases
// and an empty frame (clear and swap) as the baseline.
// Usage: bench_frames [frames-per-row] [--data DIR]
// Without --data: the default data ctest made in the build folder when it is
// there (so the figures never depend on pictures someone put in data/),
// otherwise ./data.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <unistd.h>

#include "app/headless.h"
#include "bench/timeline_rows.h"
#include "platform/gl.h"
#include "render/state.h"
#include "app/display.h"
#include "core/frame.h"
#include "platform/window.h"
#include "render/caps.h"
#include "texture/assets.h"
#include "texture/assets.h"

static double nowSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

static void summarise(const char* name, std::vector<double>& ms, double baseline)
{
    std::sort(ms.begin(), ms.end());
    double median = ms[ms.size() / 2];
    double p95 = ms[std::min(ms.size() - 1, (size_t)(ms.size() * 0.95))];
    std::printf("| %-32s | %7.2f | %7.2f | %6.1f | %5.1fx |\n", name, median, p95, 1000.0 / median,
                baseline > 0 ? median / baseline : 0.0);
}

static std::vector<double> timeEmptyFrames(int n)
{
    std::vector<double> ms;
    for (int i = 0; i < n; i++) {
        double t0 = nowSeconds();
        applyRenderState(&blackPreset);
        swapFrame();
        glFinish();
        ms.push_back((nowSeconds() - t0) * 1000.0);
    }
    return ms;
}

int main(int argc, char** argv)
{
    int perRow = 60;
    if (access(ZANT_BENCH_DATA "/tunemix.mp3", R_OK) == 0)
        dataDir = ZANT_BENCH_DATA;
    for (int i = 1; i < argc; i++) {
        if (!std::strcmp(argv[i], "--data") && i + 1 < argc)
            dataDir = argv[++i];
        else
            perRow = std::max(1, std::atoi(argv[i]));
    }
    if (!headlessStartup())
        return 1;
    const StartupTimes& s = startupTimes;
    std::printf("GL renderer: %s\n\n", (const char*)glGetString(GL_RENDERER));
    std::printf("Start-up (s): display+mosaic+font %.3f, textures+meshes %.3f, hall build %.3f, "
                "first frame %.3f, music open %.3f, total %.3f\n\n",
                s.display, s.textures, s.hallBuild, s.firstFrame, s.music,
                s.display + s.textures + s.hallBuild + s.firstFrame + s.music);
    std::vector<double> empty = timeEmptyFrames(200);
    std::sort(empty.begin(), empty.end());
    double baseline = empty[empty.size() / 2];
    std::printf("| %-32s | %7s | %7s | %6s | %6s |\n", "row", "med ms", "p95 ms", "fps", "/empty");
    std::printf("|%s|%s|%s|%s|%s|\n", "----------------------------------", "---------", "---------", "--------",
                "-------");
    std::vector<double> e = empty;
    summarise("empty frame (clear + swap)", e, baseline);
    for (const Row& row : rows) {
        std::vector<double> ms;
        for (int i = 0; i < perRow; i++) {
            double t = row.from + (row.to - row.from) * (i + 0.5) / perRow;
            double t0 = nowSeconds();
            drawFrameAt(t);
            ms.push_back((nowSeconds() - t0) * 1000.0);
        }
        summarise(row.name, ms, baseline);
    }
    return 0;
}
