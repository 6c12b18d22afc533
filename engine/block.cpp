// Block processing: the host's time information at a block start, the bar and
// grid counters that cut a block into stretches (engine/stretch.cpp runs the
// frames of each), and the periodic report of the pan position to the editor.
#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/denormal_guard.h"
#include "engine/engine.h"
#include "engine/host_position.h"
#include "engine/stretch.h"
#include "engine/voice.h"

namespace tavolu {

namespace {

constexpr double kSecondsPerMinute = 60.0;
constexpr double kRadiansPerBeatMinute = 0.10471975511965978;  // 2 pi / 60
constexpr float kRetryPeriod = 0.1f;  // s until an invalid host is asked again
constexpr double kDefaultBeatsPerBar = 4.0;
// Samples: a bar this long or longer (a tempo far below one beat a year)
// would count down in steps that are no longer exact.
constexpr double kLongestBar = 4503599627370496.0;  // 2^52
constexpr int32_t kFoldAbove = 5000000;             // samples since trigger
constexpr int32_t kFoldTo = 500000;  // samples since trigger, far past any envelope end
constexpr float kNewTraceOffset = 99.0f;
constexpr float kSilenceReport = 999.0f;

// Fills the outputs that exist with silence.
void silence(float* out, int32_t frames) {
    if (out == nullptr) return;
    for (int32_t i = 0; i < frames; ++i) out[i] = 0.0f;
}

// How many samples, from the current one on, can run without a bar or grid
// line at a sample's start, or a periodic update or fold at a sample's end:
// only the last sample of the run may end in one.
int32_t quietRun(const ChainState& c, int32_t updateInterval, int32_t remaining) {
    double run = remaining;
    if (c.samplesToNextBar < run) run = std::max(1.0, std::floor(c.samplesToNextBar));
    if (c.samplesToNextGridLine < run) run = std::max(1.0, std::floor(c.samplesToNextGridLine));
    const double toUpdate = std::max(1.0, double(updateInterval) - c.updateCounter);
    const double toFold = std::max(1.0, double(kFoldAbove) - c.samplesSinceTrigger);
    return static_cast<int32_t>(std::min({run, toUpdate, toFold}));
}

// A counter set afresh from the host's position: `fresh` samples to the next
// line. When the running counter has a line due on this sample and the fresh
// one does not, the line fires now and the counter then reaches `fresh`.
double keepDueLine(bool counting, double running, double fresh, double step) {
    if (counting && running < 1.0 && fresh >= 1.0) return fresh - step;
    return fresh;
}

}  // namespace

// [audio thread] Reads the host's transport and sets the bar and grid
// counters from it; without usable information the bar counter retries in
// 0.1 s and no bar or grid line fires.
void Engine::blockStart() {
    HostTime time;
    bool valid = host != nullptr && host->readHostTime(time) &&
                 usableHostTime(time.ppqPos, time.barStartPos, time.tempo);
    const double beatsPerBar =
        time.timeSigNumerator > 0 ? double(time.timeSigNumerator) : kDefaultBeatsPerBar;
    const double rate = engineSampleRate;
    const double beatLength = valid ? rate * kSecondsPerMinute / time.tempo : 0.0;
    if (!(beatsPerBar * beatLength < kLongestBar)) valid = false;
    if (valid) {
        const double posInBar = positionInBar(time.ppqPos - time.barStartPos, beatsPerBar);
        const double grid = gridBeats;
        const double posInGrid = positionInGrid(posInBar, grid);
        samplesPerBeat = beatLength;
        samplesPerBar = beatsPerBar * samplesPerBeat;
        if (time.ppqPos != lastPpqPos) {
            // Only a moving transport resets the counters; a stopped one lets
            // the lines keep coming at the last tempo.
            lastPpqPos = time.ppqPos;
            lineTolerance =
                tavolu::lineTolerance(time.ppqPos, time.barStartPos, beatsPerBar, samplesPerBeat);
            const double toBar =
                onWholeSample((beatsPerBar - posInBar) * samplesPerBeat, lineTolerance);
            const double toGrid = onWholeSample((grid - posInGrid) * samplesPerBeat, lineTolerance);
            // The host asks to be read only after a line has passed, so this
            // block may start exactly on the next one, where the host's
            // position counts it as passed (at a bar start) although it has
            // not fired yet. A line the counters have due on this very sample
            // stays due, and the lines after it follow the host.
            const bool counting = hostSyncValid;
            samplesToNextBar = keepDueLine(counting, samplesToNextBar, toBar, samplesPerBar);
            samplesToNextGridLine =
                keepDueLine(counting, samplesToNextGridLine, toGrid, grid * samplesPerBeat);
        }
        if (lfoFreqSource != 0) {
            lfoPhaseStep = static_cast<float>(time.tempo * kRadiansPerBeatMinute *
                                              double{lfoCyclesPerBeat} / rate);
        }
        notify(kReportTempo, static_cast<float>(time.tempo));
        hostSyncValid = true;
    } else {
        samplesToNextBar = rate * double{kRetryPeriod};
        notify(kReportTempo, 0.0f);
        hostSyncValid = false;
    }
    timeInfoCurrent = true;
}

// [audio thread] Every updateInterval samples, and at the end of a sample on
// which a trigger fired: the pan position for the curve view, and a clear
// request once the input has been digitally silent for a whole segment.
void Engine::periodicUpdate() {
    const bool shown = displayAttached && host != nullptr && signalPresent;
    if (traceRestart) {
        if (shown) {
            notify(kReportPanPosition, panPosition + kNewTraceOffset);
            traceRestart = false;
        }
    } else if (shown) {
        notify(kReportPanPosition, panPosition);
    }
    if (!(detEnvelope > 0.0f)) {
        if (shown) {
            samplesSinceTrigger = kFoldTo;  // silence ends a running sweep at once
            notify(kReportSilence, kSilenceReport);
            signalPresent = false;
        }
    } else {
        signalPresent = true;
    }
}

// [audio thread] Both inputs of a frame are read before its outputs are
// written, so the host may pass the same buffers for both. A frame whose input
// is not finite (or whose mono sum overflows) is taken as silence: the engine
// runs on as for a zero sample and both outputs of that frame are 0.
//
// The samples run in stretches between events (bar and grid lines, periodic
// updates, triggers), so the per-sample loop carries no event bookkeeping;
// the counters move by the stretch's length at its end, which is exact since
// they count whole samples.
void Engine::processReplacing(const float* inLeft, const float* inRight, float* outLeft,
                              float* outRight, int32_t sampleFrames) {
    const ScopedDenormalFlush flushDenormals;
    if (!timeInfoCurrent) blockStart();
    if (inLeft == nullptr || inRight == nullptr || outLeft == nullptr || outRight == nullptr) {
        silence(outLeft, sampleFrames);
        silence(outRight, sampleFrames);
        return;
    }

    const Settings s(*this);
    OutputStage out(*this, s);
    const Stretch b{inLeft, inRight, outLeft, outRight, s.inputGain == 1.0f || s.inputGain == 0.5f};

    // The counter of a host line that passes on this sample, moved on to the next.
    const auto nextLine = [this](double counter, double step) {
        return onWholeSample(counter + step, lineTolerance);
    };

    int32_t i = 0;
    while (i < sampleFrames) {
        // Bar and grid lines due at this sample's start. On the host's time
        // both counters carry their fraction over, so that a line comes where
        // the host's position would put it whether or not a block starts in
        // between; without it the grid counter is set afresh.
        if (samplesToNextBar < 1.0) {
            samplesToNextBar = hostSyncValid ? nextLine(samplesToNextBar, samplesPerBar)
                                             : samplesToNextBar + samplesPerBar;
            barPending = hostSyncValid;
            timeInfoCurrent = false;
        }
        if (samplesToNextGridLine < 1.0) {
            const double step = gridBeats * samplesPerBeat;
            samplesToNextGridLine = hostSyncValid ? nextLine(samplesToNextGridLine, step) : step;
            gridPending = hostSyncValid;
            timeInfoCurrent = false;
        }

        const int32_t run = quietRun(*this, updateInterval, sampleFrames - i);
        const Ran ran = runStretch(*this, s, out, b, i, i + run);
        const int32_t k = ran.frames;
        i += k;
        samplesToNextBar -= k;
        samplesToNextGridLine -= k;
        // A trigger ends the stretch on its own sample, and sets the update
        // counter so that the new trace is reported at the end of it.
        updateCounter += ran.fired ? 1 : k;
        if (updateCounter >= updateInterval) {
            updateCounter = 0;
            periodicUpdate();
        }
        if (samplesSinceTrigger >= kFoldAbove) samplesSinceTrigger = kFoldTo;
    }
    out.keep(*this);
}

}  // namespace tavolu
