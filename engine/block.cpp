// Block processing: the host's time information at a block start, the bar and
// grid counters, the per-sample chain from input to pan law, and the periodic
// report of the pan position to the editor.
#include <cmath>

#include "engine/denormal_guard.h"
#include "engine/engine.h"
#include "engine/host_position.h"
#include "engine/pan_generator.h"

namespace tavolu {

namespace {

constexpr double kSecondsPerMinute = 60.0;
constexpr double kRadiansPerBeatMinute = 0.10471975511965978;  // 2 pi / 60
constexpr float kRetryPeriod = 0.1f;  // s until an invalid host is asked again
constexpr double kDefaultBeatsPerBar = 4.0;
constexpr int32_t kFoldAbove = 5000000;  // samples since trigger
constexpr int32_t kFoldTo = 500000;      // samples since trigger, far past any envelope end
constexpr float kNewTraceOffset = 99.0f;
constexpr float kSilenceReport = 999.0f;
constexpr double kFull = 1.0;

struct PanGains {
    double left;
    double right;
};

// Pan law: each side falls off linearly toward the other, lifted in the
// middle by "Center Vol"; "Dry-Wet" scales the attenuation.
PanGains panGains(float pan, float centerVol, float dryWet) {
    const double t = pan;
    const double w = double{centerVol} + 1.0;
    double a = kFull - (kFull - t) * w;
    double b = kFull - t * w;
    if (a < 0.0) a = 0.0;
    if (b < 0.0) b = 0.0;
    const double wet = dryWet;
    return {kFull - wet * a, kFull - wet * b};
}

// Fills the outputs that exist with silence.
void silence(float* out, int32_t frames) {
    if (out == nullptr) return;
    for (int32_t i = 0; i < frames; ++i) out[i] = 0.0f;
}

}  // namespace

// [audio thread] Reads the host's transport and sets the bar and grid
// counters from it; without usable information the bar counter retries in
// 0.1 s and no bar or grid line fires.
void Engine::blockStart() {
    HostTime time;
    const bool valid = host != nullptr && host->readHostTime(time) &&
                       usableHostTime(time.ppqPos, time.barStartPos, time.tempo);
    if (valid) {
        const double beatsPerBar =
            time.timeSigNumerator > 0 ? double(time.timeSigNumerator) : kDefaultBeatsPerBar;
        const double posInBar = positionInBar(time.ppqPos - time.barStartPos, beatsPerBar);
        const double grid = gridBeats;
        const double posInGrid = positionInGrid(posInBar, grid);
        const double rate = engineSampleRate;
        samplesPerBeat = rate * kSecondsPerMinute / time.tempo;
        samplesPerBar = beatsPerBar * samplesPerBeat;
        if (time.ppqPos != lastPpqPos) {
            // Only a moving transport resets the counters; a stopped one lets
            // the lines keep coming at the last tempo.
            lastPpqPos = time.ppqPos;
            samplesToNextBar = (beatsPerBar - posInBar) * samplesPerBeat;
            samplesToNextGridLine = (grid - posInGrid) * samplesPerBeat;
        }
        if (lfoFreqSource != 0) {
            lfoPhaseStep = static_cast<float>(time.tempo * kRadiansPerBeatMinute *
                                              double{lfoCyclesPerBeat} / rate);
        }
        notify(kReportTempo, static_cast<float>(time.tempo));
        hostSyncValid = true;
    } else {
        samplesToNextBar = double{engineSampleRate} * double{kRetryPeriod};
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
void Engine::processReplacing(const float* inLeft, const float* inRight, float* outLeft,
                              float* outRight, int32_t sampleFrames) {
    const ScopedDenormalFlush flushDenormals;
    if (!timeInfoCurrent) blockStart();
    if (inLeft == nullptr || inRight == nullptr || outLeft == nullptr || outRight == nullptr) {
        silence(outLeft, sampleFrames);
        silence(outRight, sampleFrames);
        return;
    }

    // The pan law's two gains, kept while the pan position and the two
    // output controls they come from stay put (most of the time).
    PanGains gains = panGains(panPosition, centerVol, dryWet);
    float gainsPan = panPosition;

    for (int32_t i = 0; i < sampleFrames; ++i) {
        // Bar and grid lines. The bar counter carries its fraction over; the
        // grid counter is set afresh from the beat length at each line.
        if (samplesToNextBar < 1.0) {
            samplesToNextBar += samplesPerBar;
            barPending = hostSyncValid;
            timeInfoCurrent = false;
        }
        samplesToNextBar -= 1.0;
        if (samplesToNextGridLine < 1.0) {
            samplesToNextGridLine = gridBeats * samplesPerBeat;
            gridPending = hostSyncValid;
            timeInfoCurrent = false;
        }
        samplesToNextGridLine -= 1.0;

        // Output controls; each is usually at rest on its target.
        bool gainsStale = false;
        if (const float target = stereoTarget; target != stereo) slewToward(target, stereo);
        if (const float target = dryWetTarget; target != dryWet) {
            slewToward(target, dryWet);
            gainsStale = true;
        }
        if (const float target = centerVolTarget; target != centerVol) {
            slewToward(target, centerVol);
            gainsStale = true;
        }

        const float left = inLeft[i];
        const float right = inRight[i];
        float m = static_cast<float>((double{right} + double{left}) * double{inputGain});
        float l = m;
        float r = m;
        if (!std::isfinite(m)) {
            m = l = r = 0.0f;
        } else if (stereo != 0.0f) {
            const double mono = m;
            const double width = stereo;
            l = static_cast<float>(mono + (double{left} - mono) * width);
            r = static_cast<float>(mono + (double{right} - mono) * width);
        }

        const float t = nextPanPosition(m);
        if (gainsStale || t != gainsPan) {
            gains = panGains(t, centerVol, dryWet);
            gainsPan = t;
        }
        outLeft[i] = static_cast<float>(double{l} * gains.left);
        outRight[i] = static_cast<float>(double{r} * gains.right);

        if (++updateCounter >= updateInterval) {
            updateCounter = 0;
            periodicUpdate();
        }
        if (samplesSinceTrigger >= kFoldAbove) samplesSinceTrigger = kFoldTo;
    }
}

}  // namespace tavolu
