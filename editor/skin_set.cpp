#include "editor/skin_set.h"

#include <algorithm>

#include "toolkit/bitmap.h"

namespace tavolu {

void SkinSet::load() {
    load([](int resourceId) { return new CBitmap(resourceId); });
}

void SkinSet::load(const Loader& loader) {
    for (size_t slot = 0; slot < bitmaps.size(); ++slot) {
        if (!bitmaps[slot]) bitmaps[slot] = loader(kLoadOrder[slot]);
    }
}

void SkinSet::release() {
    for (CBitmap*& bitmap : bitmaps) {
        if (bitmap) bitmap->forget();
        bitmap = nullptr;
    }
}

int SkinSet::slotOf(int resourceId) {
    const auto it = std::find(kLoadOrder.begin(), kLoadOrder.end(), resourceId);
    return it == kLoadOrder.end() ? -1 : int(it - kLoadOrder.begin());
}

CBitmap* SkinSet::get(int resourceId) const {
    const int slot = slotOf(resourceId);
    return slot < 0 ? nullptr : bitmaps[size_t(slot)];
}

bool SkinSet::isComplete() const {
    return std::all_of(bitmaps.begin(), bitmaps.end(), [](CBitmap* b) { return b != nullptr; });
}

}  // namespace tavolu
