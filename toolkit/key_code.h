// A key press or release as the toolkit hands it to views: the character, a
// code for keys that have none (arrows, function keys), and the modifiers.
#pragma once

#include <cstdint>

namespace tavolu {

struct CKeyCode {
    int32_t character = 0;  // ASCII, 0 when the key has none
    uint8_t virt = 0;       // the window system's code for a key without a character
    uint8_t modifier = 0;   // modifier key bits
};

}  // namespace tavolu
