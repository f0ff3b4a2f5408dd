// Frame cost per timeline row, headless at 640x480, with the start-up phases
// and an empty frame (clear and swap) as the baseline.
// Usage: bench_frames [frames-per-row] [--data DIR] [--gles | --both] [--row K]
//   --gles  every figure on the OpenGL ES layer instead of the desktop GL
//   --both  both paths side by side, row by row (the OpenGL ES one in a child
//           process), with the ratio of their medians
//   --row   only the timeline's row K (1 to 13), e.g. under a profiler
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
#include "bench/both_paths.h"
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

static std::vector<double> timeRow(const Row& row, int perRow)
{
    std::vector<double> ms;
    for (int i = 0; i < perRow; i++) {
        double t = row.from + (row.to - row.from) * (i + 0.5) / perRow;
        double t0 = nowSeconds();
        drawFrameAt(t);
        ms.push_back((nowSeconds() - t0) * 1000.0);
    }
    return ms;
}

static std::vector<double> medianAndP95(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms[std::min(ms.size() - 1, (size_t)(ms.size() * 0.95))]};
}

// Measurement 0 is the empty frame, k the timeline's row k - 1.
static std::vector<double> measure(int k, int perRow)
{
    if (k == 0)
        return medianAndP95(timeEmptyFrames(200));
    return medianAndP95(timeRow(rows[k - 1], perRow));
}

static int sideBySide(int perRow)
{
    PathChild child;
    if (!startEsChild(child, [perRow](int k) { return measure(k, perRow); }))
        return 1;
    if (!headlessStartup())
        return 1;
    std::printf("GL renderer: %s; frames per row: %d\n\n", (const char*)glGetString(GL_RENDERER), perRow);
    std::printf("| %-32s | %13s | %13s | %7s |\n", "row", "GL 1.1 med/p95", "GLES med/p95", "GLES/GL");
    std::printf("|%s|%s|%s|%s|\n", "----------------------------------", "---------------", "---------------",
                "---------");
    int n = (int)(sizeof rows / sizeof rows[0]);
    for (int k = 0; k <= n; k++) {
        std::vector<double> desktop = measure(k, perRow);
        std::vector<double> es = askEsChild(child, k);
        if (es.size() != 2) {
            std::printf("the OpenGL ES child stopped\n");
            break;
        }
        std::printf("| %-32s | %6.2f %6.2f | %6.2f %6.2f | %6.2fx |\n", k == 0 ? "empty frame (clear + swap)" : rows[k - 1].name,
                    desktop[0], desktop[1], es[0], es[1], es[0] / desktop[0]);
        std::fflush(stdout);
    }
    stopEsChild(child);
    return 0;
}

int main(int argc, char** argv)
{
    int perRow = 60;
    bool both = false;
    int onlyRow = 0;
    if (access(ZANT_BENCH_DATA "/tunemix.mp3", R_OK) == 0)
        dataDir = ZANT_BENCH_DATA;
    for (int i = 1; i < argc; i++) {
        if (!std::strcmp(argv[i], "--data") && i + 1 < argc)
            dataDir = argv[++i];
        else if (!std::strcmp(argv[i], "--gles"))
            glesRequested = true;
        else if (!std::strcmp(argv[i], "--both"))
            both = true;
        else if (!std::strcmp(argv[i], "--row") && i + 1 < argc)
            onlyRow = std::atoi(argv[++i]);
        else
            perRow = std::max(1, std::atoi(argv[i]));
    }
    if (both)
        return sideBySide(perRow);
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
        if (onlyRow > 0 && &row != &rows[onlyRow - 1])
            continue;
        std::vector<double> ms = timeRow(row, perRow);
        summarise(row.name, ms, baseline);
    }
    return 0;
}
