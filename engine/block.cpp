// Block processing: the host's time information at a block start, the bar and
// grid counters, the per-sample chain from input to pan law, and the periodic
// report of the pan position to the editor.
#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/denormal_guard.h"
#include "engine/engine.h"
#include "engine/host_position.h"
#include "engine/pan_generator.h"
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
constexpr double kFull = 1.0;

// Fills the outputs that exist with silence.
void silence(float* out, int32_t frames) {
    if (out == nullptr) return;
    for (int32_t i = 0; i < frames; ++i) out[i] = 0.0f;
}

// The pan law's two channel gains, kept while the pan position and the
// output controls they come from stay put, which is most of the time.
struct OutputStage {
    double left = 1.0;
    double right = 1.0;
    float pan = std::numeric_limits<float>::quiet_NaN();  // gains not yet made
    bool atRest = false;                                  // all three controls on their targets
    bool mono = false;  // "Stereo" at 0: both channels carry the mono sum

    // Pan law: each side falls off linearly toward the other, lifted in the
    // middle by "Center Vol"; "Dry-Wet" scales the attenuation.
    [[gnu::always_inline]] void setPan(float t, const Voice& v) {
        const double position = t;
        const double w = double{v.centerVol} + 1.0;
        double a = kFull - (kFull - position) * w;
        double b = kFull - position * w;
        if (a < 0.0) a = 0.0;
        if (b < 0.0) b = 0.0;
        const double wet = v.dryWet;
        left = kFull - wet * a;
        right = kFull - wet * b;
        pan = t;
    }

    // At a block start: whether the controls already rest on their targets.
    void look(const Voice& v, const Settings& s) {
        atRest = v.stereo == s.stereoTarget && v.dryWet == s.dryWetTarget &&
                 v.centerVol == s.centerVolTarget;
        mono = v.stereo == 0.0f;
    }

    void slewControls(Voice& v, const Settings& s) {
        slewBy(s.slewStep, s.stereoTarget, v.stereo);
        slewBy(s.slewStep, s.dryWetTarget, v.dryWet);
        slewBy(s.slewStep, s.centerVolTarget, v.centerVol);
        atRest = v.stereo == s.stereoTarget && v.dryWet == s.dryWetTarget &&
                 v.centerVol == s.centerVolTarget;
        mono = v.stereo == 0.0f;
        pan = std::numeric_limits<float>::quiet_NaN();
    }
};

// How many samples, from the current one on, can run without a bar or grid
// line at a sample's start, or a periodic update or fold at a sample's end:
// only the last sample of the run may end in one.
int32_t quietRun(const Voice& v, int32_t updateInterval, int32_t remaining) {
    double run = remaining;
    if (v.samplesToNextBar < run) run = std::max(1.0, std::floor(v.samplesToNextBar));
    if (v.samplesToNextGridLine < run) run = std::max(1.0, std::floor(v.samplesToNextGridLine));
    const double toUpdate = std::max(1.0, double(updateInterval) - v.updateCounter);
    const double toFold = std::max(1.0, double(kFoldAbove) - v.samplesSinceTrigger);
    return static_cast<int32_t>(std::min({run, toUpdate, toFold}));
}

struct Channels {
    const float* left;
    const float* right;
};
struct Outputs {
    float* left;
    float* right;
};

