// Cost of the depth-blurred still at 640x480: the blur alone on frames that
// stress it differently, then the whole key action (read-back, blur, file)
// on a headless context. The goal is under a second per still.
// Usage: bench_still [--reference]   (--reference also times the plain loops)
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "app/display.h"
#include "core/frame.h"
#include "platform/window.h"
#include "render/caps.h"
#include "texture/assets.h"
#include "devtools/screenshot.h"
#include "platform/gl.h"

static const int W = 640, H = 480;

static double nowSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

struct Frame {
    const char* name;
    std::vector<uint8_t> rgb;
    std::vector<float> depth;
};

static Frame makeFrame(const char* name, int kind)
{
    std::mt19937 random(7);
    Frame f{name, std::vector<uint8_t>(W * H * 3), std::vector<float>(W * H)};
    for (auto& v : f.rgb)
        v = (uint8_t)random();
    for (int y = 0; y < H; y++) {
        for (int x = 0; x < W; x++) {
            float& d = f.depth[y * W + x];
            switch (kind) {
            case 0: d = 0.0f; break;                                                   // radius 9 everywhere
            case 1: d = 1.0f; break;                                                   // far plane, 5.8
            case 2: d = (float)(0.5 + 0.5 * (x + W * y) / (double)(W * H)); break;     // new radius each pixel
            default: d = y < H / 2 ? 1.0f : (float)(1.0 - std::pow(0.3, 2.5)); break;  // half sky, half in focus
            }
        }
    }
    return f;
}

static double saturate(double v)
{
    return v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v);
}

static int clampTo(int v, int low, int high)
{
    return v < low ? low : (v > high ? high : v);
}

// The loops as written down, for comparison only.
static void plainBlur(const Frame& f, std::vector<int32_t>& acc)
{
    acc.assign(W * H * 3, 0);
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++) {
            double s = saturate(2.0 * std::fabs(std::pow(1.0 - f.depth[y * W + x], 0.4) - 0.3));
            float r = (float)(1.0 + 8.0 * s);
            float area = (float)((double)r * r * 2.356194490192345);
            int n = (int)r;
            for (int c = 0; c < 3; c++)
                for (int dy = -(n + 1); dy <= n + 1; dy++)
                    for (int dx = -(n + 1); dx <= n + 1; dx++) {
                        float w = (float)saturate(r - std::sqrt((double)(dx * dx + dy * dy)));
                        int32_t& a = acc[(clampTo(y + dy, 0, H - 1) * W + clampTo(x + dx, 0, W - 1)) * 3 + c];
                        a = (int32_t)(f.rgb[(y * W + x) * 3 + c] * 65536.0 * w / area + a);
                    }
        }
}

static void timeBlur(const Frame& f, bool reference)
{
    std::vector<int32_t> acc(W * H * 3);
    std::vector<uint8_t> out(W * H * 3);
    double best = 1e9;
    for (int run = 0; run < 3; run++) {
        double t0 = nowSeconds();
        depthBlur(f.rgb.data(), f.depth.data(), W, H, acc.data(), out.data());
        best = std::min(best, nowSeconds() - t0);
    }
    std::printf("%-34s %8.1f ms", f.name, best * 1000.0);
    if (reference) {
        std::vector<int32_t> plain;
        double t0 = nowSeconds();
        plainBlur(f, plain);
        double t = nowSeconds() - t0;
        std::printf("   plain loops %8.1f ms (x%.1f)%s", t * 1000.0, t / best, plain == acc ? "" : "  MISMATCH");
    }
    std::printf("\n");
}

// The whole "f" key on a headless context: a cleared frame at the far plane.
static void timeKeyAction()
{
    char err[256];
    if (!createHeadlessContext(err, sizeof err)) {
        std::printf("whole still: no headless context (%s)\n", err);
        return;
    }
    screenwidth = W;
    screenheight = H;
    glClearColor(0.3f, 0.5f, 0.7f, 1.0f);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    std::string folder = "/tmp/zant_bench_still." + std::to_string(getpid());
    mkdir(folder.c_str(), 0700);
    char home[4096];
    if (!getcwd(home, sizeof home) || chdir(folder.c_str()) != 0)
        return;
    double best = 1e9;
    for (int run = 0; run < 3; run++) {
        stillCounter = 0;
        double t0 = nowSeconds();
        saveDepthBlurredStill();
        best = std::min(best, nowSeconds() - t0);
    }
    std::remove("vkt00000.bmp");
    if (chdir(home) != 0)
        std::printf("cannot return to %s\n", home);
    rmdir(folder.c_str());
    std::printf("%-34s %8.1f ms (read-back, blur, write)\n", "whole still, far plane", best * 1000.0);
}

int main(int argc, char** argv)
{
    bool reference = argc > 1 && std::strcmp(argv[1], "--reference") == 0;
    std::printf("depth-blurred still, 640x480, best of 3\n");
    timeBlur(makeFrame("random colour, radius 9", 0), reference);
    timeBlur(makeFrame("random colour, far plane (5.8)", 1), reference);
    timeBlur(makeFrame("random colour, depth ramp", 2), reference);
    timeBlur(makeFrame("half far, half in focus", 3), reference);
    timeKeyAction();
    return 0;
}
