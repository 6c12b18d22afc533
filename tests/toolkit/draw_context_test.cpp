// The software drawing primitives, pixel by pixel.
#include "toolkit/draw_context.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "support.h"
#include "toolkit/bitmap.h"

namespace tavolu {
namespace {

constexpr uint32_t kBackground = 0x0A0B0C;
constexpr CColor kRed{255, 0, 0, 255};

// A surface with a guard band around it: stride wider than the width and
// rows above and below, so a write outside the surface shows up.
class Canvas {
  public:
    Canvas(int32_t w, int32_t h)
        : width(w), height(h), stride(w + 4), memory(size_t(stride) * size_t(h + 2), kGuard) {
        for (int32_t y = 0; y < h; ++y) {
            for (int32_t x = 0; x < w; ++x) at(x, y) = kBackground;
        }
    }
    PixelSurface surface() { return {memory.data() + stride, width, height, stride}; }
    uint32_t& at(int32_t x, int32_t y) {
        return memory[size_t(stride) * size_t(y + 1) + size_t(x)];
    }
    bool guardIntact() const {
        for (int32_t y = -1; y <= height; ++y) {
            for (int32_t x = 0; x < stride; ++x) {
                const bool inside = y >= 0 && y < height && x < width;
                if (!inside && memory[size_t(stride) * size_t(y + 1) + size_t(x)] != kGuard) {
                    return false;
                }
            }
        }
        return true;
    }
    // The pixels drawn in a colour, as "x,y" points in row order.
    std::vector<CPoint> pointsOf(uint32_t color) {
        std::vector<CPoint> points;
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x) {
                if (at(x, y) == color) points.push_back({x, y});
            }
        }
        return points;
    }

    static constexpr uint32_t kGuard = 0xDEADBE;
    int32_t width, height, stride;
    std::vector<uint32_t> memory;
};

TEST(DrawContext, FillRectCoversRightAndBottomExclusively) {
    Canvas canvas(8, 6);
    CDrawContext context(canvas.surface());
    context.setFillColor(kRed);
    context.fillRect({2, 1, 5, 3});
    const auto points = canvas.pointsOf(0xFF0000);
    ASSERT_EQ(points.size(), 6u);
    EXPECT_EQ(points.front(), CPoint(2, 1));
    EXPECT_EQ(points.back(), CPoint(4, 2));
}

TEST(DrawContext, FillOutsideAndAcrossEveryEdgeStaysInside) {
    Canvas canvas(8, 6);
    CDrawContext context(canvas.surface());
    context.setFillColor(kRed);
    context.fillRect({-5, -5, 2, 2});
    context.fillRect({6, 4, 100, 100});
    context.fillRect({INT32_MIN, INT32_MIN, INT32_MAX, -1});
    context.fillRect({9, 0, 20, 6});
    context.fillRect({5, 5, 3, 3});  // inverted: empty
    EXPECT_TRUE(canvas.guardIntact());
    EXPECT_EQ(canvas.pointsOf(0xFF0000).size(), 4u + 4u);
}

TEST(DrawContext, ClipRectLimitsEveryOperation) {
    Canvas canvas(10, 10);
    CDrawContext context(canvas.surface());
    context.setClipRect({2, 2, 4, 4});
    context.setFillColor(kRed);
    context.fillRect({0, 0, 10, 10});
    context.setFrontColor({0, 0, 255, 255});
    context.moveTo({0, 5});
    context.lineTo({10, 5});
    context.drawPoint({1, 1}, {0, 0, 255, 255});
    EXPECT_EQ(canvas.pointsOf(0xFF0000).size(), 4u);
    EXPECT_TRUE(canvas.pointsOf(0x0000FF).empty());
    context.setClipRect({-100, -100, 100, 100});  // never wider than the surface
    EXPECT_EQ(context.getClipRect(), CRect(0, 0, 10, 10));
}

TEST(DrawContext, LineCoversStartButNotEnd) {
    Canvas canvas(10, 10);
    CDrawContext context(canvas.surface());
    context.setFrontColor(kRed);
    context.moveTo({1, 2});
    context.lineTo({5, 2});
    EXPECT_EQ(canvas.pointsOf(0xFF0000), (std::vector<CPoint>{{1, 2}, {2, 2}, {3, 2}, {4, 2}}));
    EXPECT_EQ(context.getPenPosition(), CPoint(5, 2));

    Canvas up(10, 10);
    CDrawContext upward(up.surface());
    upward.setFrontColor(kRed);
    upward.moveTo({3, 8});
    upward.lineTo({3, 5});
    EXPECT_EQ(up.pointsOf(0xFF0000), (std::vector<CPoint>{{3, 6}, {3, 7}, {3, 8}}));
}