// Frames [begin, end) through the chain one at a time, stopping after a
// frame on which a trigger fired; answers how many ran.
[[gnu::always_inline]] inline int32_t runFrames(Engine& e, Voice& v, const Settings& s,
                                                OutputStage& out, Channels in, Outputs outputs,
                                                int32_t begin, int32_t end) {
    const bool exactGain = s.inputGain == 1.0f || s.inputGain == 0.5f;
    for (int32_t at = begin; at < end; ++at) {
        if (!out.atRest) out.slewControls(v, s);

        const float left = in.left[at];
        const float right = in.right[at];
        float m = exactGain ? (left + right) * s.inputGain
                            : static_cast<float>((double{right} + double{left}) * s.inputGain);
        bool silent = false;
        if (!std::isfinite(m)) [[unlikely]] {
            m = static_cast<float>((double{right} + double{left}) * double{s.inputGain});
            if (!std::isfinite(m)) {
                m = 0.0f;
                silent = true;
            }
        }
        double l = m;
        double r = l;
        if (!out.mono) {
            const double width = v.stereo;
            l = silent ? 0.0 : static_cast<float>(l + (double{left} - l) * width);
            r = silent ? 0.0 : static_cast<float>(r + (double{right} - r) * width);
        }

        const float t = nextPanPosition(v, s, e, m);
        if (t != out.pan) out.setPan(t, v);
        outputs.left[at] = static_cast<float>(l * out.left);
        outputs.right[at] = static_cast<float>(r * out.right);
        if (v.triggered) [[unlikely]]
            return at + 1 - begin;
    }
    return end - begin;
}

// The mono sum of n frames at a gain of 1 or 1/2 (exact in float); answers
// whether any of them is not finite.
bool monoSum(const float* left, const float* right, float gain, float* mono, int32_t n) {
    int32_t j = 0;
    bool bad = false;
#ifdef TAVOLU_HAS_MXCSR
    const __m128 g = _mm_set1_ps(gain);
    const __m128 magnitude = _mm_castsi128_ps(_mm_set1_epi32(0x7fffffff));
    const __m128 largest = _mm_set1_ps(std::numeric_limits<float>::max());
    __m128 anyBad = _mm_setzero_ps();
    for (; j + 4 <= n; j += 4) {
        const __m128 m = _mm_mul_ps(_mm_add_ps(_mm_loadu_ps(left + j), _mm_loadu_ps(right + j)), g);
        _mm_storeu_ps(mono + j, m);
        anyBad = _mm_or_ps(anyBad, _mm_cmpnle_ps(_mm_and_ps(m, magnitude), largest));
    }
    bad = _mm_movemask_ps(anyBad) != 0;
#endif
    for (; j < n; ++j) {
        mono[j] = (left[j] + right[j]) * gain;
        bad |= !(std::fabs(mono[j]) <= std::numeric_limits<float>::max());
    }
    return bad;
}

// Both outputs of frames [from, to): the mono sum times each channel's
// gain, rounded to float.
void applyGains(const float* mono, double leftGain, double rightGain, float* outL, float* outR,
                int32_t from, int32_t to) {
    int32_t j = from;
#ifdef TAVOLU_HAS_MXCSR
    const __m128d gl = _mm_set1_pd(leftGain);
    const __m128d gr = _mm_set1_pd(rightGain);
    for (; j + 4 <= to; j += 4) {
        const __m128 m = _mm_loadu_ps(mono + j);
        const __m128d low = _mm_cvtps_pd(m);
        const __m128d high = _mm_cvtps_pd(_mm_movehl_ps(m, m));
        _mm_storeu_ps(outL + j, _mm_movelh_ps(_mm_cvtpd_ps(_mm_mul_pd(low, gl)),
                                              _mm_cvtpd_ps(_mm_mul_pd(high, gl))));
        _mm_storeu_ps(outR + j, _mm_movelh_ps(_mm_cvtpd_ps(_mm_mul_pd(low, gr)),
                                              _mm_cvtpd_ps(_mm_mul_pd(high, gr))));
    }
#endif
    for (; j < to; ++j) {
        outL[j] = static_cast<float>(double{mono[j]} * leftGain);
        outR[j] = static_cast<float>(double{mono[j]} * rightGain);
    }
}

