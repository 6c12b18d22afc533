// The curve view drawn pixel by pixel into the editor's window: the plot, the
// configured and flipped sweeps, the three traces, when it asks for a redraw,
// and settings, points and rectangles far out of range.
#include "editor/curve_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

#include "toolkit/draw_context.h"

namespace tavolu {
namespace {

using Points = std::vector<CPoint>;

constexpr CRect kViewRect{182, 55, 284, 157};  // the view's place in the editor
constexpr uint32_t kRed = 0xFF3333, kAmber = 0xD4A100, kBlack = 0, kGreen = 0x00FF00;
constexpr uint32_t kUntouched = 0x123456, kGuard = 0xDEADBE;
constexpr int32_t kWidth = 465, kHeight = 360, kBand = 16, kStride = kWidth + 2 * kBand;  // px

// The window's pixels inside a guard band that no drawing may reach.
struct Window {
    std::vector<uint32_t> memory =
        std::vector<uint32_t>(size_t(kStride) * (kHeight + 2 * kBand), kGuard);
    Window() {
        for (int32_t y = 0; y < kHeight; ++y) std::fill_n(&at(0, y), kWidth, kUntouched);
    }
    uint32_t& at(int32_t x, int32_t y) { return memory[size_t(y + kBand) * kStride + x + kBand]; }
    // Pixels of `color` in row order, leaving out those in `except`.
    Points pointsOf(uint32_t color, CRect except = {}) {
        Points points;
        for (int32_t y = 0; y < kHeight; ++y) {
            for (int32_t x = 0; x < kWidth; ++x) {
                if (at(x, y) == color && !except.contains({x, y})) points.push_back({x, y});
            }
        }
        return points;
    }
};

Window render(CCurveView& view) {
    Window window;
    CDrawContext context({&window.at(0, 0), kWidth, kHeight, kStride});
    view.draw(&context);
    return window;
}

// A path as the toolkit draws it, less the pixels of `covered`.
Points path(std::initializer_list<CPoint> corners, bool lastPixel, const Points& covered = {}) {
    Window window;
    CDrawContext context({&window.at(0, 0), kWidth, kHeight, kStride});
    context.moveTo(*corners.begin());
    for (CPoint corner : corners) context.lineTo(corner);
    if (lastPixel) context.drawPoint(*(corners.end() - 1), kWhiteCColor);
    Points points = window.pointsOf(kWhiteCColor.pixel());
    std::erase_if(points, [&](CPoint p) { return std::ranges::count(covered, p) > 0; });
    return points;
}

void setSweep(CCurveView& view, float start, float end, float hold, float decay) {
    view.setSweepStart(start);
    view.setSweepEnd(end);
    view.setSweepHold(hold);
    view.setSweepDecay(decay);
}

TEST(CurveView, ConfiguredSweepInAPlotThatLeavesTheLastColumnAndRow) {
    CCurveView view(kViewRect, nullptr, 21);
    EXPECT_EQ((std::vector<float>{float(view.getPlotLeft()), float(view.getPlotTop()),
                                  float(view.getPlotRight()), float(view.getPlotBottom()),
                                  float(view.getPlotWidth()), float(view.getTraceCapacity()),
                                  view.getXScale(), view.getYScale()}),
              (std::vector<float>{182, 55, 283, 155, 101, 101, 100, 100}));
    setSweep(view, 0.0f, 1.0f, 0.25f, 0.75f);
    Window window = render(view);
    Points red = path({{182, 155}, {182, 130}, {282, 80}, {282, 55}}, true);
    ASSERT_EQ(red.size(), 25u + 100u + 26u);
    EXPECT_EQ(red[0], CPoint(282, 55));
    EXPECT_EQ(window.pointsOf(kRed), red);
    EXPECT_EQ(window.pointsOf(kBlack).size() + red.size(), 101u * 101u);
    EXPECT_EQ(window.pointsOf(kUntouched, {182, 55, 283, 156}).size(), 465u * 360u - 101u * 101u);

    setSweep(view, 0.5f, 0.5f, 0.25f, 0.75f);  // Start = End: straight up
    EXPECT_EQ(render(view).pointsOf(kRed), path({{232, 155}, {232, 55}}, true));
}

TEST(CurveView, FlippedSweepOnlyForTheModesInTheMiddlePosition) {
    CCurveView view(kViewRect, nullptr, 21);
    setSweep(view, 0.0f, 1.0f, 0.25f, 0.75f);
    view.setSweepStartMode(0.5f);
    view.setSweepEndMode(0.5f);
    const Points red = path({{182, 155}, {182, 130}, {282, 80}, {282, 55}}, true);
    EXPECT_EQ(render(view).pointsOf(kAmber),
              path({{282, 155}, {282, 130}, {182, 80}, {182, 55}}, true, red));  // the mirror

    // Columns 194 and 244, mirrored 269 and 219 (products truncated); rows 130, 105.
    setSweep(view, 0.125f, 0.625f, 0.25f, 0.5f);
    const Points red2 = path({{194, 155}, {194, 130}, {244, 105}, {244, 55}}, true);
    const Points startOnly = path({{269, 155}, {269, 130}, {244, 105}}, false, red2);
    const Points endOnly = path({{194, 130}, {219, 105}, {219, 55}}, true, red2);
    const struct {
        float startMode, endMode;
        Points amber;
    } cases[] = {{0.5f, 0.5f, path({{269, 155}, {269, 130}, {219, 105}, {219, 55}}, true, red2)},
                 {0.5f, 0.0f, startOnly},
                 {0.5f, 1.0f, startOnly},
                 {0.0f, 0.5f, endOnly},
                 {1.0f, 0.5f, endOnly},
                 {0.0f, 0.0f, {}},
                 {1.0f, 1.0f, {}},
                 {0.0f, 1.0f, {}}};
    for (const auto& c : cases) {
        view.setSweepStartMode(c.startMode);
        view.setSweepEndMode(c.endMode);
        Window window = render(view);
        EXPECT_EQ(window.pointsOf(kAmber), c.amber) << c.startMode << " " << c.endMode;
        EXPECT_EQ(window.pointsOf(kRed), red2);
    }
}

// A trace of `points` points at `position`, its first flagged as a new sweep.
void addTrace(CCurveView& view, float position, int points = 5) {
    view.addPoint(position + 99.0f);
    for (int i = 1; i < points; ++i) view.addPoint(position);
}

TEST(CurveView, TracesRotateThroughThreeBuffersAndClearWhicheverIsCurrent) {
    CCurveView view(kViewRect, nullptr, 21);
    setSweep(view, 0.0f, 0.0f, 0.0f, 0.0f);  // the red line out of the way, at x 182
    view.addPoint(99.3f);
    EXPECT_EQ(view.getTracePoint(view.getCurrentTrace(), 0), 30);
    for (float position : {0.3f, 0.5f, 0.7f, 0.9f}) addTrace(view, position);
    Window window = render(view);  // the first of the four is gone
    EXPECT_EQ(window.pointsOf(0x506050), path({{232, 155}, {232, 151}}, false));
    EXPECT_EQ(window.pointsOf(0x508450), path({{252, 155}, {252, 151}}, false));
    EXPECT_EQ(window.pointsOf(kGreen), path({{272, 155}, {272, 151}}, false));
    EXPECT_EQ(window.pointsOf(kBlack).size() + 101u + 3u * 4u, 101u * 101u);

    addTrace(view, 0.5f, 101);
    const int32_t full = view.getCurrentTrace();
    EXPECT_EQ(render(view).pointsOf(kGreen), path({{232, 155}, {232, 55}}, false));
    view.addPoint(0.5f);  // the 102nd point
    EXPECT_NE(view.getCurrentTrace(), full);
    EXPECT_EQ(view.getTraceLength(full), 101);

    for (int rotation = 0; rotation < 3; ++rotation) {
        addTrace(view, 0.5f);
        const int32_t current = view.getCurrentTrace();
        view.requestClear();
        EXPECT_EQ(render(view).pointsOf(kBlack).size() + 101u, 101u * 101u) << rotation;
        EXPECT_EQ(view.getCurrentTrace(), current);
        view.addPoint(0.5f);  // one point: no line yet
        EXPECT_TRUE(render(view).pointsOf(kGreen).empty());
        view.addPoint(0.5f);
        EXPECT_EQ(render(view).pointsOf(kGreen), (Points{{232, 155}}));
    }
}

TEST(CurveView, AsksForARedrawEveryTwoPointsAndOnEveryOtherChange) {
    CCurveView view(kViewRect, nullptr, 21);
    Window window;
    CDrawContext context({&window.at(0, 0), kWidth, kHeight, kStride});
    view.setDirty(false);
    std::vector<bool> dirty;
    for (int i = 0; i < 6; ++i) {
        view.addPoint(0.5f);
        dirty.push_back(view.isDirty());
        if (!view.isDirty()) continue;
        view.setDirty(false);  // as the frame does, before it draws
        view.draw(&context);
    }
    EXPECT_EQ(dirty, (std::vector<bool>{false, false, true, false, true, false}));

    for (auto set :
         {&CCurveView::setSweepStart, &CCurveView::setSweepEnd, &CCurveView::setSweepHold,
          &CCurveView::setSweepDecay, &CCurveView::setSweepStartMode, &CCurveView::setSweepEndMode,
          &CCurveView::addPoint}) {
        view.setDirty(false);
        (view.*set)(99.5f);  // for addPoint: a new trace
        EXPECT_TRUE(view.isDirty());
    }
    view.setDirty(false);
    view.requestClear();
    view.draw(&context);  // a change made while drawing stays asked for
    EXPECT_TRUE(view.isDirty());
}

TEST(CurveView, WildSettingsPointsAndRectanglesStayInsideTheBuffers) {
    const CRect rects[] = {kViewRect,
                           {182, 0, 284, 360} /* taller than a buffer */,
                           {284, 157, 182, 55},
                           {10, 10, 10, 10},
                           {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}};
    for (const CRect& rect : rects) {
        CCurveView view(rect, nullptr, 21);
        EXPECT_GE(view.getTraceCapacity(), 1);
        EXPECT_LE(view.getTraceCapacity(), CCurveView::kTraceBufferSize);
        for (float value : {NAN, 1e30f, -1e30f, INFINITY, -INFINITY, 128.5f}) {
            setSweep(view, value, -value, value, -value);
            view.setSweepStartMode(value);  // never wraps around to Flip
            view.setSweepEndMode(value);
            for (int i = 0; i < 250; ++i) view.addPoint(i % 7 ? value : 0.5f);
            Window window = render(view);
            EXPECT_EQ(std::ranges::count(window.memory, kGuard),
                      long(window.memory.size()) - kWidth * kHeight);
            EXPECT_TRUE(window.pointsOf(kAmber).empty());
            const CRect mine = rect.intersection({0, 0, kWidth, kHeight});  // not the neighbours
            EXPECT_TRUE(window.pointsOf(kRed, mine).empty() &&
                        window.pointsOf(kGreen, mine).empty());
        }
    }
}

}  // namespace
}  // namespace tavolu
