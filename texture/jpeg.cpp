#include "texture/jpeg.h"

#include <sys/stat.h>
#include <cstdlib>
#include <cstring>

#include "core/clamp.h"
#include "core/errors.h"
#include "core/frame.h"
#include "render/caps.h"
#include "platform/gl.h"

[[noreturn]] static void failLoad(const char* format, const char* path, const char* detail)
{
    char message[1024];
    std::snprintf(message, sizeof message, format, path, detail);
    fatalError(message);
}

// The decoder filled in what it could not read: the picture is used, and
// the user hears of it.
static void warnIfDamaged(const char* path, const JpegReport& report)
{
    if (report.warnings > 0)
        warning("%s: %s (damaged picture; the unreadable part is filled in)", path, report.warning);
}

static FILE* openPicture(const char* path)
{
    FILE* file = std::fopen(path, "rb");
    if (!file)
        failLoad("%s not found", path, "");
    // fopen happily opens a folder, and libjpeg would then call it empty.
    struct stat info;
    if (fstat(fileno(file), &info) == 0 && S_ISDIR(info.st_mode))
        failLoad("%s is a folder, not a JPEG picture", path, "");
    return file;
}

uint8_t* loadJpeg(const char* path, int& width, int& height)
{
    FILE* file = openPicture(path);
    JpegReport report;
    uint8_t* pixels = decodeJpeg(file, width, height, 0, report);
    std::fclose(file);
    if (!pixels)
        failLoad("%s: %s", path, report.reason);
    warnIfDamaged(path, report);
    return pixels;
}

// Dark pixels fade out in proportion to brightness: a channel sum of 85 or
// more is opaque. Padding is opaque white, right of and below the picture.
static uint8_t* padPicture(const uint8_t* rgb, int w, int h, int pw, int ph)
{
    size_t bytes = (size_t)pw * (size_t)ph * 4;
    uint8_t* rgba = (uint8_t*)std::malloc(bytes);
    if (!rgba)
        return nullptr;
    std::memset(rgba, 0xFF, bytes);
    for (int y = 0; y < h; y++) {
        for (int x = 0; x < w; x++) {
            const uint8_t* src = rgb + ((size_t)y * w + x) * 3;
            uint8_t* dst = rgba + ((size_t)y * pw + x) * 4;
            dst[0] = src[0];
            dst[1] = src[1];
            dst[2] = src[2];
            dst[3] = (uint8_t)clampByte(3 * (src[0] + src[1] + src[2]));
        }
    }
    return rgba;
}

// Into the texture object t already names; false (nothing changed) when
// there is no memory for the padded copy or a side has no texture size.
static bool uploadPicture(Texture* t, const uint8_t* rgb, int w, int h, Color4 scale)
{
    int pw = nextPowerOfTwo(w), ph = nextPowerOfTwo(h);
    if (pw == 0 || ph == 0)  // the decoder refuses such sides; never pad to nothing
        return false;
    uint8_t* rgba = padPicture(rgb, w, h, pw, ph);
    if (!rgba)
        return false;
    t->width = pw;
    t->height = ph;
    t->scale.x = (float)((double)w / pw * scale.x);
    t->scale.y = (float)((double)h / ph * scale.y);
    t->scale.z = scale.z;
    glBindTexture(GL_TEXTURE_2D, t->name);
    gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGBA8, pw, ph, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    std::free(rgba);
    return true;
}

Texture* loadTexture(const char* path, Color4 scale, int flags)
{
    Texture* t = new Texture{};
    int w = 0, h = 0;
    uint8_t* rgb = loadJpeg(path, w, h);
    glGenTextures(1, &t->name);
    t->flags = flags;
    if (!uploadPicture(t, rgb, w, h, scale))
        failLoad("%s: not enough memory for its texture, or a side outside 2 to 65536 pixels%s", path, "");
    std::free(rgb);
    presentLoadingFrame();
    return t;
}

bool reloadTexture(Texture* t, const char* path, Color4 scale)
{
    FILE* file = std::fopen(path, "rb");
    if (!file) {
        warning("%s not found; the old picture stays", path);
        return false;
    }
    struct stat info;
    if (fstat(fileno(file), &info) == 0 && S_ISDIR(info.st_mode)) {
        std::fclose(file);
        warning("%s is a folder, not a JPEG picture; the old picture stays", path);
        return false;
    }
    JpegReport report;
    int w = 0, h = 0;
    uint8_t* rgb = decodeJpeg(file, w, h, 0, report);
    std::fclose(file);
    if (!rgb) {
        warning("%s: %s; the old picture stays", path, report.reason);
        return false;
    }
    warnIfDamaged(path, report);
    bool uploaded = uploadPicture(t, rgb, w, h, scale);
    std::free(rgb);
    if (!uploaded)
        warning("%s: not enough memory for its texture; the old picture stays", path);
    return uploaded;
}
