// The curve view: a small oscilloscope of the pan position. Time runs upward
// from the bottom row, one row per engine report (10 ms), and the pan position
// runs left to right. Over a black plot it draws the configured sweep in red,
// the flipped sweep that every other trigger takes in amber, and the last
// three traces of played positions in greens, brightest for the current one.
//
// Threads: every member runs on the UI thread. The editor gathers the audio
// thread's reports and hands them over from its idle, so the view is plain
// data with no atomics and no locks.
#pragma once

#include <array>
#include <cstdint>

#include "toolkit/view.h"

namespace tavolu {

class CCurveView : public CControl {
  public:
    static constexpr int32_t kTraceBufferSize = 101;  // points per buffer
    static constexpr int kTraceCount = 3;

    // [UI thread] The plot takes the rectangle less its last column and row.
    CCurveView(const CRect& size, CControlListener* listener, int32_t tag);

    // [UI thread] The sweep settings, each a parameter value (0..1 normally;
    // anything else is drawn where it falls). Each marks the view dirty.
    void setSweepStart(float value);
    void setSweepEnd(float value);
    void setSweepHold(float value);
    void setSweepDecay(float value);
    // [UI thread] A three-way switch value: 0, 0.5 and 1 give modes 0, 1, 2;
    // only mode 1 ("Flip") draws the amber sweep.
    void setSweepStartMode(float value);
    void setSweepEndMode(float value);

    // [UI thread] One reported pan position; a value above 50 is the position
    // plus 99 and starts a new trace.
    void addPoint(float value);
    // [UI thread] Empties all traces at the next draw.
    void requestClear();

    // [UI thread]
    void draw(CDrawContext* context) override;
    // [UI thread] Draws the current trace from the point the last draw reached.
    virtual void drawCurrentTrace(CDrawContext* context);

    int32_t getPlotLeft() const { return plotLeft; }
    int32_t getPlotTop() const { return plotTop; }
    int32_t getPlotRight() const { return plotRight; }
    int32_t getPlotBottom() const { return plotBottom; }
    int32_t getPlotWidth() const { return plotWidth; }
    int32_t getTraceCapacity() const { return traceCapacity; }
    float getXScale() const { return xScale; }
    float getYScale() const { return yScale; }
    int32_t getCurrentTrace() const { return currentTrace; }
    int32_t getTraceLength(int buffer) const { return traceLength[size_t(buffer)]; }
    // The point's offset from plotLeft, px.
    int32_t getTracePoint(int buffer, int index) const {
        return traces[size_t(buffer)][size_t(index)];
    }

  private:
    // Sweep positions in window pixels, as of the current settings.
    struct SweepPositions {
        int32_t startColumn;
        int32_t endColumn;
        int32_t mirroredStartColumn;
        int32_t mirroredEndColumn;
        int32_t holdRow;
        int32_t decayRow;
    };

    SweepPositions sweepPositions() const;
    // Point `index` of `buffer`, in window pixels.
    CPoint tracePoint(int32_t buffer, int32_t index) const;
    void startNewTrace();
    void drawMirroredSweep(CDrawContext* context, const SweepPositions& sweep) const;
    void drawConfiguredSweep(CDrawContext* context, const SweepPositions& sweep) const;
    void drawTrace(CDrawContext* context, int32_t buffer, CColor color) const;

    int32_t plotLeft;       // px
    int32_t plotTop;        // px
    int32_t plotRight;      // px, one past the last plotted column
    int32_t plotBottom;     // px: time 0, the first point of every trace
    int32_t plotWidth;      // px
    int32_t traceCapacity;  // points, 1..kTraceBufferSize
    float xScale;           // px per unit of pan position
    float yScale;           // px per second of Hold or Decay
    float sweepStart = 1.0f;
    float sweepEnd = 1.0f;
    float sweepHold = 1.0f;   // s
    float sweepDecay = 1.0f;  // s
    uint8_t sweepEndMode = 0;
    uint8_t sweepStartMode = 0;
    bool newTracePending = false;
    bool clearPending = false;
    // Offsets from plotLeft, px; point i lies on row plotBottom - i.
    std::array<std::array<int32_t, kTraceBufferSize>, kTraceCount> traces{};
    std::array<int32_t, kTraceCount> traceLength{};
    int32_t drawnUpTo = 0;  // last point of the current trace the last draw reached
    int32_t currentTrace = 0;
    int32_t previousTrace = 1;
    int32_t oldestTrace = 2;
};

}  // namespace tavolu
