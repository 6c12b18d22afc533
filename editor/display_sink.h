// What the editor does with the reports its mailbox collected: the calls one
// drain makes, all on the UI thread, where touching a control is allowed.
#pragma once

#include <cstdint>

namespace tavolu {

// The detector's two level meters.
enum class Meter { selectivity, triggerLevel };

class DisplaySink {
  public:
    // [UI thread] Load factory preset k (0 to 7).
    virtual void loadPreset(int32_t k) = 0;
    // [UI thread] Show the effect's current value of parameter `index` (0 to 19).
    virtual void refreshParameter(int32_t index) = 0;
    // [UI thread] One pan position for the curve view (+ 99 starts a new trace).
    virtual void addCurvePoint(float value) = 0;
    // [UI thread] Empty the curve view's traces.
    virtual void clearCurve() = 0;
    // [UI thread]
    virtual void setMeter(Meter which, float level) = 0;
    // [UI thread] The host's tempo, in beats per minute (0 when the host gave none).
    virtual void setTempo(float bpm) = 0;

  protected:
    ~DisplaySink() = default;
};

}  // namespace tavolu
