// Bar and grid reduction of the host position.
//
// fmod is exact, and for positions a few bars from the bar start it gives the
// same value that adding or subtracting whole bars one at a time would; the
// two follow-up steps repeat what such a loop does at its last step, where
// rounding can land exactly on the bar length.
#include "engine/host_position.h"

#include <cfloat>
#include <cmath>

namespace tavolu {

double positionInBar(double beatsFromBarStart, double beatsPerBar) {
    double pos = std::fmod(beatsFromBarStart, beatsPerBar);
    if (pos < 0.0) pos += beatsPerBar;
    if (pos >= beatsPerBar) pos -= beatsPerBar;
    return pos;
}

double positionInGrid(double posInBar, double gridBeats) {
    if (!(gridBeats > 0.0)) return posInBar;
    const double pos = std::fmod(posInBar, gridBeats);
    // On an exact positive multiple the last grid line is not yet "passed".
    if (pos == 0.0 && posInBar > 0.0) return gridBeats;
    return pos;
}

double onWholeSample(double samples, double tolerance) {
    const double nearest = std::nearbyint(samples);
    return std::fabs(samples - nearest) <= tolerance ? nearest : samples;
}

double lineTolerance(double ppqPos, double barStartPos, double beatsPerBar, double samplesPerBeat) {
    // 2^-44: 256 times the relative rounding of a double, far above what the
    // host's and our few operations lose, far below a sample at any position
    // a session reaches.
    constexpr double kRelative = 5.684341886080802e-14;
    const double beats = std::fabs(ppqPos) + std::fabs(barStartPos) + beatsPerBar;
    return beats * samplesPerBeat * kRelative;
}

bool usableHostTime(double ppqPos, double barStartPos, double tempo) {
    // A tempo beyond the float range cannot be shown or turned into an LFO rate.
    return std::isfinite(ppqPos) && std::isfinite(barStartPos) &&
           std::isfinite(ppqPos - barStartPos) && tempo > 0.0 && tempo <= FLT_MAX;
}

}  // namespace tavolu
