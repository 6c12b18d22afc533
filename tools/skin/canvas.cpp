#include "canvas.h"

#include <algorithm>
#include <cmath>

namespace tavolu::skin {

namespace {

constexpr int kSamples = 4;  // per axis, so 16 samples a pixel

std::uint8_t toByte(float v) {
    return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}

}  // namespace

Colour mix(Colour a, Colour b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Colour rgb(int r, int g, int b) {
    return {static_cast<float>(r), static_cast<float>(g), static_cast<float>(b)};
}

Shape roundRect(Box b, float radius) {
    return {b, [b, radius](float x, float y) {
                if (x < b.x0 || x >= b.x1 || y < b.y0 || y >= b.y1) return false;
                // Distance into the corner square, if the point lies in one.
                float dx = std::max({b.x0 + radius - x, x - (b.x1 - radius), 0.0f});
                float dy = std::max({b.y0 + radius - y, y - (b.y1 - radius), 0.0f});
                return dx * dx + dy * dy <= radius * radius;
            }};
}

Shape circle(float cx, float cy, float radius) {
    return {{cx - radius, cy - radius, cx + radius, cy + radius}, [=](float x, float y) {
                float dx = x - cx, dy = y - cy;
                return dx * dx + dy * dy <= radius * radius;
            }};
}

Shape without(Shape outer, Shape hole) {
    return {outer.bounds, [outer, hole](float x, float y) {
                return outer.contains(x, y) && !hole.contains(x, y);
            }};
}

Paint solid(Colour c) {
    return [c](float, float) { return c; };
}

Paint verticalGradient(float y0, Colour top, float y1, Colour bottom) {
    return [=](float, float y) {
        float t = std::clamp((y - y0) / (y1 - y0), 0.0f, 1.0f);
        return mix(top, bottom, t);
    };
}

Canvas::Canvas(int width, int height, Colour fill)
    : w_(width),
      h_(height),
      px_(static_cast<size_t>(width * height), fill),
      cover_(static_cast<size_t>(width * height), 0.0f) {}

void Canvas::blend(int x, int y, Colour c, float a) {
    if (x < 0 || y < 0 || x >= w_ || y >= h_ || a <= 0.0f) return;
    a = std::min(a, 1.0f);
    Colour& p = px_[index(x, y)];
    p = mix(p, c, a);
    float& cv = cover_[index(x, y)];
    cv = cv + (1.0f - cv) * a;
}

void Canvas::fill(const Shape& s, const Paint& p, float opacity) {
    int xa = std::max(0, static_cast<int>(std::floor(s.bounds.x0)));
    int ya = std::max(0, static_cast<int>(std::floor(s.bounds.y0)));
    int xb = std::min(w_, static_cast<int>(std::ceil(s.bounds.x1)));
    int yb = std::min(h_, static_cast<int>(std::ceil(s.bounds.y1)));
    for (int y = ya; y < yb; ++y) {
        for (int x = xa; x < xb; ++x) {
            int hits = 0;
            for (int j = 0; j < kSamples; ++j)
                for (int i = 0; i < kSamples; ++i)
                    hits += s.contains(x + (i + 0.5f) / kSamples, y + (j + 0.5f) / kSamples);
            if (hits == 0) continue;
            float a = opacity * static_cast<float>(hits) / (kSamples * kSamples);
            blend(x, y, p(x + 0.5f, y + 0.5f), a);
        }
    }
}

Canvas Canvas::crop(int x, int y, int w, int h) const {
    Canvas out(w, h, Colour{});
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) out.px_[out.index(i, j)] = px_[index(x + i, y + j)];
    return out;
}

void Canvas::clearCoverage() {
    std::fill(cover_.begin(), cover_.end(), 0.0f);
}

Image toImage(const Canvas& c, bool keyed, float keyBelow) {
    Image img{c.width(), c.height(), {}};
    img.pixels.reserve(static_cast<size_t>(c.width() * c.height()));
    for (int y = 0; y < c.height(); ++y) {
        for (int x = 0; x < c.width(); ++x) {
            if (keyed && c.coverage(x, y) < keyBelow) {
                img.pixels.push_back(kColourKey);
                continue;
            }
            Colour p = c.at(x, y);
            Rgb8 v{toByte(p.r), toByte(p.g), toByte(p.b)};
            // A painted pixel must never read as (or next to) the key colour.
            if (v.r < 32 && v.g > 223 && v.b > 223) v.r = 32;
            img.pixels.push_back(v);
        }
    }
    return img;
}

Image stackFrames(const std::vector<Image>& frames) {
    Image out{frames.front().width, 0, {}};
    for (const Image& f : frames) {
        out.height += f.height;
        out.pixels.insert(out.pixels.end(), f.pixels.begin(), f.pixels.end());
    }
    return out;
}

}  // namespace tavolu::skin
