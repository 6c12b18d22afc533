// A picture of the finished window: the background with every control at a
// typical setting, a sample sweep in the curve view and a tempo read-out.
#pragma once

#include <map>

#include "canvas.h"
#include "glyph_table.h"

namespace tavolu::skin {

Image composePreview(const std::map<int, Image>& skin, const GlyphTable& displayFont);

}  // namespace tavolu::skin
