// The host's song position as LV2 hosts send it: a time:Position object now
// and then (at a start, a stop, a jump, a tempo change), from which the
// position of every later block is carried forward at the tempo and speed it
// gave. Hosts send whole or partial objects; each field keeps its last value.
#pragma once

#include <lv2/atom/atom.h>

#include <cstdint>

#include "engine/engine.h"
#include "lv2/messages.h"

namespace tavolu::lv2 {

class Transport {
  public:
    // [audio thread] A time:Position object at `frame` (frames since the
    // plug-in was activated, at `sampleRate` Hz).
    void position(const Urids& urids, const LV2_Atom_Object& object, int64_t frame,
                  double sampleRate);
    // [audio thread] Forget everything: no position until the host sends one.
    void reset() { *this = Transport{}; }

    // [audio thread] The host time at `frame` as the engine reads it, in
    // quarter notes; false until tempo, meter and a position are all known.
    bool at(int64_t frame, double sampleRate, HostTime& time) const;

    // [audio thread] The transport rolls (at any speed but 0).
    bool rolling() const { return speed != 0.0; }
    // [audio thread] The note value of a beat (4 a quarter note), 0 until sent.
    int32_t beatUnit() const;

  private:
    double beatsAt(int64_t frame, double sampleRate) const;

    // As last sent; beats are of the host's beat unit.
    double beatsPerMinute = 0.0;
    double beatsPerBar = 0.0;
    double unit = 0.0;
    double speed = 0.0;  // 1 rolling, 0 stopped
    bool placed = false;

    // Where the last position put the song: its beat, its bar's first beat,
    // and the frame it applies to.
    double anchorBeats = 0.0;
    double anchorBarStart = 0.0;
    int64_t anchorFrame = 0;
};

}  // namespace tavolu::lv2
