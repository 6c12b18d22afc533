// FreeType's side of a FontFile, for the code that rasterises glyphs.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include "text.h"

namespace tavolu::skin {

struct FontFile::Impl {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
};

}  // namespace tavolu::skin
