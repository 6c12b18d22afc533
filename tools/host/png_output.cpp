#include "tools/host/png_output.h"

#include <png.h>

#include <cstdio>

#include "tools/host/replacing_file.h"

namespace tavolu::host {

bool writePng(const std::string& path, const Canvas& canvas, std::string& error) {
    ReplacingFile out;
    const int fd = out.open(path, error);
    if (fd < 0) return false;
    std::FILE* file = fdopen(fd, "wb");
    if (!file) {
        error = "cannot write " + path;
        return false;
    }
    out.releaseDescriptor();
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(canvas.width());
    image.height = static_cast<png_uint_32>(canvas.height());
    image.format = PNG_FORMAT_RGB;
    const bool ok = png_image_write_to_stdio(&image, file, 0, canvas.data(), 0, nullptr) != 0;
    const std::string why = image.message;
    png_image_free(&image);
    if (std::fclose(file) != 0 || !ok) {
        error = "cannot write " + path + (why.empty() ? "" : ": " + why);
        return false;
    }
    return out.commit(error);
}

}  // namespace tavolu::host
