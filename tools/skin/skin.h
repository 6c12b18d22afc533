// The whole skin: the window background and every control image, by
// resource number.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "canvas.h"
#include "theme.h"

namespace tavolu::skin {

// Texts of each switch position, top to bottom or left to right.
const std::vector<std::string>& switchLabels(int bitmapId);
// The name an on/off button carries.
const std::string& toggleLabel(int bitmapId);
// Factory preset n's name (n = 0..7), broken into the lines its button shows.
const std::vector<std::string>& presetLines(int n);

// The window background with every control in its resting state.
Canvas paintBackground(const Fonts& f);

// All 39 bitmaps, keyed by resource number.
std::map<int, Image> buildSkin(const Fonts& f);

}  // namespace tavolu::skin