TEST(DrawContext, LineToItsOwnStartDrawsNothing) {
    Canvas canvas(4, 4);
    CDrawContext context(canvas.surface());
    context.setFrontColor(kRed);
    context.moveTo({1, 1});
    context.lineTo({1, 1});
    EXPECT_TRUE(canvas.pointsOf(0xFF0000).empty());
}

TEST(DrawContext, SlopedLinesStepOnePixelPerColumnOrRow) {
    Canvas canvas(12, 12);
    CDrawContext context(canvas.surface());
    context.setFrontColor(kRed);
    context.moveTo({0, 0});
    context.lineTo({4, 2});  // shallow: x major, y rounds half up
    EXPECT_EQ(canvas.pointsOf(0xFF0000), (std::vector<CPoint>{{0, 0}, {1, 1}, {2, 1}, {3, 2}}));

    Canvas steep(12, 12);
    CDrawContext s(steep.surface());
    s.setFrontColor(kRed);
    s.moveTo({5, 9});
    s.lineTo({3, 1});  // steep, leftward and upward: 8 rows, one pixel each
    const auto points = steep.pointsOf(0xFF0000);
    ASSERT_EQ(points.size(), 8u);
    EXPECT_EQ(points.back(), CPoint(5, 9));
    EXPECT_EQ(points.front(), CPoint(3, 2));
}

TEST(DrawContext, JoinedLinesMatchTheSameLineDrawnPieceByPiece) {
    // A polyline drawn as a path equals its segments drawn alone, and the
    // path's last pixel is left for the caller.
    Canvas path(20, 20), pieces(20, 20);
    CDrawContext a(path.surface()), b(pieces.surface());
    a.setFrontColor(kRed);
    b.setFrontColor(kRed);
    a.moveTo({2, 18});
    a.lineTo({2, 12});
    a.lineTo({17, 5});
    a.lineTo({17, 1});
    b.moveTo({2, 18});
    b.lineTo({2, 12});
    b.moveTo({2, 12});
    b.lineTo({17, 5});
    b.moveTo({17, 5});
    b.lineTo({17, 1});
    EXPECT_EQ(path.pointsOf(0xFF0000), pieces.pointsOf(0xFF0000));
    EXPECT_NE(path.at(17, 1), 0xFF0000u);
}

TEST(DrawContext, LinesFarOutsideAreClippedAndCheap) {
    Canvas canvas(10, 10);
    CDrawContext context(canvas.surface());
    context.setFrontColor(kRed);
    // Would take billions of steps unclipped; crosses the surface diagonally.
    context.moveTo({-1000000000, -1000000000});
    context.lineTo({1000000000, 1000000000});
    context.moveTo({INT32_MIN, 5});
    context.lineTo({INT32_MAX, 5});
    context.moveTo({50, 50});
    context.lineTo({60, -40});  // never enters
    context.moveTo({3, INT32_MAX});
    context.lineTo({3, INT32_MIN});
    EXPECT_TRUE(canvas.guardIntact());
    for (int32_t i = 0; i < 10; ++i) {
        EXPECT_EQ(canvas.at(i, i), 0xFF0000u) << i;
        EXPECT_EQ(canvas.at(i, 5), 0xFF0000u) << i;
        EXPECT_EQ(canvas.at(3, i), 0xFF0000u) << i;
    }
}

TEST(DrawContext, ClippedLineKeepsExactlyTheUnclippedPixelsInsideTheClip) {
    const CRect clip{17, 11, 41, 29};
    const CPoint ends[][2] = {{{1, 38}, {57, 3}},
                              {{57, 3}, {1, 38}},
                              {{30, 0}, {22, 39}},
                              {{22, 39}, {30, 0}},
                              {{3, 3}, {50, 35}}};  // every octant
    for (const auto& [from, to] : ends) {
        Canvas whole(60, 40), clipped(60, 40);
        CDrawContext a(whole.surface()), b(clipped.surface());
        b.setClipRect(clip);
        for (CDrawContext* context : {&a, &b}) {
            context->moveTo(from);
            context->lineTo(to);
        }
        auto inside = whole.pointsOf(0xFFFFFF);
        std::erase_if(inside, [&](CPoint p) { return !clip.contains(p); });
        ASSERT_FALSE(inside.empty());
        EXPECT_EQ(clipped.pointsOf(0xFFFFFF), inside);
    }
}

TEST(DrawContext, DrawPointSetsOnePixelInsideOnly) {
    Canvas canvas(4, 4);
    CDrawContext context(canvas.surface());
    context.drawPoint({3, 3}, kRed);
    context.drawPoint({4, 3}, kRed);
    context.drawPoint({-1, 0}, kRed);
    context.drawPoint({0, 4}, kRed);
    EXPECT_EQ(canvas.pointsOf(0xFF0000), (std::vector<CPoint>{{3, 3}}));
    EXPECT_TRUE(canvas.guardIntact());
    EXPECT_EQ(context.getPoint({3, 3}), 0xFF0000u);
    EXPECT_EQ(context.getPoint({-1, 3}), 0u);
}

