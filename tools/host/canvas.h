// An RGB picture in memory with the few drawing operations the plot needs;
// the editor's picture is copied into one pixel by pixel.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace tavolu::host {

struct Rgb {
    std::uint8_t r, g, b;
};

class Canvas {
  public:
    Canvas(int width, int height, Rgb background)
        : width_(width), height_(height), pixels_(static_cast<std::size_t>(width) * height * 3) {
        fill(0, 0, width, height, background);
    }

    int width() const { return width_; }
    int height() const { return height_; }
    const std::uint8_t* data() const { return pixels_.data(); }

    // Fills the rectangle, cut to the picture.
    void fill(int x, int y, int w, int h, Rgb c) {
        const int x0 = std::max(x, 0), x1 = std::min(x + w, width_);
        const int y0 = std::max(y, 0), y1 = std::min(y + h, height_);
        for (int yy = y0; yy < y1; ++yy)
            for (int xx = x0; xx < x1; ++xx) put(xx, yy, c);
    }
    // One pixel; outside the picture nothing happens.
    void set(int x, int y, Rgb c) {
        if (x >= 0 && x < width_ && y >= 0 && y < height_) put(x, y, c);
    }

  private:
    void put(int x, int y, Rgb c) {
        std::uint8_t* p = &pixels_[(static_cast<std::size_t>(y) * width_ + x) * 3];
        p[0] = c.r;
        p[1] = c.g;
        p[2] = c.b;
    }

    int width_;
    int height_;
    std::vector<std::uint8_t> pixels_;
};

}  // namespace tavolu::host
