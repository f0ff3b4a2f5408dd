#include "devtools/screenshot.h"

#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "core/errors.h"
#include "core/frame.h"
#include "core/outfile.h"
#include "gl/dispatch.h"
#include "platform/window.h"
#include "platform/gl.h"

int screenshotCounter = 0;
int stillCounter = 0;

static void put16(uint8_t* p, int v)
{
    p[0] = (uint8_t)v;
    p[1] = (uint8_t)(v >> 8);
}

static void put32(uint8_t* p, int v)
{
    put16(p, v & 0xFFFF);
    put16(p + 2, (int)((unsigned)v >> 16));
}

void makeBmpHeader(uint8_t header[54], int width, int height)
{
    int imageSize = width * height * 3;
    std::memset(header, 0, 54);
    header[0] = 'B';
    header[1] = 'M';
    put32(header + 2, 54 + imageSize);
    put32(header + 10, 54);
    put32(header + 14, 40);
    put32(header + 18, width);
    put32(header + 22, height);
    put16(header + 26, 1);
    put16(header + 28, 24);
    put32(header + 34, imageSize);
}

static std::string withErrno(const char* format, const char* name)
{
    char text[512];
    std::snprintf(text, sizeof text, format, name, std::strerror(errno));
    return text;
}

// A file that can't be written costs the picture, never the show. It goes to
// a temporary file renamed into place once whole, so a full disk leaves no
// half picture under the name. Returns why the whole file did not go out
// ("" when it did).
static std::string writeBmp(const char* name, const uint8_t* bgr, int width, int height)
{
    OutputFile out;
    std::string why;
    FILE* file = beginOutput(name, out, why) ? fdopen(out.fd, "wb") : nullptr;
    if (!file) {
        std::string prefix = std::string(name) + ": ";
        std::string reason = why.rfind(prefix, 0) == 0 ? why.substr(prefix.size()) : why;
        if (out.fd >= 0)
            reason = std::strerror(errno);
        abandonOutput(out);
        return "cannot create " + std::string(name) + " (" + reason +
            "); no picture saved. Run zant from a folder you can write to.";
    }
    out.fd = -1;
    uint8_t header[54];
    makeBmpHeader(header, width, height);
    size_t pixels = (size_t)width * height * 3;
    bool ok = std::fwrite(header, 1, 14, file) == 14;
    ok = ok && std::fwrite(header + 14, 1, 40, file) == 40;
    ok = ok && std::fwrite(bgr, 1, pixels, file) == pixels;
    ok = std::fclose(file) == 0 && ok;
    if (!ok) {
        std::string failed = withErrno("could not write all of %s (%s); no picture saved", name);
        abandonOutput(out);
        return failed;
    }
    if (!commitOutput(out, why))
        return "could not save " + why + "; no picture saved";
    return "";
}

static void* allocateZeroed(size_t bytes, const char* what, std::string& why)
{
    void* block = std::calloc(bytes, 1);
    if (!block && why.empty()) {
        char text[256];
        std::snprintf(text, sizeof text, "no memory for the %s (%zu bytes); no picture saved", what, bytes);
        why = text;
    }
    return block;
}

// Reads from the buffer the frame was drawn into, tightly packed.
static void readFrame(int width, int height, GLenum format, GLenum type, void* into)
{
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glPixelStorei(GL_PACK_SKIP_ROWS, 0);
    glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
    glPushAttrib(GL_PIXEL_MODE_BIT);
    selectFrameReadBuffer();
    glPixelTransferf(GL_DEPTH_SCALE, 1.0f);
    glPixelTransferf(GL_DEPTH_BIAS, 0.0f);
    glReadPixels(0, 0, width, height, format, type, into);
    glPopAttrib();
    glPopClientAttrib();
}

// Both kinds share the vktNNNNN.bmp names with a counter each, starting at 0
// in every run; a name already taken (an earlier run's picture, or the other
// kind's) is skipped, so no saved picture is ever overwritten.
static void claimFreeName(int& counter, char* name, size_t size)
{
    for (;;) {
        std::snprintf(name, size, "vkt%05i.bmp", counter);
        if (access(name, F_OK) != 0)
            return;
        counter++;
    }
}

std::string saveScreenshot()
{
    int width = screenwidth, height = screenheight;
    size_t bytes = (size_t)width * height * 3;
    std::string why;
    uint8_t* pixels = (uint8_t*)allocateZeroed(bytes, "screenshot", why);
    if (!pixels)
        return why;
    readFrame(width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels);
    char name[32];
    claimFreeName(screenshotCounter, name, sizeof name);
    for (size_t i = 0; i < bytes; i += 3) {
        uint8_t red = pixels[i];
        pixels[i] = pixels[i + 2];
        pixels[i + 2] = red;
    }
    why = writeBmp(name, pixels, width, height);
    if (why.empty())
        screenshotCounter++;
    std::free(pixels);
    return why;
}

