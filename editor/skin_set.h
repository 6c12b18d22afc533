// The editor's own references to the skin bitmaps the controls draw. Open
// loads them, in a fixed order, before it builds the controls; close lets go
// of them. Each control keeps references of its own, so a bitmap lives until
// both the set and every control that shows it are gone.
#pragma once

#include <array>
#include <functional>

namespace tavolu {

class CBitmap;

class SkinSet {
  public:
    static constexpr int kBitmapCount = 38;
    // Resource ids in the order open loads them (the window background, 128,
    // is the editor's own and not part of the set).
    static constexpr std::array<int, kBitmapCount> kLoadOrder{
        151, 150, 152, 153, 154, 155, 156, 157, 158, 159, 160, 161, 166,
        167, 168, 169, 170, 149, 139, 140, 141, 142, 143, 144, 146, 163,
        165, 162, 164, 129, 130, 131, 132, 133, 134, 135, 136, 138};

    // Makes the bitmap for a resource id; the caller owns the first reference.
    using Loader = std::function<CBitmap*(int resourceId)>;

    SkinSet() = default;
    ~SkinSet() { release(); }
    SkinSet(const SkinSet&) = delete;
    SkinSet& operator=(const SkinSet&) = delete;

    // [UI thread] Loads, in load order, every bitmap not loaded yet; one that
    // is already held is kept as it is.
    void load();
    void load(const Loader& loader);
    // [UI thread] Lets go of the set's reference to each bitmap and forgets it.
    void release();

    // [UI thread] The bitmap for a resource id, or null while it is not loaded
    // or when the id is not one of the set's.
    CBitmap* get(int resourceId) const;
    // [UI thread] True when every bitmap of the set is held.
    bool isComplete() const;

  private:
    static int slotOf(int resourceId);

    std::array<CBitmap*, kBitmapCount> bitmaps{};  // by position in kLoadOrder
};

}  // namespace tavolu
