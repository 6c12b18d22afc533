// Decoding of the skin's image format: 24-bit uncompressed BMP files with
// bottom-up rows padded to four bytes. Anything else is refused.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace tavolu {

struct DecodedImage {
    int32_t width = 0;             // px
    int32_t height = 0;            // px
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, rows top to bottom
};

// Largest side we accept (px): keeps a corrupt header from asking for gigabytes.
constexpr int32_t kMaxImageSide = 16384;

// Decodes `bytes`; a malformed, truncated or unsupported file gives an empty
// image (width and height 0). Never reads outside `bytes`. [any thread]
DecodedImage decodeBmp(std::span<const uint8_t> bytes);

}  // namespace tavolu
