#include <fstream>
#include <stdexcept>

#include "image_files.h"

namespace tavolu::skin {

namespace {

void put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

}  // namespace

std::vector<std::uint8_t> encodeBmp(const Image& img) {
    constexpr std::uint32_t kHeaderSize = 14 + 40;  // file header + BITMAPINFOHEADER
    const auto w = static_cast<std::uint32_t>(img.width);
    const auto h = static_cast<std::uint32_t>(img.height);
    const std::uint32_t stride = (w * 3 + 3) & ~3u;
    const std::uint32_t dataSize = stride * h;

    std::vector<std::uint8_t> out;
    out.reserve(kHeaderSize + dataSize);
    out.push_back('B');
    out.push_back('M');
    put32(out, kHeaderSize + dataSize);
    put32(out, 0);  // reserved
    put32(out, kHeaderSize);
    put32(out, 40);
    put32(out, w);
    put32(out, h);  // positive: bottom-up
    put16(out, 1);  // planes
    put16(out, 24);
    put32(out, 0);  // BI_RGB
    put32(out, dataSize);
    put32(out, 2835);  // 72 dpi, in px per metre
    put32(out, 2835);
    put32(out, 0);
    put32(out, 0);
    for (int y = img.height - 1; y >= 0; --y) {
        for (int x = 0; x < img.width; ++x) {
            Rgb8 p = img.at(x, y);
            out.push_back(p.b);
            out.push_back(p.g);
            out.push_back(p.r);
        }
        for (std::uint32_t pad = w * 3; pad < stride; ++pad) out.push_back(0);
    }
    return out;
}

void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
    if (!f) throw std::runtime_error("cannot write " + path);
}

}  // namespace tavolu::skin
