#include "toolkit/bmp_decoder.h"

#include <cstddef>

namespace tavolu {

namespace {

constexpr size_t kFileHeaderSize = 14;  // bytes
constexpr size_t kInfoHeaderSize = 40;  // bytes, the smallest header with the fields we read
constexpr uint32_t kBiRgb = 0;          // uncompressed

uint32_t readU32(std::span<const uint8_t> b, size_t at) {
    return uint32_t{b[at]} | (uint32_t{b[at + 1]} << 8) | (uint32_t{b[at + 2]} << 16) |
           (uint32_t{b[at + 3]} << 24);
}
uint16_t readU16(std::span<const uint8_t> b, size_t at) {
    return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}
int32_t readI32(std::span<const uint8_t> b, size_t at) {
    return static_cast<int32_t>(readU32(b, at));
}

}  // namespace

DecodedImage decodeBmp(std::span<const uint8_t> bytes) {
    if (bytes.size() < kFileHeaderSize + kInfoHeaderSize) return {};
    if (bytes[0] != 'B' || bytes[1] != 'M') return {};

    const uint64_t pixelOffset = readU32(bytes, 10);
    const uint32_t headerSize = readU32(bytes, 14);
    const int32_t width = readI32(bytes, 18);
    const int32_t height = readI32(bytes, 22);  // positive: rows stored bottom-up
    const uint16_t planes = readU16(bytes, 26);
    const uint16_t bitsPerPixel = readU16(bytes, 28);
    const uint32_t compression = readU32(bytes, 30);

    if (headerSize < kInfoHeaderSize || planes != 1 || bitsPerPixel != 24 ||
        compression != kBiRgb) {
        return {};
    }
    if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide) return {};
    if (pixelOffset < kFileHeaderSize + headerSize) return {};

    // Every row is padded to four bytes; the last row's padding may be missing.
    const uint64_t rowBytes = uint64_t(width) * 3;
    const uint64_t stride = (rowBytes + 3) & ~uint64_t{3};
    const uint64_t needed = pixelOffset + stride * uint64_t(height - 1) + rowBytes;
    if (needed > bytes.size()) return {};

    DecodedImage image;
    image.width = width;
    image.height = height;
    image.pixels.resize(size_t(width) * size_t(height));
    for (int32_t row = 0; row < height; ++row) {
        const uint64_t source = pixelOffset + stride * uint64_t(height - 1 - row);
        uint32_t* out = image.pixels.data() + size_t(row) * size_t(width);
        for (int32_t x = 0; x < width; ++x) {
            const size_t at = size_t(source) + size_t(x) * 3;  // blue, green, red
            out[x] = (uint32_t{bytes[at + 2]} << 16) | (uint32_t{bytes[at + 1]} << 8) |
                     uint32_t{bytes[at]};
        }
    }
    return image;
}

}  // namespace tavolu
