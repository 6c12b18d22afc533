// Text set with FreeType at generation time: hinted, greyscale antialiased,
// every glyph on a whole-pixel origin so the result is crisp and repeatable.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "canvas.h"

namespace tavolu::skin {

class FontFile {
  public:
    explicit FontFile(const std::string& path);  // throws std::runtime_error
    ~FontFile();
    FontFile(const FontFile&) = delete;
    FontFile& operator=(const FontFile&) = delete;

    struct Impl;
    Impl& impl() const { return *impl_; }

  private:
    std::unique_ptr<Impl> impl_;
};

enum class Align { left, centre, right };

struct TextStyle {
    const FontFile* font;
    int pixelSize;
    Colour colour;
    int tracking = 0;  // extra px between letters
};

// Width in px of `text` as drawText sets it.
int textWidth(const TextStyle& s, std::string_view text);

// Sets `text` with its baseline on row `baseline`; `x` is the left edge, the
// centre or the right edge by `align`.
void drawText(Canvas& c, const TextStyle& s, int x, int baseline, std::string_view text,
              Align align = Align::left, float opacity = 1.0f);

}  // namespace tavolu::skin
