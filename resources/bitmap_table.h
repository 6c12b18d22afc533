// The embedded bitmap files, sorted by resource number. The table itself is
// generated at build time from resources/bitmaps/<id>.bmp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace tavolu::resources::detail {

struct BitmapEntry {
    int id;
    const std::uint8_t* data;
    std::size_t size;  // bytes
};

// All entries, ascending by id. [any thread]
std::span<const BitmapEntry> bitmapTable();

}  // namespace tavolu::resources::detail
