#include "tools/host/plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "tools/host/bitmap_font.h"
#include "tools/host/canvas.h"
#include "tools/host/png_output.h"

namespace tavolu::host {
namespace {

// Layout, in pixels.
constexpr int kLaneLeft = 120;
constexpr int kLaneRight = kPlotWidth - 24;
constexpr int kLaneWidth = kLaneRight - kLaneLeft;
constexpr int kFirstLaneTop = 48;
constexpr int kLaneHeight = 124;
constexpr int kLaneGap = 14;
constexpr int kLaneCount = 3;  // input, left, right
constexpr int kPanTop = kFirstLaneTop + kLaneCount * (kLaneHeight + kLaneGap);
constexpr int kPanHeight = 84;
constexpr int kAxisTop = kPanTop + kPanHeight;
constexpr int kTextScale = 2;
constexpr double kPanFloor = 0.02;  // of the loudest peak: quieter columns show no pan
static_assert(kAxisTop + 64 <= kPlotHeight, "the time axis must fit");

constexpr Rgb kBackground{250, 250, 252};
constexpr Rgb kLaneFill{238, 239, 243};
constexpr Rgb kGridLine{218, 219, 226};
constexpr Rgb kCentreLine{200, 201, 210};
constexpr Rgb kText{50, 52, 60};
constexpr Rgb kPanTrace{128, 60, 170};

struct LaneStyle {
    const char* label;
    Rgb peak;  // outer envelope
    Rgb rms;   // inner, louder-looking body
};
constexpr Rgb kLeftColour{40, 104, 214};
constexpr Rgb kRightColour{222, 100, 30};
constexpr LaneStyle kLanes[kLaneCount] = {
    {"INPUT", {176, 176, 180}, {112, 112, 118}},
    {"LEFT", {140, 178, 240}, kLeftColour},
    {"RIGHT", {246, 180, 130}, kRightColour},
};

void drawLane(Canvas& canvas, int top, const LaneStyle& style, const Envelope& env, double scale) {
    const int mid = top + kLaneHeight / 2;
    const double half = kLaneHeight / 2 - 2;
    for (int col = 0; col < kLaneWidth; ++col) {
        const int p = static_cast<int>(std::lround(std::min(env.peak[col] * scale, 1.0) * half));
        const int r = static_cast<int>(std::lround(std::min(env.rms[col] * scale, 1.0) * half));
        canvas.fill(kLaneLeft + col, mid - p, 1, 2 * p + 1, style.peak);
        canvas.fill(kLaneLeft + col, mid - r, 1, 2 * r + 1, style.rms);
    }
    canvas.fill(kLaneLeft, mid, kLaneWidth, 1, kCentreLine);
    const int labelY = mid - kGlyphHeight * kTextScale / 2;
    drawText(canvas, kLaneLeft - 12 - textWidth(style.label, kTextScale), labelY, style.label,
             kTextScale, kText);
}

// Where the sound sits between the outputs, column by column: the right
// output's share of the two RMS levels, hard left at the top of the lane and
// hard right at its bottom. Columns too quiet to judge are left out.
void drawPanLane(Canvas& canvas, const Envelope& left, const Envelope& right, double loudest) {
    canvas.fill(kLaneLeft, kPanTop + kPanHeight / 2, kLaneWidth, 1, kCentreLine);
    const int labelX = kLaneLeft - 12 - textWidth("PAN", kTextScale);
    drawText(canvas, labelX, kPanTop + kPanHeight / 2 - kGlyphHeight, "PAN", kTextScale, kText);
    const int sideX = kLaneLeft - 12 - textWidth("L", kTextScale);
    drawText(canvas, sideX, kPanTop + 2, "L", kTextScale, kLeftColour);
    drawText(canvas, sideX, kPanTop + kPanHeight - 2 - kGlyphHeight * kTextScale, "R", kTextScale,
             kRightColour);
    constexpr int kDot = 3;  // pixels
    const double span = kPanHeight - 2 * kDot;
    int previous = -1;
    for (int col = 0; col < kLaneWidth; ++col) {
        const double l = left.rms[col], r = right.rms[col];
        if (std::max(left.peak[col], right.peak[col]) < kPanFloor * loudest || l + r <= 0.0) {
            previous = -1;
            continue;
        }
        const int y = kPanTop + kDot + static_cast<int>(std::lround(r / (l + r) * span));
        // Join neighbouring columns so a sweep reads as one line.
        const int from = previous < 0 ? y : std::min(previous, y);
        const int to = previous < 0 ? y : std::max(previous, y);
        canvas.fill(kLaneLeft + col - 1, from - 1, kDot, to - from + kDot, kPanTrace);
        previous = y;
    }
}

// A tick spacing of 1, 2 or 5 times a power of ten that gives at most a
// dozen ticks.
double tickStep(double seconds) {
    double step = 0.01;
    for (int i = 0; seconds / step > 12.0 && i < 40; ++i)
        step *= (i % 3 == 1) ? 2.5 : 2.0;  // 0.01, 0.02, 0.05, 0.1, ...
    return step;
}

void drawTimeAxis(Canvas& canvas, double seconds) {
    canvas.fill(kLaneLeft, kAxisTop + 2, kLaneWidth, 1, kText);
    if (seconds <= 0.0) return;
    const double step = tickStep(seconds);
    for (int i = 0; i * step <= seconds + 1e-9; ++i) {
        const double t = i * step;
        const int x = kLaneLeft + static_cast<int>(std::lround(t / seconds * (kLaneWidth - 1)));
        // Grid line through every lane, then the tick and its number.
        for (int lane = 0; lane < kLaneCount; ++lane)
            canvas.fill(x, kFirstLaneTop + lane * (kLaneHeight + kLaneGap), 1, kLaneHeight,
                        kGridLine);
        canvas.fill(x, kPanTop, 1, kPanHeight, kGridLine);
        canvas.fill(x, kAxisTop + 2, 1, 7, kText);
        char label[32];
        std::snprintf(label, sizeof label, "%g", std::round(t * 100.0) / 100.0);
        const int w = textWidth(label, kTextScale);
        drawText(canvas, std::clamp(x - w / 2, 0, kPlotWidth - w), kAxisTop + 14, label, kTextScale,
                 kText);
    }
    const std::string unit = "TIME (S)";
    drawText(canvas, kLaneLeft + (kLaneWidth - textWidth(unit, kTextScale)) / 2, kAxisTop + 40,
             unit, kTextScale, kText);
}

}  // namespace

EnvelopeGatherer::EnvelopeGatherer(long frames, int channel)
    : frames_(std::max(frames, 0L)),
      channel_(channel),
      peak_(kLaneWidth, 0.0),
      sum_(kLaneWidth, 0.0),
      count_(kLaneWidth, 0) {}

long EnvelopeGatherer::begin(int column) const {
    return frames_ * column / kLaneWidth;
}

long EnvelopeGatherer::end(int column) const {
    return std::max(begin(column) + 1, frames_ * (column + 1) / kLaneWidth);
}

void EnvelopeGatherer::add(const float* interleaved, int channels, long n) {
    for (long i = 0; i < n; ++i, ++position_) {
        if (position_ >= frames_) return;  // more than promised: off the picture
        while (firstOpen_ < kLaneWidth && end(firstOpen_) <= position_) ++firstOpen_;
        // Shorter files than the plot is wide share a frame between columns.
        for (int col = firstOpen_; col < kLaneWidth && begin(col) <= position_; ++col) {
            for (int c = 0; c < channels; ++c) {
                if (channel_ >= 0 && c != channel_) continue;
                const double x = interleaved[i * channels + c];
                if (!std::isfinite(x)) continue;
                peak_[col] = std::max(peak_[col], std::fabs(x));
                sum_[col] += x * x;
                ++count_[col];
            }
        }
    }
}

Envelope EnvelopeGatherer::envelope() const {
    Envelope env{peak_, std::vector<double>(kLaneWidth, 0.0)};
    for (int col = 0; col < kLaneWidth; ++col)
        if (count_[col]) env.rms[col] = std::sqrt(sum_[col] / static_cast<double>(count_[col]));
    return env;
}

bool writePlot(const std::string& path, const std::string& title, const PlotEnvelopes& plot,
               std::string& error) {
    Canvas canvas(kPlotWidth, kPlotHeight, kBackground);
    const Envelope* envelopes[kLaneCount] = {&plot.input, &plot.left, &plot.right};
    // One scale for all lanes, so their levels compare honestly.
    double loudest = 1e-9;
    for (const Envelope* e : envelopes)
        for (double p : e->peak) loudest = std::max(loudest, p);

    drawText(canvas, kLaneLeft, 16, title, kTextScale, kText);
    // Lane grounds, then the time grid, then the envelopes over both.
    for (int lane = 0; lane < kLaneCount; ++lane)
        canvas.fill(kLaneLeft, kFirstLaneTop + lane * (kLaneHeight + kLaneGap), kLaneWidth,
                    kLaneHeight, kLaneFill);
    canvas.fill(kLaneLeft, kPanTop, kLaneWidth, kPanHeight, kLaneFill);
    drawTimeAxis(canvas, plot.seconds);
    for (int lane = 0; lane < kLaneCount; ++lane)
        drawLane(canvas, kFirstLaneTop + lane * (kLaneHeight + kLaneGap), kLanes[lane],
                 *envelopes[lane], 1.0 / loudest);
    drawPanLane(canvas, plot.left, plot.right, loudest);
    return writePng(path, canvas, error);
}

}  // namespace tavolu::host
