// Where the host's transport stands inside the bar and inside the trigger
// grid, reduced with a floating-point remainder so that a position any
// distance from the bar start costs the same few operations.
#pragma once

namespace tavolu {

// The position in beats after the last bar line: 0 <= result < beatsPerBar.
// beatsPerBar must be positive.
double positionInBar(double beatsFromBarStart, double beatsPerBar);

// The position in beats after the last grid line, in 0..gridBeats; a position
// exactly on a later grid line gives gridBeats rather than 0, so that line is
// the next one due. A gridBeats that is not positive leaves the position as it is.
double positionInGrid(double posInBar, double gridBeats);

// A distance in samples to a line, moved onto the nearest whole sample when it
// lies within `tolerance` of it. A line that falls exactly on a sample (every
// beat at 120 BPM and 44.1 kHz) comes out of the host's position a hair to
// either side; left there, it would fire one sample early or on time
// depending on where the host's block started.
double onWholeSample(double samples, double tolerance);

// How far (samples) rounding alone may move a line computed from a host
// position: a generous multiple of the position's last bit, in samples.
double lineTolerance(double ppqPos, double barStartPos, double beatsPerBar, double samplesPerBeat);

// The host's time information is usable only when every number in it is
// finite and the tempo positive; anything else counts as none at all.
bool usableHostTime(double ppqPos, double barStartPos, double tempo);

}  // namespace tavolu