std::string saveDepthBlurredStill()
{
    // OpenGL ES cannot read the depth buffer back; the show goes on without
    // the still instead of ending on the read's GL error.
    if (glPath() == GlPath::Es)
        return "the depth still needs desktop OpenGL (it reads the depth buffer); not available with --gles";
    int width = screenwidth, height = screenheight;
    size_t count = (size_t)width * height;
    std::string why;
    uint8_t* color = (uint8_t*)allocateZeroed(count * 3, "still's colour buffer", why);
    int32_t* acc = color ? (int32_t*)allocateZeroed(count * 3 * sizeof(int32_t), "still's accumulator", why) : nullptr;
    uint8_t* out = acc ? (uint8_t*)allocateZeroed(count * 3, "still's output", why) : nullptr;
    float* depth = out ? (float*)allocateZeroed(count * sizeof(float), "still's depth buffer", why) : nullptr;
    if (depth) {
        readFrame(width, height, GL_RGB, GL_UNSIGNED_BYTE, color);
        readFrame(width, height, GL_DEPTH_COMPONENT, GL_FLOAT, depth);
        char name[32];
        claimFreeName(stillCounter, name, sizeof name);
        depthBlur(color, depth, width, height, acc, out);
        why = writeBmp(name, out, width, height);
        if (why.empty())
            stillCounter++;
    }
    std::free(depth);
    std::free(out);
    std::free(acc);
    std::free(color);
    return why;
}

// ---- The blur --------------------------------------------------------------
//
// Each source pixel adds trunc(v * 65536 * w / A + acc) to every target its
// disc reaches, in a fixed order. Because of the truncation the result
// depends on that order, so the fast path keeps it exactly: sources row by
// row, then offsets dy, dx. Only the three channels, which never share an
// accumulator, move into the innermost loop. Skipped work is work whose
// value is exactly zero (weights of 0, channels of 0), and v * 65536 * w is
// exact in double, so v * (65536 * w) gives the same bits.

static const int maxReach = 10;  // radius 9 reaches offsets -10..10
static const int kernelSide = 2 * maxReach + 1;

struct BlurKernel {
    float radius;
    int reach;  // n + 1
    int count;
    int dx[kernelSide * kernelSide];
    int dy[kernelSide * kernelSide];
    int offset[kernelSide * kernelSide];           // dy * width + dx
    double scaledWeight[kernelSide * kernelSide];  // 65536 * w
};

static double distanceTable[kernelSide][kernelSide];

static double saturate(double v)
{
    return v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v);
}

static void fillDistanceTable()
{
    for (int dy = -maxReach; dy <= maxReach; dy++)
        for (int dx = -maxReach; dx <= maxReach; dx++)
            distanceTable[dy + maxReach][dx + maxReach] = std::sqrt((double)(dx * dx + dy * dy));
}

static void buildKernel(BlurKernel& k, float radius, int width)
{
    k.radius = radius;
    k.reach = (int)radius + 1;
    k.count = 0;
    for (int dy = -k.reach; dy <= k.reach; dy++) {
        for (int dx = -k.reach; dx <= k.reach; dx++) {
            float w = (float)saturate((double)radius - distanceTable[dy + maxReach][dx + maxReach]);
            if (w == 0.0f)
                continue;
            k.dx[k.count] = dx;
            k.dy[k.count] = dy;
            k.offset[k.count] = dy * width + dx;
            k.scaledWeight[k.count] = 65536.0 * (double)w;
            k.count++;
        }
    }
}

static float blurRadius(float d)
{
    double s = saturate(2.0 * std::fabs(std::pow(1.0 - (double)d, 0.4) - 0.3));
    return (float)(1.0 + 8.0 * s);
}

static inline void splat(int32_t* target, const uint8_t* source, double weight, double area)
{
    for (int c = 0; c < 3; c++)
        if (source[c])
            target[c] = (int32_t)((double)source[c] * weight / area + (double)target[c]);
}

static int clampInt(int v, int low, int high)
{
    return v < low ? low : (v > high ? high : v);
}

static void splatPixel(const BlurKernel& k, const uint8_t* source, int x, int y, int width, int height, double area,
                       int32_t* acc)
{
    bool inside = x >= k.reach && y >= k.reach && x + k.reach < width && y + k.reach < height;
    if (inside) {
        int32_t* centre = acc + ((size_t)y * width + x) * 3;
        for (int i = 0; i < k.count; i++)
            splat(centre + (std::ptrdiff_t)k.offset[i] * 3, source, k.scaledWeight[i], area);
        return;
    }
    for (int i = 0; i < k.count; i++) {
        int tx = clampInt(x + k.dx[i], 0, width - 1);
        int ty = clampInt(y + k.dy[i], 0, height - 1);
        splat(acc + ((size_t)ty * width + tx) * 3, source, k.scaledWeight[i], area);
    }
}

void depthBlur(const uint8_t* rgb, const float* depth, int width, int height, int32_t* acc, uint8_t* out)
{
    static bool tableReady = false;
    if (!tableReady) {
        fillDistanceTable();
        tableReady = true;
    }
    size_t count = (size_t)width * height;
    std::memset(acc, 0, count * 3 * sizeof(int32_t));
    static BlurKernel kernel;
    kernel.radius = -1.0f;
    float lastDepth = NAN;
    float radius = 0.0f;
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
            size_t i = (size_t)y * width + x;
            const uint8_t* source = rgb + i * 3;
            if (!(source[0] | source[1] | source[2]))
                continue;
            if (!(depth[i] == lastDepth)) {
                lastDepth = depth[i];
                radius = blurRadius(lastDepth);
            }
            if (radius != kernel.radius)
                buildKernel(kernel, radius, width);
            double area = (double)(float)((double)radius * (double)radius * 2.356194490192345);
            splatPixel(kernel, source, x, y, width, height, area, acc);
        }
    }
    for (size_t i = 0; i < count; i++)
        for (int c = 0; c < 3; c++)
            out[i * 3 + 2 - c] = (uint8_t)clampInt(acc[i * 3 + c] >> 16, 0, 255);
}
