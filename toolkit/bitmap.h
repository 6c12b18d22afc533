// An image the controls draw: decoded once, shared by reference count.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "toolkit/geometry.h"

namespace tavolu {

class CDrawContext;

// Reference-counted: the creator holds the first reference; every other holder
// calls remember() when it keeps the pointer and forget() when it lets go. The
// last forget() deletes the bitmap, so bitmaps live on the heap only.
class CBitmap {
  public:
    // [UI thread] Loads the numbered skin resource; empty when there is none.
    explicit CBitmap(int resourceId);
    // [UI thread] Decodes BMP bytes given directly; empty when they are not valid.
    explicit CBitmap(std::span<const uint8_t> bmpBytes);
    CBitmap(const CBitmap&) = delete;
    CBitmap& operator=(const CBitmap&) = delete;

    void remember() { ++referenceCount; }
    void forget();
    int getReferenceCount() const { return referenceCount; }

    int32_t getWidth() const { return width; }
    int32_t getHeight() const { return height; }
    bool isLoaded() const { return width > 0 && height > 0; }
    int getResourceId() const { return resourceId; }

    // One pixel, 0x00RRGGBB; the caller keeps x and y inside the image.
    uint32_t pixelAt(int32_t x, int32_t y) const {
        return pixels[size_t(y) * size_t(width) + size_t(x)];
    }
    const uint32_t* row(int32_t y) const { return pixels.data() + size_t(y) * size_t(width); }

    // Draws the part of the image starting at `offset` into `dest`, opaque.
    void draw(CDrawContext* context, const CRect& dest, CPoint offset = {}) const;
    // The same, leaving out the colour-key pixels (red 0, green 255, blue 255).
    void drawTransparent(CDrawContext* context, const CRect& dest, CPoint offset = {}) const;

  private:
    ~CBitmap() = default;

    int resourceId = -1;
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;
    int referenceCount = 1;
};

}  // namespace tavolu
