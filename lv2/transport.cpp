// Reading time:Position and carrying the position forward.
#include "lv2/transport.h"

#include <lv2/atom/util.h>

#include <cmath>

namespace tavolu::lv2 {

namespace {

constexpr double kSecondsPerMinute = 60.0;
constexpr double kQuarterUnit = 4.0;                 // a beat unit of 4 is a quarter note
constexpr double kLargestMeterField = 2147483647.0;  // the meter fields are int32 in VST time

}  // namespace

// [audio thread] A new tempo or speed without a position re-anchors at the
// position the old ones had reached, so the song does not jump.
void Transport::position(const Urids& u, const LV2_Atom_Object& object, int64_t frame,
                         double sampleRate) {
    const LV2_Atom* bar = nullptr;
    const LV2_Atom* barBeat = nullptr;
    const LV2_Atom* beat = nullptr;
    const LV2_Atom* newUnit = nullptr;
    const LV2_Atom* perBar = nullptr;
    const LV2_Atom* bpm = nullptr;
    const LV2_Atom* newSpeed = nullptr;
    lv2_atom_object_get(&object, u.timeBar, &bar, u.timeBarBeat, &barBeat, u.timeBeat, &beat,
                        u.timeBeatUnit, &newUnit, u.timeBeatsPerBar, &perBar, u.timeBeatsPerMinute,
                        &bpm, u.timeSpeed, &newSpeed, 0);

    if (placed) {
        anchorBeats = beatsAt(frame, sampleRate);
        anchorFrame = frame;
    }
    double x = 0.0;
    if (readNumber(u, newUnit, x)) unit = x;
    if (readNumber(u, perBar, x)) beatsPerBar = x;
    if (readNumber(u, bpm, x)) beatsPerMinute = x;
    if (readNumber(u, newSpeed, x)) speed = x;

    double inBar = 0.0;
    if (readNumber(u, barBeat, inBar)) {
        double barNumber = 0.0;
        double absolute = 0.0;
        if (readNumber(u, beat, absolute)) {
            anchorBeats = absolute;
        } else if (readNumber(u, bar, barNumber)) {
            anchorBeats = barNumber * beatsPerBar + inBar;
        } else {
            anchorBeats = inBar;
        }
        anchorBarStart = anchorBeats - inBar;
        anchorFrame = frame;
        placed = true;
    }
}

double Transport::beatsAt(int64_t frame, double rate) const {
    const double seconds = static_cast<double>(frame - anchorFrame) / rate;
    return anchorBeats + seconds * beatsPerMinute / kSecondsPerMinute * speed;
}

// [audio thread] Bars follow each other at the meter last sent, counted from
// the bar the last position lay in.
bool Transport::at(int64_t frame, double rate, HostTime& time) const {
    if (!placed || !(unit > 0.0) || !(beatsPerBar >= 1.0 && beatsPerBar <= kLargestMeterField) ||
        !(rate > 0.0)) {
        return false;
    }
    const double beats = beatsAt(frame, rate);
    const double bars = std::floor((beats - anchorBarStart) / beatsPerBar);
    const double barStart = anchorBarStart + bars * beatsPerBar;
    const double quartersPerBeat = kQuarterUnit / unit;
    time.ppqPos = beats * quartersPerBeat;
    time.barStartPos = barStart * quartersPerBeat;
    time.tempo = beatsPerMinute * quartersPerBeat;
    time.timeSigNumerator = static_cast<int32_t>(beatsPerBar);
    return true;
}

int32_t Transport::beatUnit() const {
    return unit >= 1.0 && unit <= kLargestMeterField ? static_cast<int32_t>(unit) : 0;
}

}  // namespace tavolu::lv2
