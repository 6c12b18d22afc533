// Points, rectangles and colours in window pixels. A rectangle's right and
// bottom edges are exclusive: CRect(0, 0, 10, 5) covers columns 0..9, rows 0..4.
#pragma once

#include <algorithm>
#include <cstdint>

namespace tavolu {

struct CPoint {
    int32_t x = 0;
    int32_t y = 0;

    constexpr CPoint() = default;
    constexpr CPoint(int32_t px, int32_t py) : x(px), y(py) {}
    constexpr bool operator==(const CPoint&) const = default;
};

struct CRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    constexpr CRect() = default;
    constexpr CRect(int32_t l, int32_t t, int32_t r, int32_t b)
        : left(l), top(t), right(r), bottom(b) {}
    constexpr bool operator==(const CRect&) const = default;

    // Sizes as 64-bit values: a rectangle spanning the whole int32 range must
    // not overflow when measured.
    constexpr int64_t width() const { return int64_t{right} - left; }
    constexpr int64_t height() const { return int64_t{bottom} - top; }
    constexpr bool isEmpty() const { return right <= left || bottom <= top; }

    constexpr bool contains(CPoint p) const {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    constexpr bool intersects(const CRect& other) const { return !intersection(other).isEmpty(); }
    constexpr CRect intersection(const CRect& other) const {
        return {std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
                std::min(bottom, other.bottom)};
    }
    // The smallest rectangle holding both; an empty side is ignored.
    constexpr CRect unite(const CRect& other) const {
        if (isEmpty()) return other;
        if (other.isEmpty()) return *this;
        return {std::min(left, other.left), std::min(top, other.top), std::max(right, other.right),
                std::max(bottom, other.bottom)};
    }
};

struct CColor {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t alpha = 255;

    constexpr bool operator==(const CColor&) const = default;
    // As stored in a pixel buffer: 0x00RRGGBB.
    constexpr uint32_t pixel() const {
        return (uint32_t{red} << 16) | (uint32_t{green} << 8) | uint32_t{blue};
    }
};

constexpr CColor kWhiteCColor{255, 255, 255, 255};
constexpr CColor kBlackCColor{0, 0, 0, 255};

// The colour key of control images: pixels of this colour are left out.
constexpr uint32_t kColorKeyPixel = 0x0000FFFF;  // red 0, green 255, blue 255

}  // namespace tavolu
