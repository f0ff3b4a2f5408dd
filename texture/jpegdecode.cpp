#include "texture/jpeg.h"  // brings cstdio, which jpeglib.h needs first

#include <jpeglib.h>
#include <jerror.h>
#include <csetjmp>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

// The decoder alone: no GL and no process exit, so the fuzzer can drive it.
static_assert(sizeof(JpegReport::reason) >= JMSG_LENGTH_MAX, "room for libjpeg's messages");
static_assert(sizeof(JpegReport::warning) >= JMSG_LENGTH_MAX, "room for libjpeg's messages");

// libjpeg's own handler prints and calls exit(), which would skip our
// teardown and message; errors come back here through longjmp instead.
// Nothing with a destructor may live in the frames the jump crosses.
struct JpegTrap {
    jpeg_error_mgr mgr;  // first, so the library's err pointer is the trap
    jmp_buf jump;
    JpegReport* report;
    uint8_t* pixels;  // freed on the error path
    bool endedEarly;
};

static void trapError(j_common_ptr cinfo)
{
    JpegTrap* trap = (JpegTrap*)cinfo->err;
    char reason[JMSG_LENGTH_MAX];
    cinfo->err->format_message(cinfo, reason);
    // A header cut short shows up as some odd structural error after the
    // library has padded the input with a fake end marker: say so.
    const char* note = trap->endedEarly ? " (the file is cut short)" : "";
    std::snprintf(trap->report->reason, sizeof trap->report->reason, "%s%s", reason, note);
    std::longjmp(trap->jump, 1);
}

// Warnings (level -1) are recoverable damage: keep the first for the caller
// and carry on. Trace messages (levels 0 and up) are dropped.
static void keepWarning(j_common_ptr cinfo, int level)
{
    if (level >= 0)
        return;
    JpegTrap* trap = (JpegTrap*)cinfo->err;
    if (cinfo->err->msg_code == JWRN_JPEG_EOF)
        trap->endedEarly = true;
    if (trap->report->warnings == 0)
        cinfo->err->format_message(cinfo, trap->report->warning);
    trap->report->warnings++;
    cinfo->err->num_warnings++;
}

[[noreturn]] static void reject(JpegTrap* trap, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::vsnprintf(trap->report->reason, sizeof trap->report->reason, format, args);
    va_end(args);
    std::longjmp(trap->jump, 1);
}

// Texture sides must lie in the power-of-two range 2..65536; colour must come
// out as three channels. Checked before anything is decoded or allocated.
static void checkHeader(j_decompress_ptr cinfo, JpegTrap* trap, long long maxPixels)
{
    unsigned w = cinfo->image_width, h = cinfo->image_height;
    if (w < 2 || h < 2 || w > 65536 || h > 65536)
        reject(trap, "picture is %ux%u pixels; each side must be 2 to 65536", w, h);
    if (maxPixels > 0 && (long long)w * h > maxPixels)
        reject(trap, "picture is %ux%u pixels, more than the %lld allowed", w, h, maxPixels);
    if (cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK)
        reject(trap, "CMYK pictures are not supported (save it as RGB)");
    if (cinfo->jpeg_color_space == JCS_GRAYSCALE)
        cinfo->out_color_space = JCS_RGB;
}

static void readRows(j_decompress_ptr cinfo, JpegTrap* trap)
{
    if (cinfo->output_components != 3)
        reject(trap, "unsupported colour layout (%d channels; save it as RGB)", cinfo->output_components);
    size_t rowBytes = (size_t)cinfo->output_width * 3;
    JSAMPARRAY row =
        cinfo->mem->alloc_sarray((j_common_ptr)cinfo, JPOOL_IMAGE, cinfo->output_width * cinfo->output_components, 1);
    trap->pixels = (uint8_t*)std::malloc(rowBytes * cinfo->output_height);
    if (!trap->pixels)
        reject(trap, "not enough memory for a %ux%u picture", cinfo->output_width, cinfo->output_height);
    while (cinfo->output_scanline < cinfo->output_height) {
        uint8_t* dst = trap->pixels + rowBytes * cinfo->output_scanline;
        if (jpeg_read_scanlines(cinfo, row, 1) != 1)
            reject(trap, "decoding stopped at row %u", cinfo->output_scanline);
        std::memcpy(dst, row[0], rowBytes);
    }
}

uint8_t* decodeJpeg(FILE* file, int& width, int& height, long long maxPixels, JpegReport& report)
{
    std::memset(&report, 0, sizeof report);
    jpeg_decompress_struct cinfo;
    JpegTrap trap;
    std::memset(&cinfo, 0, sizeof cinfo);
    std::memset(&trap, 0, sizeof trap);
    trap.report = &report;
    cinfo.err = jpeg_std_error(&trap.mgr);
    trap.mgr.error_exit = trapError;
    trap.mgr.emit_message = keepWarning;
    if (setjmp(trap.jump)) {
        jpeg_destroy_decompress(&cinfo);
        std::free(trap.pixels);
        return nullptr;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, file);
    jpeg_read_header(&cinfo, TRUE);
    checkHeader(&cinfo, &trap, maxPixels);
    jpeg_start_decompress(&cinfo);
    readRows(&cinfo, &trap);
    int w = (int)cinfo.output_width, h = (int)cinfo.output_height;
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    width = w;
    height = h;
    return trap.pixels;
}
