// A 5 x 7 pixel font for the plot's labels: digits, capital letters (small
// letters are drawn as capitals) and a little punctuation.
#pragma once

#include <string>

#include "tools/host/canvas.h"

namespace tavolu::host {

constexpr int kGlyphWidth = 5;    // pixels before scaling
constexpr int kGlyphHeight = 7;   // pixels before scaling
constexpr int kGlyphAdvance = 6;  // pixels before scaling, with the gap

// Width in pixels of text drawn at this scale.
int textWidth(const std::string& text, int scale);

// Draws text with its top-left corner at (x, y); unknown characters leave a gap.
void drawText(Canvas& canvas, int x, int y, const std::string& text, int scale, Rgb color);

}  // namespace tavolu::host