// The usual case: the output controls rest, "Stereo" is 0 (both channels
// carry the mono sum) and the input gain scales exactly. The frames go in
// three passes over a chunk: the mono sum, the pan chain, and the gains,
// which change only where the pan position does, so the outer two passes run
// over whole stretches and the chain has the registers to itself. All inputs
// of a chunk are read before any output is written.
[[gnu::always_inline]] inline int32_t runPlainFrames(Engine& e, Voice& v, const Settings& s,
                                                     OutputStage& out, Channels in, Outputs outputs,
                                                     int32_t begin, int32_t end) {
    constexpr int32_t kChunk = 256;  // frames
    float mono[kChunk];
    int32_t changeAt[kChunk + 1];  // where the gains change within the chunk
    double leftGain[kChunk + 1];
    double rightGain[kChunk + 1];
    const float gain = s.inputGain;

    for (int32_t from = begin; from < end; from += kChunk) {
        const int32_t n = std::min(kChunk, end - from);
        const float* inL = in.left + from;
        const float* inR = in.right + from;
        if (monoSum(inL, inR, gain, mono, n)) [[unlikely]] {
            for (int32_t j = 0; j < n; ++j) {
                if (std::isfinite(mono[j])) continue;
                const float m = static_cast<float>((double{inR[j]} + double{inL[j]}) * gain);
                mono[j] = std::isfinite(m) ? m : 0.0f;  // not finite: a silent frame
            }
        }

        if (out.pan != v.panPosition) out.setPan(v.panPosition, v);
        int32_t changes = 0;
        changeAt[0] = 0;
        leftGain[0] = out.left;
        rightGain[0] = out.right;
        int32_t done = n;
        for (int32_t j = 0; j < n; ++j) {
            nextPanPosition(v, s, e, mono[j], [&] {
                out.setPan(v.panPosition, v);
                ++changes;
                changeAt[changes] = j;
                leftGain[changes] = out.left;
                rightGain[changes] = out.right;
            });
            if (v.triggered) [[unlikely]] {
                done = j + 1;
                break;
            }
        }

        float* outL = outputs.left + from;
        float* outR = outputs.right + from;
        for (int32_t c = 0; c <= changes; ++c) {
            const int32_t to = c < changes ? changeAt[c + 1] : done;
            applyGains(mono, leftGain[c], rightGain[c], outL, outR, changeAt[c], to);
        }
        if (done < n) return from + done - begin;
    }
    return end - begin;
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
    Voice v(*this);
    OutputStage out;
    out.look(v, s);
    // A gain of 1 or 1/2 scales exactly, so the sum can be formed in float.
    const bool exactGain = s.inputGain == 1.0f || s.inputGain == 0.5f;
    const Channels in{inLeft, inRight};
    const Outputs outputs{outLeft, outRight};

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
        if (v.samplesToNextBar < 1.0) {
            v.samplesToNextBar = hostSyncValid ? nextLine(v.samplesToNextBar, samplesPerBar)
                                               : v.samplesToNextBar + samplesPerBar;
            v.barPending = hostSyncValid;
            timeInfoCurrent = false;
        }
        if (v.samplesToNextGridLine < 1.0) {
            const double step = gridBeats * samplesPerBeat;
            v.samplesToNextGridLine =
                hostSyncValid ? nextLine(v.samplesToNextGridLine, step) : step;
            if (hostSyncValid) {
                v.pending |= kGridPending;
            } else {
                v.pending &= static_cast<uint8_t>(~kGridPending);
            }
            timeInfoCurrent = false;
        }

        const int32_t run = quietRun(v, updateInterval, sampleFrames - i);
        const bool plain = out.atRest && out.mono && exactGain;
        const int32_t k = plain ? runPlainFrames(*this, v, s, out, in, outputs, i, i + run)
                                : runFrames(*this, v, s, out, in, outputs, i, i + run);
        i += k;
        v.samplesToNextBar -= k;
        v.samplesToNextGridLine -= k;
        if (v.triggered) {
            // The trigger set the update counter so that the new trace is
            // reported at the end of its sample.
            v.triggered = false;
            v.updateCounter += 1;
        } else {
            v.updateCounter += k;
        }
        if (v.updateCounter >= updateInterval) {
            v.updateCounter = 0;
            v.store(*this);
            periodicUpdate();
            v.load(*this);
        }
        if (v.samplesSinceTrigger >= kFoldAbove) v.samplesSinceTrigger = kFoldTo;
    }
    v.store(*this);
}

}  // namespace tavolu
