// Writing images to disk: the 24-bit BMP files the plug-in embeds, and PNG
// for the preview.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "canvas.h"

namespace tavolu::skin {

// An uncompressed 24-bit BMP (BI_RGB, rows bottom-up, padded to 4 bytes).
std::vector<std::uint8_t> encodeBmp(const Image& img);

// Both throw std::runtime_error when the file cannot be written.
void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes);
void writePng(const std::string& path, const Image& img);

}  // namespace tavolu::skin
