// Stands in for the program on the page until the web platform is built in:
// the same exports and the same calls into the page (Module.zantWeb) that
// platform/web makes, so the page's side of the boundary is tested for real.
// It prints its arguments and what it finds, and clears the canvas (WebGL 2)
// to a colour made from the data it was handed.
#include <emscripten.h>
#include <emscripten/html5.h>
#include <GLES3/gl3.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

static int16_t* songSamples;
static long long songSampleCount;

extern "C" EMSCRIPTEN_KEEPALIVE int16_t* zantWebSongBuffer(int frames, int channels, int rate)
{
    (void)rate;
    songSampleCount = (long long)frames * channels;
    songSamples = (int16_t*)std::malloc((size_t)songSampleCount * sizeof(int16_t));
    return songSamples;
}

EM_JS(double, webSongFrame, (), { return Module.zantWeb.songFrame(); });
EM_JS(int, webSongRate, (), { return Module.zantWeb.songRate(); });
EM_JS(int, webStillMode, (), { return Module.zantWeb.stillMode() ? 1 : 0; });
EM_JS(void, webStillDone, (), { Module.zantWeb.stillDone(); });

static long fileSize(const char* path)
{
    FILE* file = std::fopen(path, "rb");
    if (!file)
        return -1;
    std::fseek(file, 0, SEEK_END);
    long size = std::ftell(file);
    std::fclose(file);
    return size;
}

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; i++)
        std::printf("probe: arg %s\n", argv[i]);
    long long peak = 0;
    for (long long i = 0; i < songSampleCount; i++)
        peak = std::max(peak, (long long)std::abs(songSamples[i]));
    std::printf("probe: samples %lld peak %lld rate %d frame %.0f\n", songSampleCount, peak, webSongRate(),
                webSongFrame());
    std::printf("probe: bg1.jpg %ld bytes, overlay-font.ttf %ld bytes\n", fileSize("/data/bg1.jpg"),
                fileSize("/data/overlay-font.ttf"));

    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.majorVersion = 2;
    attributes.preserveDrawingBuffer = true;
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = emscripten_webgl_create_context("#canvas", &attributes);
    if (context <= 0 || emscripten_webgl_make_context_current(context) != EMSCRIPTEN_RESULT_SUCCESS) {
        std::printf("probe: no WebGL 2 context\n");
        return 1;
    }
    // Red: the song arrived (a loud sample somewhere); green: the picture did.
    glClearColor(peak > 16384 ? 1.0f : 0.0f, fileSize("/data/bg1.jpg") > 0 ? 1.0f : 0.0f, 0.5f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    if (webStillMode())
        webStillDone();
    return 0;
}