TEST(DrawContext, NullSurfaceDrawsNothing) {
    CDrawContext context(PixelSurface{});
    context.setFillColor(kRed);
    context.fillRect({0, 0, 10, 10});
    context.moveTo({0, 0});
    context.lineTo({5, 5});
    context.drawPoint({0, 0}, kRed);
    EXPECT_TRUE(context.getClipRect().isEmpty());
}

TEST(DrawContext, BitmapOpaqueAndColourKeyed) {
    // 3 x 2: key colour in the middle column.
    auto* bitmap = new CBitmap(test::makeBmp(3, 2, [](int32_t x, int32_t y) {
        return x == 1 ? kColorKeyPixel : uint32_t(0x100000 * (x + 1) + y);
    }));
    Canvas opaque(5, 4), keyed(5, 4);
    CDrawContext a(opaque.surface()), b(keyed.surface());
    bitmap->draw(&a, {1, 1, 4, 3});
    bitmap->drawTransparent(&b, {1, 1, 4, 3});
    EXPECT_EQ(opaque.at(2, 1), kColorKeyPixel);
    EXPECT_EQ(keyed.at(2, 1), kBackground);
    EXPECT_EQ(keyed.at(1, 1), 0x100000u);
    EXPECT_EQ(keyed.at(3, 2), 0x300001u);
    EXPECT_EQ(keyed.at(0, 0), kBackground);
    bitmap->forget();
}

TEST(DrawContext, BitmapFrameAndEdgesNeverReadOrWriteOutside) {
    auto* strip = test::stripBitmap(4, 2, {0x111111, 0x222222, 0x333333});
    Canvas canvas(6, 6);
    CDrawContext context(canvas.surface());
    strip->draw(&context, {1, 1, 5, 3}, {0, 2});  // frame 1
    EXPECT_EQ(canvas.at(1, 1), 0x222222u);
    EXPECT_EQ(canvas.at(4, 2), 0x222222u);
    // A destination larger than the image, offsets past it and far outside.
    strip->draw(&context, {-3, -3, 100, 100}, {0, 0});
    strip->draw(&context, {0, 0, 6, 6}, {0, 5});
    strip->draw(&context, {0, 0, 6, 6}, {-10, -10});
    strip->draw(&context, {0, 0, 6, 6}, {INT32_MAX, INT32_MIN});
    strip->draw(&context, {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, {0, 0});
    EXPECT_TRUE(canvas.guardIntact());
    strip->forget();
}

TEST(DrawContext, TextIsAlignedAndCoverageBlended) {
    Canvas canvas(12, 6);
    CDrawContext context(canvas.surface());
    context.setFont(&test::blockFont());
    context.setFontColor({255, 255, 255, 255});
    // Line height 4 in a 6-high rectangle: baseline at row 1 + 3 = 4.
    context.drawString("AB", {0, 0, 12, 6}, kLeftText);
    EXPECT_EQ(canvas.at(0, 1), 0xFFFFFFu);
    EXPECT_EQ(canvas.at(1, 3), 0xFFFFFFu);
    EXPECT_EQ(canvas.at(2, 1), kBackground);
    // 'B': half coverage over the background, each channel halfway.
    EXPECT_EQ(canvas.at(3, 3), 0x858586u);

    EXPECT_EQ(context.getStringWidth("AB"), 6);
    EXPECT_EQ(context.getStringWidth("A?"), 3);  // no glyph: skipped

    Canvas right(12, 6);
    CDrawContext r(right.surface());
    r.setFont(&test::blockFont());
    r.setFontColor(kRed);
    r.drawString("A", {0, 0, 12, 6}, kRightText);  // advance 3: starts at column 9
    EXPECT_EQ(right.at(9, 2), 0xFF0000u);
    EXPECT_EQ(right.at(8, 2), kBackground);
    r.drawString("A", {0, 0, 12, 6}, kCenterText);  // (12 - 3) / 2 = 4
    EXPECT_EQ(right.at(4, 2), 0xFF0000u);
}

TEST(DrawContext, TextStaysInItsRectangle) {
    Canvas canvas(8, 8);
    CDrawContext context(canvas.surface());
    context.setFont(&test::blockFont());
    context.setFontColor(kRed);
    context.drawString("AAAAAAAA", {1, 1, 4, 6}, kLeftText);
    for (const CPoint& p : canvas.pointsOf(0xFF0000)) {
        EXPECT_TRUE(CRect(1, 1, 4, 6).contains(p)) << p.x << "," << p.y;
    }
    context.drawString("AAAA", {-50, -50, 50, 50}, kCenterText);
    context.drawString(nullptr, {0, 0, 8, 8}, kCenterText);
    EXPECT_TRUE(canvas.guardIntact());
}

}  // namespace
}  // namespace tavolu
