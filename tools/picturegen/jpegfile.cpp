// libjpeg compression and decompression with errors turned into results.
#include "jpegfile.h"

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <jpeglib.h>
#include <unistd.h>

#include <fcntl.h>

namespace {

// libjpeg reports errors through a callback that must not return; jumping
// back to the caller turns them into a failed result.
struct ErrorTrap {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void trapError(j_common_ptr info)
{
    ErrorTrap* trap = reinterpret_cast<ErrorTrap*>(info->err);
    (*info->err->format_message)(info, trap->message);
    std::longjmp(trap->jump, 1);
}

void silenceWarnings(j_common_ptr, int)
{
}

void setupTrap(ErrorTrap& trap)
{
    jpeg_std_error(&trap.base);
    trap.base.error_exit = trapError;
    trap.base.emit_message = silenceWarnings;
    trap.message[0] = 0;
}

// Kept free of objects with destructors: the error path longjmps through it.
bool compressTo(std::FILE* file, int width, int height, const std::uint8_t* rgb, int quality, char* message)
{
    jpeg_compress_struct info;
    ErrorTrap trap;
    setupTrap(trap);
    info.err = &trap.base;
    if (setjmp(trap.jump)) {
        jpeg_destroy_compress(&info);
        std::snprintf(message, JMSG_LENGTH_MAX, "%s", trap.message);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    // Thin lines and lettering keep their colour at full chroma resolution.
    for (int c = 0; c < info.num_components; ++c) {
        info.comp_info[c].h_samp_factor = 1;
        info.comp_info[c].v_samp_factor = 1;
    }
    info.dct_method = JDCT_ISLOW;
    info.optimize_coding = TRUE;
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rgb + static_cast<size_t>(info.next_scanline) * width * 3);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

}  // namespace

std::string temporaryPath(const std::string& path)
{
    size_t slash = path.find_last_of('/');
    std::string dir = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    return dir + "." + base + ".tmp" + std::to_string(static_cast<long>(getpid()));
}

// Moves the finished file into place. Without replace the kernel refuses to
// overwrite; file systems without that rename flag fall back to a hard link,
// which refuses as well.
bool moveIntoPlace(const std::string& from, const std::string& to, bool replace, std::string& error)
{
    int rc = replace ? std::rename(from.c_str(), to.c_str())
                     : renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE);
    if (rc != 0 && !replace && (errno == EINVAL || errno == ENOSYS)) {
        rc = link(from.c_str(), to.c_str());
        if (rc == 0)
            unlink(from.c_str());
    }
    if (rc == 0)
        return true;
    error = errno == EEXIST ? "already exists" : std::strerror(errno);
    return false;
}

bool writeJpegFile(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb, int quality,
                   bool replace, std::string& error)
{
    if (rgb.size() != static_cast<size_t>(width) * height * 3) {
        error = "pixel buffer does not match the picture size";
        return false;
    }
    std::string temp = temporaryPath(path);
    std::FILE* file = std::fopen(temp.c_str(), "wb");
    if (!file) {
        error = std::string("cannot create ") + temp + ": " + std::strerror(errno);
        return false;
    }
    char message[JMSG_LENGTH_MAX] = {0};
    bool ok = compressTo(file, width, height, rgb.data(), quality, message);
    if (!ok)
        error = std::string("JPEG encoder: ") + message;
    if (std::fflush(file) != 0 || std::ferror(file)) {
        if (ok)
            error = std::string("cannot write ") + temp + ": " + std::strerror(errno);
        ok = false;
    }
    if (std::fclose(file) != 0 && ok) {
        error = std::string("cannot close ") + temp + ": " + std::strerror(errno);
        ok = false;
    }
    if (ok)
        ok = moveIntoPlace(temp, path, replace, error);
    if (!ok)
        std::remove(temp.c_str());
    return ok;
}

namespace {

bool decompressFrom(std::FILE* file, int& width, int& height, int& components, std::vector<std::uint8_t>& samples,
                    char* message)
{
    jpeg_decompress_struct info;
    ErrorTrap trap;
    setupTrap(trap);
    info.err = &trap.base;
    if (setjmp(trap.jump)) {
        jpeg_destroy_decompress(&info);
        std::snprintf(message, JMSG_LENGTH_MAX, "%s", trap.message);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    jpeg_start_decompress(&info);
    width = static_cast<int>(info.output_width);
    height = static_cast<int>(info.output_height);
    components = info.output_components;
    samples.resize(static_cast<size_t>(width) * height * components);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = samples.data() + static_cast<size_t>(info.output_scanline) * width * components;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

}  // namespace

bool readJpegFile(const std::string& path, int& width, int& height, int& components, std::vector<std::uint8_t>& samples,
                  std::string& error)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        error = std::string("cannot open ") + path + ": " + std::strerror(errno);
        return false;
    }
    char message[JMSG_LENGTH_MAX] = {0};
    bool ok = decompressFrom(file, width, height, components, samples, message);
    std::fclose(file);
    if (!ok)
        error = path + ": " + message;
    return ok;
}
