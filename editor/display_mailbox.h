// The editor's mailbox: what the host and the engine report to the editor
// from any thread, held until the editor's idle hands it to the controls on
// the UI thread, the only thread that may touch them.
//
// The audio thread posts here, so posting never allocates, locks, waits or
// calls the system. All storage is in the object, fixed at construction.
// Requests and changes that only need doing once (a parameter to refresh, a
// preset to load) are one bit each and coalesce; meters and tempo keep only
// their latest value; the curve view's points and clears keep their order in
// a bounded queue.
#pragma once

#include <atomic>
#include <cstdint>

#include "editor/curve_queue.h"
#include "editor/display_sink.h"

namespace tavolu {

class DisplayMailbox {
  public:
    static constexpr int32_t kParameterCount = 20;
    static constexpr int32_t kPresetCount = 8;
    static constexpr uint64_t kCurveCapacity = CurveQueue::kCapacity;  // items

    DisplayMailbox() = default;
    DisplayMailbox(const DisplayMailbox&) = delete;
    DisplayMailbox& operator=(const DisplayMailbox&) = delete;

    // [any thread] Parameter `index` (0 to 19) changed; other indices are ignored.
    void postParameter(int32_t index);
    // [any thread] Load factory preset k (0 to 7) on the UI thread; others are ignored.
    void postPreset(int32_t k);
    // [any thread] A pan position for the curve view, behind everything queued.
    void postCurvePoint(float value);
    // [any thread] Empties the curve view at this place in the queue, and
    // drops both meters to 0.
    void postCurveClear();
    // [any thread] Only the latest level of each meter is shown.
    void postMeter(Meter which, float level);
    // [any thread] Only the latest tempo is shown (beats per minute).
    void postTempo(float bpm);

    // [any thread] Curve points dropped because the queue was full, since construction.
    uint64_t droppedCurvePoints() const { return curve.droppedPoints(); }

    // [UI thread] Forgets everything pending, as a newly opened window wants.
    // Posts may go on meanwhile; those that land after it begins are kept.
    void discardAll();
    // [UI thread] Hands everything pending to `sink`: preset loads (ascending),
    // parameter refreshes (ascending), the curve items present when the drain
    // began (in queue order), the meters, the tempo. Costs a few atomic loads
    // when nothing is pending.
    void drain(DisplaySink& sink);

  private:
    // Bits of `latestPending`.
    static constexpr uint32_t kSelectivityMeterBit = 1u << 0;
    static constexpr uint32_t kTriggerLevelMeterBit = 1u << 1;
    static constexpr uint32_t kTempoBit = 1u << 2;

    // [UI thread]
    void drainLatest(DisplaySink& sink);
    void drainCurve(DisplaySink& sink);

    std::atomic<uint32_t> presetRequests{0};   // bit k: load preset k
    std::atomic<uint32_t> dirtyParameters{0};  // bit i: refresh parameter i
    std::atomic<uint32_t> latestPending{0};    // a meter or the tempo has a value to show
    std::atomic<float> selectivityLevel{0.0f};
    std::atomic<float> triggerLevel{0.0f};
    std::atomic<float> tempo{0.0f};  // beats per minute
    CurveQueue curve;

    static_assert(std::atomic<uint32_t>::is_always_lock_free, "posting must never lock");
    static_assert(std::atomic<float>::is_always_lock_free, "posting must never lock");
};

}  // namespace tavolu
