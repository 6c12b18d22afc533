// A floating-point RGB canvas with a coverage channel, and the antialiased
// shapes the skin is painted with. Shapes are sampled 4 x 4 per pixel so the
// result is the same on every run and every machine.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace tavolu::skin {

struct Colour {
    float r = 0, g = 0, b = 0;  // 0..255
};

Colour mix(Colour a, Colour b, float t);  // t = 0 gives a, 1 gives b
Colour rgb(int r, int g, int b);

// Left, top, right, bottom in pixel edges (right and bottom exclusive).
struct Box {
    float x0, y0, x1, y1;
    float width() const { return x1 - x0; }
    float height() const { return y1 - y0; }
    Box inset(float d) const { return {x0 + d, y0 + d, x1 - d, y1 - d}; }
    Box moved(float dx, float dy) const { return {x0 + dx, y0 + dy, x1 + dx, y1 + dy}; }
};

// A region of the plane: a point test plus the box that holds it.
struct Shape {
    Box bounds;
    std::function<bool(float, float)> contains;
};

Shape roundRect(Box b, float radius);
Shape circle(float cx, float cy, float radius);
Shape without(Shape outer, Shape hole);  // outer minus hole

// Colour of a paint at a pixel centre.
using Paint = std::function<Colour(float x, float y)>;
Paint solid(Colour c);
Paint verticalGradient(float y0, Colour top, float y1, Colour bottom);

class Canvas {
  public:
    Canvas(int width, int height, Colour fill);

    int width() const { return w_; }
    int height() const { return h_; }

    Colour at(int x, int y) const { return px_[index(x, y)]; }
    float coverage(int x, int y) const { return cover_[index(x, y)]; }

    // Blends `c` over pixel (x, y) with opacity `a`; outside pixels are ignored.
    void blend(int x, int y, Colour c, float a);
    void fill(const Shape& s, const Paint& p, float opacity = 1.0f);
    void fillBox(Box b, Colour c) { fill(roundRect(b, 0), solid(c)); }

    // A copy of the rectangle at (x, y) of size w x h, coverage cleared.
    Canvas crop(int x, int y, int w, int h) const;
    void clearCoverage();

  private:
    int index(int x, int y) const { return y * w_ + x; }
    int w_, h_;
    std::vector<Colour> px_;
    std::vector<float> cover_;  // how much of each pixel shapes have covered, 0..1
};

// 8-bit pixels, rows top to bottom.
struct Rgb8 {
    std::uint8_t r, g, b;
    bool operator==(const Rgb8&) const = default;
};

static_assert(sizeof(Rgb8) == 3, "rows are handed to libpng as packed RGB");

struct Image {
    int width = 0, height = 0;
    std::vector<Rgb8> pixels;
    Rgb8 at(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)]; }
};

// The colour the toolkit leaves out when it draws a control image.
constexpr Rgb8 kColourKey{0, 255, 255};

// Rounds the canvas to 8 bits. With `keyed`, pixels whose coverage stays below
// `keyBelow` become the colour key; no other pixel may come out as the key or
// close to it, so those are nudged away.
Image toImage(const Canvas& c, bool keyed = false, float keyBelow = 0.5f);

// Stacks equally sized frames top to bottom into one strip.
Image stackFrames(const std::vector<Image>& frames);

}  // namespace tavolu::skin
