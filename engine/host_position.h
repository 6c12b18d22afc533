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

// The host's time information is usable only when every number in it is
// finite and the tempo positive; anything else counts as none at all.
bool usableHostTime(double ppqPos, double barStartPos, double tempo);

}  // namespace tavolu
