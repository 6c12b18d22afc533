#include "editor/curve_view.h"

#include <algorithm>
#include <climits>

#include "common/numeric.h"
#include "toolkit/draw_context.h"

namespace tavolu {

namespace {

constexpr CColor kPlotColor{0, 0, 0, 255};
constexpr CColor kMirroredSweepColor{212, 161, 0, 255};
constexpr CColor kOldestTraceColor{80, 96, 80, 255};
constexpr CColor kPreviousTraceColor{80, 132, 80, 255};
constexpr CColor kSweepColor{255, 51, 51, 255};
constexpr CColor kCurrentTraceColor{0, 255, 0, 255};

constexpr uint8_t kFlipMode = 1;
// The engine adds this to the first position after a trigger or an LFO reset.
constexpr float kNewTraceOffset = 99.0f;
constexpr float kNewTraceThreshold = 50.0f;
// Undrawn points that make a redraw worth it: one line segment more than the
// last draw showed.
constexpr int32_t kPointsPerRedraw = 3;

// Pixel arithmetic is done wide and saturated: a rectangle or a setting at
// the ends of the range must give a far-away pixel, not an overflow.
int32_t saturate(int64_t value) {
    return int32_t(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

// base + trunc(product), for a product of any size or a NaN (which counts 0).
int32_t plus(int32_t base, double product) {
    return saturate(int64_t{base} + truncToInt32(product));
}

// 0, 0.5 and 1 give 0, 1 and 2. Saturated, so no out-of-range value can wrap
// around to 1 and turn "Flip" on.
uint8_t modeOf(float value) {
    return uint8_t(std::clamp(truncToInt32(2.0 * value), 0, int32_t{UINT8_MAX}));
}

}  // namespace

CCurveView::CCurveView(const CRect& size, CControlListener* listener, int32_t tag)
    : CControl(size, listener, tag),
      plotLeft(saturate(std::min<int64_t>(size.left, int64_t{size.right} - 1))),
      plotTop(saturate(std::min<int64_t>(size.top, int64_t{size.bottom} - 2))),
      plotRight(saturate(std::max<int64_t>(size.left, int64_t{size.right} - 1))),
      plotBottom(saturate(std::max<int64_t>(size.top, int64_t{size.bottom} - 2))),
      plotWidth(saturate(int64_t{plotRight} - plotLeft)),
      // A rectangle taller than the buffers plots the first 101 rows only.
      traceCapacity(
          int32_t(std::clamp<int64_t>(int64_t{plotBottom} - plotTop + 1, 1, kTraceBufferSize))),
      xScale(float(int64_t{plotWidth} - 1)),
      yScale(float(int64_t{plotBottom} - plotTop)) {}

void CCurveView::setSweepStart(float value) {
    sweepStart = value;
    setDirty();
}

void CCurveView::setSweepEnd(float value) {
    sweepEnd = value;
    setDirty();
}

void CCurveView::setSweepHold(float value) {
    sweepHold = value;
    setDirty();
}

void CCurveView::setSweepDecay(float value) {
    sweepDecay = value;
    setDirty();
}

void CCurveView::setSweepStartMode(float value) {
    sweepStartMode = modeOf(value);
    setDirty();
}

void CCurveView::setSweepEndMode(float value) {
    sweepEndMode = modeOf(value);
    setDirty();
}

void CCurveView::addPoint(float value) {
    if (traceLength[size_t(currentTrace)] >= traceCapacity) newTracePending = true;
    if (value > kNewTraceThreshold) {
        value -= kNewTraceOffset;
        newTracePending = true;
    }
    if (newTracePending) startNewTrace();

    // traceCapacity never exceeds the buffer and a full trace has just been
    // replaced, so the write stays inside.
    int32_t& length = traceLength[size_t(currentTrace)];
    traces[size_t(currentTrace)][size_t(length)] =
        truncToInt32(double{xScale} * double{value} + 0.5);
    ++length;
    if (length - drawnUpTo >= kPointsPerRedraw) setDirty();
}

// The oldest buffer takes the new trace; the trace two generations back goes.
void CCurveView::startNewTrace() {
    const int32_t reused = oldestTrace;
    oldestTrace = previousTrace;
    previousTrace = currentTrace;
    currentTrace = reused;
    traceLength[size_t(currentTrace)] = 0;
    drawnUpTo = 0;
    newTracePending = false;
    setDirty();
}

void CCurveView::requestClear() {
    clearPending = true;
    setDirty();
}

void CCurveView::draw(CDrawContext* context) {
    if (!context) return;
    if (clearPending) {
        traceLength.fill(0);  // the buffers keep their roles
        clearPending = false;
    }
    drawnUpTo = 0;

    // A setting or point outside 0..1 falls outside the plot. It may show
    // inside our rectangle but never on a neighbour, where nothing would ever
    // paint it over again.
    const CRect outerClip = context->getClipRect();
    context->setClipRect(outerClip.intersection(size));

    context->setFillColor(kPlotColor);
    context->fillRect({plotLeft, plotTop, plotRight, saturate(int64_t{plotBottom} + 1)});
    const SweepPositions sweep = sweepPositions();
    drawMirroredSweep(context, sweep);
    drawTrace(context, oldestTrace, kOldestTraceColor);
    drawTrace(context, previousTrace, kPreviousTraceColor);
    drawConfiguredSweep(context, sweep);
    drawCurrentTrace(context);

    context->setClipRect(outerClip);
    // The view stays dirty if it was marked meanwhile: the frame cleared the
    // flag before calling us, and clearing it again here would drop a point
    // or setting that came in after that and leave it undrawn.
}

CCurveView::SweepPositions CCurveView::sweepPositions() const {
    const double x = xScale;
    const double y = yScale;
    return {
        .startColumn = plus(plotLeft, sweepStart * x),
        .endColumn = plus(plotLeft, sweepEnd * x),
        .mirroredStartColumn = plus(plotLeft, (1.0 - sweepStart) * x),
        .mirroredEndColumn = plus(plotLeft, (1.0 - sweepEnd) * x),
        .holdRow = plus(plotBottom, -(sweepHold * y)),
        .decayRow = plus(plotBottom, -(sweepDecay * y)),
    };
}

// The flipped part of the sweep: what every other trigger plays.
void CCurveView::drawMirroredSweep(CDrawContext* context, const SweepPositions& s) const {
    const bool flipStart = sweepStartMode == kFlipMode;
    const bool flipEnd = sweepEndMode == kFlipMode;
    context->setFrontColor(kMirroredSweepColor);
    if (flipStart) {
        context->moveTo({s.mirroredStartColumn, plotBottom});
        context->lineTo({s.mirroredStartColumn, s.holdRow});
        context->lineTo({flipEnd ? s.mirroredEndColumn : s.endColumn, s.decayRow});
    }
    if (flipEnd) {
        if (flipStart) {
            context->moveTo({s.mirroredEndColumn, s.decayRow});
        } else {
            context->moveTo({s.startColumn, s.holdRow});
            context->lineTo({s.mirroredEndColumn, s.decayRow});
        }
        context->lineTo({s.mirroredEndColumn, plotTop});
        context->drawPoint({s.mirroredEndColumn, plotTop}, kMirroredSweepColor);
    }
}

void CCurveView::drawConfiguredSweep(CDrawContext* context, const SweepPositions& s) const {
    context->setFrontColor(kSweepColor);
    context->moveTo({s.startColumn, plotBottom});
    if (s.startColumn != s.endColumn) {
        context->lineTo({s.startColumn, s.holdRow});
        context->lineTo({s.endColumn, s.decayRow});
    }
    context->lineTo({s.endColumn, plotTop});
    context->drawPoint({s.endColumn, plotTop}, kSweepColor);
}

CPoint CCurveView::tracePoint(int32_t buffer, int32_t index) const {
    return {saturate(int64_t{plotLeft} + traces[size_t(buffer)][size_t(index)]),
            saturate(int64_t{plotBottom} - index)};
}

// A trace of one point or none draws no line.
void CCurveView::drawTrace(CDrawContext* context, int32_t buffer, CColor color) const {
    const int32_t length = traceLength[size_t(buffer)];
    if (length < 2) return;
    context->setFrontColor(color);
    context->moveTo(tracePoint(buffer, 0));
    for (int32_t i = 1; i < length; ++i) context->lineTo(tracePoint(buffer, i));
}

void CCurveView::drawCurrentTrace(CDrawContext* context) {
    const int32_t length = traceLength[size_t(currentTrace)];
    // drawnUpTo is -1 after drawing an empty trace; read from point 0 then.
    const int32_t from = std::clamp(drawnUpTo, 0, kTraceBufferSize - 1);
    context->setFrontColor(kCurrentTraceColor);
    context->moveTo(tracePoint(currentTrace, from));
    for (int32_t i = from + 1; i < length; ++i) context->lineTo(tracePoint(currentTrace, i));
    // Left on the last point, so the next redraw is asked for once two more
    // points have come in.
    drawnUpTo = length - 1;
}

}  // namespace tavolu
