// Posting into the editor's mailbox, and draining it on the UI thread.
#include "editor/display_mailbox.h"

#include <bit>

namespace tavolu {

namespace {

// [any thread] The value is stored before its bit is published, so whoever
// takes the bit with acquire reads this value or a newer one.
void setBit(std::atomic<uint32_t>& bits, uint32_t bit) {
    bits.fetch_or(bit, std::memory_order_release);
}

// [UI thread] Takes every pending bit at once. Looking first keeps an empty
// mailbox from writing to a cache line the producers use.
uint32_t takeBits(std::atomic<uint32_t>& bits) {
    if (bits.load(std::memory_order_relaxed) == 0) return 0;
    return bits.exchange(0, std::memory_order_acquire);
}

// [UI thread] Calls `visit` with the number of each set bit, lowest first.
template <class Visit>
void forEachBit(uint32_t bits, Visit&& visit) {
    while (bits != 0) {
        visit(static_cast<int32_t>(std::countr_zero(bits)));
        bits &= bits - 1;
    }
}

}  // namespace

// [any thread]
void DisplayMailbox::postParameter(int32_t index) {
    if (index < 0 || index >= kParameterCount) return;
    setBit(dirtyParameters, 1u << index);
}

// [any thread]
void DisplayMailbox::postPreset(int32_t k) {
    if (k < 0 || k >= kPresetCount) return;
    setBit(presetRequests, 1u << k);
}

// [any thread]
void DisplayMailbox::postCurvePoint(float value) {
    curve.pushPoint(value);
}

// [any thread]
void DisplayMailbox::postCurveClear() {
    curve.pushClear();
    selectivityLevel.store(0.0f, std::memory_order_relaxed);
    triggerLevel.store(0.0f, std::memory_order_relaxed);
    setBit(latestPending, kSelectivityMeterBit | kTriggerLevelMeterBit);
}

// [any thread]
void DisplayMailbox::postMeter(Meter which, float level) {
    switch (which) {
        case Meter::selectivity:
            selectivityLevel.store(level, std::memory_order_relaxed);
            setBit(latestPending, kSelectivityMeterBit);
            break;
        case Meter::triggerLevel:
            triggerLevel.store(level, std::memory_order_relaxed);
            setBit(latestPending, kTriggerLevelMeterBit);
            break;
    }
}

// [any thread]
void DisplayMailbox::postTempo(float bpm) {
    tempo.store(bpm, std::memory_order_relaxed);
    setBit(latestPending, kTempoBit);
}

// [UI thread]
void DisplayMailbox::discardAll() {
    takeBits(presetRequests);
    takeBits(dirtyParameters);
    takeBits(latestPending);
    curve.consume([](const CurveItem&) {});
}

// [UI thread] Presets come first: loading one writes parameters, and their
// refreshes then happen in this same drain. A parameter's bit is taken before
// its refresh, so a write racing the refresh shows at the next drain.
void DisplayMailbox::drain(DisplaySink& sink) {
    forEachBit(takeBits(presetRequests), [&](int32_t k) { sink.loadPreset(k); });
    forEachBit(takeBits(dirtyParameters), [&](int32_t i) { sink.refreshParameter(i); });
    drainCurve(sink);
    drainLatest(sink);
}

// [UI thread]
void DisplayMailbox::drainCurve(DisplaySink& sink) {
    curve.consume([&](const CurveItem& item) {
        if (item.kind == CurveItem::Kind::clear) {
            sink.clearCurve();
        } else {
            sink.addCurvePoint(item.value);
        }
    });
}

// [UI thread] A value may be newer than the bit that announced it; its own
// bit then brings it once more at the next drain, which shows the same value.
void DisplayMailbox::drainLatest(DisplaySink& sink) {
    const uint32_t pending = takeBits(latestPending);
    if (pending & kSelectivityMeterBit) {
        sink.setMeter(Meter::selectivity, selectivityLevel.load(std::memory_order_relaxed));
    }
    if (pending & kTriggerLevelMeterBit) {
        sink.setMeter(Meter::triggerLevel, triggerLevel.load(std::memory_order_relaxed));
    }
    if (pending & kTempoBit) sink.setTempo(tempo.load(std::memory_order_relaxed));
}

}  // namespace tavolu
