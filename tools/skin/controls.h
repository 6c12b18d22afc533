// The look of each kind of control, drawn into a canvas at a given place.
// The background uses these for the resting state under each control, and the
// control strips for each of their frames, so the two always line up.
#pragma once

#include <string>
#include <vector>

#include "canvas.h"
#include "layout.h"
#include "theme.h"

namespace tavolu::skin {

// A recessed well with a dark rim and a faint lit lip below it.
void drawWell(Canvas& c, Box b, float radius);

// The groove and scale ticks of a slider whose track sits at (x, y).
void drawGroove(Canvas& c, const layout::Slider& s, int x, int y);

// A round handle `size` px across, filling the canvas from (0, 0).
void drawHandle(Canvas& c, int size);

// A switch with its position labels; `selected` is lit, -1 for none.
void drawSwitch(Canvas& c, const Fonts& f, const layout::Switch& s, int x, int y,
                const std::vector<std::string>& labels, int selected);

// An on/off button carrying its own name, lit when on.
void drawToggle(Canvas& c, const Fonts& f, Box b, const std::string& label, bool on);

// A preset button with its name in up to three lines; pressed is lit.
void drawPresetButton(Canvas& c, const Fonts& f, Box b, const std::vector<std::string>& lines,
                      bool pressed);

// One LED column of `layout::kMeterLeds` cells at (x, y), all lit or all dark.
void drawMeterColumn(Canvas& c, int x, int y, int width, int height, bool lit);

// The dark window behind the tempo read-out.
void drawDisplayWindow(Canvas& c, Box b);

}  // namespace tavolu::skin
