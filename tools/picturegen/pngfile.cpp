#include "pngfile.h"

#include "jpegfile.h"

#include <png.h>
#include <unistd.h>

bool writePngFile(const std::string& path, int width, int height, int channels,
                  const std::vector<std::uint8_t>& samples, bool replace, std::string& error)
{
    if ((channels != 3 && channels != 4) || samples.size() != static_cast<size_t>(width) * height * channels) {
        error = "pixel buffer does not match the picture size";
        return false;
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = channels == 4 ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    std::string temp = temporaryPath(path);
    if (!png_image_write_to_file(&image, temp.c_str(), 0, samples.data(), 0, nullptr)) {
        error = std::string("PNG encoder: ") + image.message;
        unlink(temp.c_str());
        return false;
    }
    if (!moveIntoPlace(temp, path, replace, error)) {
        unlink(temp.c_str());
        return false;
    }
    return true;
}
