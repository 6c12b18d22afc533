#include "tools/host/transport.h"

#include <cmath>

namespace tavolu::host {

vst2::VstTimeInfo timeInfoAt(const TransportSettings& t, double samplePos, bool firstBlock) {
    vst2::VstTimeInfo info{};
    info.samplePos = samplePos;
    info.sampleRate = t.sampleRate;
    info.tempo = t.tempo;
    info.timeSigNumerator = t.timeSigNumerator;
    info.timeSigDenominator = t.timeSigDenominator;

    const double seconds = t.running ? samplePos / t.sampleRate : 0.0;
    info.ppqPos = t.startPpq + seconds * t.tempo / 60.0;
    // A bar of N/D holds N × 4/D quarter notes.
    const double quartersPerBar =
        static_cast<double>(t.timeSigNumerator) * 4.0 / static_cast<double>(t.timeSigDenominator);
    info.barStartPos = std::floor(info.ppqPos / quartersPerBar) * quartersPerBar;

    info.flags =
        vst2::kVstPpqPosValid | vst2::kVstTempoValid | vst2::kVstBarsValid | vst2::kVstTimeSigValid;
    if (t.running) info.flags |= vst2::kVstTransportPlaying;
    if (firstBlock) info.flags |= vst2::kVstTransportChanged;
    return info;
}

}  // namespace tavolu::host
