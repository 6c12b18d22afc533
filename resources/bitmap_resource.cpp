// Looks a bitmap up by its resource number in the table compiled into the
// library.
#include <algorithm>

#include "resources/bitmap_table.h"
#include "resources/resources.h"

namespace tavolu::resources {

// [any thread]
std::span<const std::uint8_t> bitmapResource(int id) {
    std::span<const detail::BitmapEntry> table = detail::bitmapTable();
    auto it = std::lower_bound(table.begin(), table.end(), id,
                               [](const detail::BitmapEntry& e, int key) { return e.id < key; });
    if (it == table.end() || it->id != id) return {};
    return {it->data, it->size};
}

}  // namespace tavolu::resources
