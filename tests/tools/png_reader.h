// Reads a PNG back as 8-bit RGB, for the tests of the host's pictures.
#pragma once

#include <png.h>

#include <cstddef>
#include <string>
#include <vector>

namespace hosttest {

struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    bool valid = false;

    // How many pixels in the rectangle have this colour.
    int count(int left, int top, int right, int bottom, int r, int g, int b) const {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) {
                const unsigned char* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
                n += p[0] == r && p[1] == g && p[2] == b;
            }
        return n;
    }
    // How many pixels in the band of rows [top, bottom) have this colour.
    int count(int top, int bottom, int r, int g, int b) const {
        return count(0, top, width, bottom, r, g, b);
    }
};

inline Picture readPng(const std::string& path) {
    Picture pic;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return pic;
    image.format = PNG_FORMAT_RGB;
    pic.width = static_cast<int>(image.width);
    pic.height = static_cast<int>(image.height);
    pic.rgb.resize(PNG_IMAGE_SIZE(image));
    pic.valid = png_image_finish_read(&image, nullptr, pic.rgb.data(), 0, nullptr) != 0;
    return pic;
}

}  // namespace hosttest
