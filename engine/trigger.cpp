// Trigger detection, the rarer steps of the transient detector.
#include "engine/engine.h"

namespace tavolu {

// [audio thread] The first sample below a new peak: the rise just ended is
// measured against the reference level and shown on the meters.
void Engine::endDetectorRise() {
    const double envelope = detEnvelope;
    detRise = static_cast<float>((envelope - double{detReference}) / envelope);
    detRising = false;
    notify(kReportDetectorRise, detRise);
    notify(kReportDetectorLevel, detDisplayLevel);
}

// [audio thread] A whole segment has stayed below the envelope: the envelope
// drops to the highest level of that segment, and the display level glides
// down to it over the next segment.
void Engine::endDetectorSegment() {
    detSegmentCounter = 0;
    detDisplayStep = static_cast<float>((double{detEnvelope} - double{detSegmentPeak}) *
                                        double{detectorSegmentInverse});
    detEnvelope = detSegmentPeak;
    detReference = detSegmentPeak;
    detSegmentPeak = 0.0f;
    notify(kReportDetectorLevel, detDisplayLevel);
}

}  // namespace tavolu
