// Cost of the frame feedback effects on the headless context, per call, with
// the mosaic grids filled both ways: 1360 single-pixel copies on the graphics
// side, and one read-back of the frame with one upload per grid.
// Prints figures: build/bench/bench_effects [calls].
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/display.h"
#include "core/frame.h"
#include "platform/window.h"
#include "render/caps.h"
#include "texture/assets.h"
#include "fx/effects.h"
#include "render/camera.h"
#include "platform/gl.h"
#include "render/state.h"
#include "texture/procedural.h"

static const int W = 640, H = 480;

static void putFrame()
{
    std::vector<uint8_t> rgb((size_t)W * H * 3);
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++) {
            uint8_t* p = &rgb[((size_t)y * W + x) * 3];
            p[0] = (uint8_t)(x * 255 / 639);
            p[1] = (uint8_t)(y * 255 / 479);
            p[2] = (uint8_t)((x * 7 + y * 13) & 255);
        }
    applyRenderState(nullptr);
    glDisable(GL_DEPTH_TEST);
    glViewport(0, 0, W, H);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glWindowPos2i(0, 0);
    glDrawPixels(W, H, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    setOrtho(0);
}

static std::vector<uint8_t> gridTexels()
{
    std::vector<uint8_t> all;
    for (int i = 0; i < 4; i++) {
        std::vector<uint8_t> t((size_t)mosaictex[i]->width * mosaictex[i]->height * 4);
        glBindTexture(GL_TEXTURE_2D, mosaictex[i]->name);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, t.data());
        all.insert(all.end(), t.begin(), t.end());
    }
    return all;
}

template<class F>
static double msPerCall(int n, F f)
{
    glFinish();
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < n; i++) {
        putFrame();
        f();
        glFinish();
    }
    double total = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    start = std::chrono::steady_clock::now();
    for (int i = 0; i < n; i++) {
        putFrame();
        glFinish();
    }
    double base = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    return (total - base) / n;
}

int main(int argc, char** argv)
{
    int n = argc > 1 ? std::atoi(argv[1]) : 20;
    char err[256] = "";
    if (!createHeadlessContext(err, sizeof err)) {
        std::fprintf(stderr, "effects_bench: %s\n", err);
        return 1;
    }
    screenwidth = W;
    screenheight = H;
    texwidth = 1024;
    texheight = 512;
    Texture* screen = makeScreenTexture();
    const int sizes[4] = {32, 16, 8, 4};
    for (int i = 0; i < 4; i++)
        mosaictex[i] = makeNoiseTexture(sizes[i], sizes[i], 0, 255, Color4{1, 1, 1, 0}, DF_CLAMP);
    std::printf("renderer: %s\n", (const char*)glGetString(GL_RENDERER));
    std::printf("ms per call, frame upload subtracted, %d calls each\n", n);
    std::printf("  smearEffect(5 pairs)          %7.2f\n",
                msPerCall(n, [&] { smearEffect(screen, 5, 4.0f, 0.3f, 0); }));
    std::printf("  mirrorEffect                  %7.2f\n", msPerCall(n, [&] { mirrorEffect(screen, 0.6f, DF_ADD); }));
    mosaicSampling = MOSAIC_COPIES;
    std::printf("  mosaicGlow, 1360 pixel copies %7.2f\n",
                msPerCall(n, [&] { mosaicGlow(0.5f, DF_ADD | DF_NEAREST); }));
    auto copied = gridTexels();
    mosaicSampling = MOSAIC_READBACK;
    std::printf("  mosaicGlow, one read-back     %7.2f\n",
                msPerCall(n, [&] { mosaicGlow(0.5f, DF_ADD | DF_NEAREST); }));
    auto readBack = gridTexels();
    std::printf("grids identical both ways: %s\n", copied == readBack ? "yes" : "NO");
    return 0;
}
