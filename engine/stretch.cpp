// The frames of a stretch go through three passes, a chunk at a time: the
// mono sums, the pan chain, and the pan law with the outputs. The chain reads
// nothing but the mono sum, and the output controls play no part in it, so
// the outer passes run over whole chunks (four frames at a time where they
// can) and the chain has the registers to itself. All inputs of a chunk are
// read before any of its outputs is written, so the host may pass the same
// buffers for both.
#include "engine/stretch.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/denormal_guard.h"
#include "engine/pan_generator.h"

namespace tavolu {

namespace {

constexpr int32_t kChunk = 256;  // frames
constexpr double kFull = 1.0;

// One frame's input: both channels and their mono sum, which is 0 for a
// frame whose input is not finite (or whose sum overflows).
struct Frame {
    float left;
    float right;
    float m;
    bool silent;
};

Frame readFrame(const Stretch& b, const Settings& s, int32_t at) {
    Frame f{b.inLeft[at], b.inRight[at], 0.0f, false};
    f.m = b.exactGain ? (f.left + f.right) * s.inputGain
                      : static_cast<float>((double{f.right} + double{f.left}) * s.inputGain);
    if (!std::isfinite(f.m)) [[unlikely]] {
        f.m = static_cast<float>((double{f.right} + double{f.left}) * double{s.inputGain});
        if (!std::isfinite(f.m)) {
            f.m = 0.0f;
            f.silent = true;
        }
    }
    return f;
}

// Pass 1: the mono sums of frames [from, from + n).
void monoSums(const Stretch& b, const Settings& s, int32_t from, int32_t n, float* mono) {
    if (b.exactGain) {
        const float* left = b.inLeft + from;
        const float* right = b.inRight + from;
        int32_t j = 0;
        bool bad = false;
#ifdef TAVOLU_HAS_MXCSR
        const __m128 g = _mm_set1_ps(s.inputGain);
        const __m128 magnitude = _mm_castsi128_ps(_mm_set1_epi32(0x7fffffff));
        const __m128 largest = _mm_set1_ps(std::numeric_limits<float>::max());
        __m128 anyBad = _mm_setzero_ps();
        for (; j + 4 <= n; j += 4) {
            const __m128 m =
                _mm_mul_ps(_mm_add_ps(_mm_loadu_ps(left + j), _mm_loadu_ps(right + j)), g);
            _mm_storeu_ps(mono + j, m);
            anyBad = _mm_or_ps(anyBad, _mm_cmpnle_ps(_mm_and_ps(m, magnitude), largest));
        }
        bad = _mm_movemask_ps(anyBad) != 0;
#endif
        for (; j < n; ++j) {
            mono[j] = (left[j] + right[j]) * s.inputGain;
            bad |= !(std::fabs(mono[j]) <= std::numeric_limits<float>::max());
        }
        if (!bad) [[likely]]
            return;
    }
    for (int32_t j = 0; j < n; ++j) mono[j] = readFrame(b, s, from + j).m;
}

// Why the chain's loop stopped.
enum class Stop : uint8_t {
    kEnd,      // all frames done
    kMore,     // the frames before `at` are done; the rest go on in another run
    kRare,     // the frame at `at` needs a step that calls out: nothing of it is done
    kTrigger,  // a trigger is due on the frame at `at`: its first part is done
};

struct Stopped {
    int32_t at;
    Stop why;
};

// Pass 2, the loop: frames [begin, end) through the chain while nothing calls
// out of it. Out of line and on its own copy of the chain, so that the
// compiler sees a small loop over values that nothing else can reach and
// keeps them in registers. It is compiled for each phase of the envelope and
// each state of the LFO's way to the pan; a run ends where the phase does or
// where the LFO's crossfade and fade-in complete.
template <Phase kPhase, LfoMode kMode>
[[gnu::noinline]] Stopped runChain(Engine& e, const Settings& settings, const float* mono,
                                   float* pan, int32_t begin, int32_t end) {
    const Settings s = settings;
    Voice v(e, s);
    // At rest with the LFO's output put off, the pan position aimed at stays
    // the same from sample to sample (the offset is 0).
    const float restingRaw = kPhase == Phase::kRest && kMode == LfoMode::kPutOff
                                 ? clampedPan(0.0f + restingEnvelope(v, s))
                                 : 0.0f;
    int32_t j = begin;
    Stop why = Stop::kEnd;
    // Two samples a turn: the values that pass from one sample to the next
    // (the sine, the envelope) swap registers between the two copies instead
    // of being moved back at every turn.
#pragma GCC unroll 2
    for (; j < end; ++j) {
        const float m = mono[j];
        if (detectorCallsOut(v, s, std::fabs(m))) [[unlikely]] {
            why = Stop::kRare;
            break;
        }
        if (detectAndDecide<false>(v, s, e, m)) [[unlikely]] {
            why = Stop::kTrigger;
            break;
        }
        pan[j] = movePan<false, kPhase, kMode>(v, s, e, false, restingRaw);
        if (kMode == LfoMode::kRunning && v.lfoSettled) [[unlikely]] {
            ++j;
            break;
        }
    }
    if (why == Stop::kEnd && j < end) why = Stop::kMore;
    v.store(e);
    return {j, why};
}

template <Phase kPhase>
Stopped runChainIn(LfoMode mode, Engine& e, const Settings& s, const float* mono, float* pan,
                   int32_t begin, int32_t end) {
    switch (mode) {
        case LfoMode::kPutOff:
            return runChain<kPhase, LfoMode::kPutOff>(e, s, mono, pan, begin, end);
        case LfoMode::kSettled:
            return runChain<kPhase, LfoMode::kSettled>(e, s, mono, pan, begin, end);
        default: return runChain<kPhase, LfoMode::kRunning>(e, s, mono, pan, begin, end);
    }
}

// Picks the loop for what the chain stands at, as a Voice would find it.
Stopped runChain(Engine& e, const Settings& s, const float* mono, float* pan, int32_t begin,
                 int32_t end) {
    int32_t length = 0;
    const Phase phase = nextPhase(e, end - begin, length);
    const int32_t stop = begin + length;
    const LfoMode mode = !lfoAtRest(e, s)     ? LfoMode::kRunning
                         : s.lfoDepth == 0.0f ? LfoMode::kPutOff
                                              : LfoMode::kSettled;
    Stopped ran{};
    switch (phase) {
        case Phase::kAttack:
            ran = runChainIn<Phase::kAttack>(mode, e, s, mono, pan, begin, stop);
            break;
        case Phase::kDecay:
            ran = runChainIn<Phase::kDecay>(mode, e, s, mono, pan, begin, stop);
            break;
        default: ran = runChainIn<Phase::kRest>(mode, e, s, mono, pan, begin, stop); break;
    }
    if (ran.why == Stop::kEnd && ran.at < end) ran.why = Stop::kMore;
    return ran;
}

// One frame with every step the loop leaves out, `decided` when its first
// part is done already; answers whether a trigger fired.
bool rareFrame(Engine& e, const Settings& s, float m, bool decided, float& pan) {
    Voice v(e, s);
    const bool fire = decided || detectAndDecide(v, s, e, m);
    if (fire) fireTrigger(v, e, m);
    pan = movePan(v, s, e, fire);
    v.store(e);
    return fire;
}

// Pass 2 over a chunk: answers how many frames ran, stopping after a frame on
// which a trigger fired. A bar line is pending only ever on a stretch's first
// frame, and takes that frame out of the loop.
Ran chainPass(Engine& e, const Settings& s, const float* mono, float* pan, int32_t n) {
    int32_t j = 0;
    while (j < n) {
        bool decided = false;
        if (!e.barPending) {
            const Stopped stop = runChain(e, s, mono, pan, j, n);
            j = stop.at;
            if (stop.why == Stop::kEnd) break;
            if (stop.why == Stop::kMore) continue;
            decided = stop.why == Stop::kTrigger;
        }
        const bool fired = rareFrame(e, s, mono[j], decided, pan[j]);
        ++j;
        if (fired) return {j, true};
    }
    return {n, false};
}

// Pass 3, the usual case (the controls rest, both channels carry the mono
// sum): each output is the mono sum times its channel's gain, rounded to
// float. Where four pan positions in a row equal the last, the kept gains
// serve; elsewhere the pan law runs in two lanes of double, the same
// arithmetic as setPan.
void plainOutputs(OutputStage& out, const ChainState& c, const float* mono, const float* pan,
                  float* outL, float* outR, int32_t n) {
    int32_t j = 0;
#ifdef TAVOLU_HAS_MXCSR
    const __m128d one = _mm_set1_pd(kFull);
    const __m128d zero = _mm_setzero_pd();
    const __m128d w = _mm_set1_pd(double{c.centerVol} + 1.0);
    const __m128d wet = _mm_set1_pd(c.dryWet);
    __m128 keptPan = _mm_set1_ps(out.pan);
    __m128d keptLeft = _mm_set1_pd(out.left);
    __m128d keptRight = _mm_set1_pd(out.right);
    for (; j + 4 <= n; j += 4) {
        const __m128 t4 = _mm_loadu_ps(pan + j);
        const __m128 m = _mm_loadu_ps(mono + j);
        const __m128d mLow = _mm_cvtps_pd(m);
        const __m128d mHigh = _mm_cvtps_pd(_mm_movehl_ps(m, m));
        __m128d left[2] = {keptLeft, keptLeft};
        __m128d right[2] = {keptRight, keptRight};
        if (_mm_movemask_ps(_mm_cmpneq_ps(t4, keptPan)) != 0) {
            const __m128d t[2] = {_mm_cvtps_pd(t4), _mm_cvtps_pd(_mm_movehl_ps(t4, t4))};
            for (int h = 0; h < 2; ++h) {
                // max(0, x) keeps x unless 0 > x, as the scalar test does.
                const __m128d a =
                    _mm_max_pd(zero, _mm_sub_pd(one, _mm_mul_pd(_mm_sub_pd(one, t[h]), w)));
                const __m128d b = _mm_max_pd(zero, _mm_sub_pd(one, _mm_mul_pd(t[h], w)));
                left[h] = _mm_sub_pd(one, _mm_mul_pd(wet, a));
                right[h] = _mm_sub_pd(one, _mm_mul_pd(wet, b));
            }
            keptPan = _mm_shuffle_ps(t4, t4, _MM_SHUFFLE(3, 3, 3, 3));
            keptLeft = _mm_unpackhi_pd(left[1], left[1]);
            keptRight = _mm_unpackhi_pd(right[1], right[1]);
        }
        _mm_storeu_ps(outL + j, _mm_movelh_ps(_mm_cvtpd_ps(_mm_mul_pd(mLow, left[0])),
                                              _mm_cvtpd_ps(_mm_mul_pd(mHigh, left[1]))));
        _mm_storeu_ps(outR + j, _mm_movelh_ps(_mm_cvtpd_ps(_mm_mul_pd(mLow, right[0])),
                                              _mm_cvtpd_ps(_mm_mul_pd(mHigh, right[1]))));
    }
    out.pan = _mm_cvtss_f32(keptPan);
    out.left = _mm_cvtsd_f64(keptLeft);
    out.right = _mm_cvtsd_f64(keptRight);
#endif
    for (; j < n; ++j) {
        if (pan[j] != out.pan) out.setPan(pan[j], c);
        outL[j] = static_cast<float>(double{mono[j]} * out.left);
        outR[j] = static_cast<float>(double{mono[j]} * out.right);
    }
}

// Pass 3 otherwise: the controls slew a step per frame, and with "Stereo"
// above 0 each channel keeps that much of its own input.
void generalOutputs(OutputStage& out, ChainState& c, const Settings& s, const Stretch& b,
                    int32_t from, const float* mono, const float* pan, int32_t n) {
    for (int32_t j = 0; j < n; ++j) {
        if (!out.atRest) out.slewControls(c, s);
        const int32_t at = from + j;
        double l = mono[j];
        double r = l;
        if (!out.mono) {
            const Frame f = readFrame(b, s, at);
            const double width = c.stereo;
            l = f.silent ? 0.0 : static_cast<float>(l + (double{f.left} - l) * width);
            r = f.silent ? 0.0 : static_cast<float>(r + (double{f.right} - r) * width);
        }
        if (pan[j] != out.pan) out.setPan(pan[j], c);
        b.outLeft[at] = static_cast<float>(l * out.left);
        b.outRight[at] = static_cast<float>(r * out.right);
    }
}

}  // namespace

// Pan law: each side falls off linearly toward the other, lifted in the
// middle by "Center Vol"; "Dry-Wet" scales the attenuation.
void OutputStage::setPan(float t, const ChainState& c) {
    const double position = t;
    const double w = double{c.centerVol} + 1.0;
    double a = kFull - (kFull - position) * w;
    double b = kFull - position * w;
    if (a < 0.0) a = 0.0;
    if (b < 0.0) b = 0.0;
    const double wet = c.dryWet;
    left = kFull - wet * a;
    right = kFull - wet * b;
    pan = t;
}

void OutputStage::slewControls(ChainState& c, const Settings& s) {
    slewBy(s.slewStep, s.stereoTarget, c.stereo);
    slewBy(s.slewStep, s.dryWetTarget, c.dryWet);
    slewBy(s.slewStep, s.centerVolTarget, c.centerVol);
    look(c, s);
    pan = std::numeric_limits<float>::quiet_NaN();
}

// [audio thread]
Ran runStretch(Engine& e, const Settings& s, OutputStage& out, const Stretch& b, int32_t begin,
               int32_t end) {
    float mono[kChunk];
    float pan[kChunk];
    for (int32_t from = begin; from < end; from += kChunk) {
        const int32_t n = std::min(kChunk, end - from);
        monoSums(b, s, from, n, mono);
        const Ran ran = chainPass(e, s, mono, pan, n);
        if (out.atRest && out.mono) {
            plainOutputs(out, e, mono, pan, b.outLeft + from, b.outRight + from, ran.frames);
        } else {
            generalOutputs(out, e, s, b, from, mono, pan, ran.frames);
        }
        if (ran.fired) return {from + ran.frames - begin, true};
    }
    return {end - begin, false};
}

}  // namespace tavolu
