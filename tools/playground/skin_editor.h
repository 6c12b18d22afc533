// An editor that shows the real skin and control layout with nothing behind
// it: controls report to a list instead of an effect, the preset buttons show
// their preset's values and the Threshold and Selectivity sliders light the
// meters beside them. The playground opens it in a window; the
// picture tool draws it off-screen.
#pragma once

#include <vector>

#include "editor/control_layout.h"
#include "editor/skin_set.h"
#include "shell/programs.h"
#include "editor/aeffguieditor.h"

namespace tavolu::playground {

constexpr CRect kSkinRect{0, 0, 465, 360};  // px, the window background's size

class SkinEditor : public AEffGUIEditor, public CControlListener {
  public:
    // [UI thread] Holds the window background for the editor's life.
    SkinEditor();
    ~SkinEditor() override;

    // [UI thread] Loads the skin and builds every control, showing the values
    // a new user program starts with; off-screen when `parentWindow` is null.
    bool open(void* parentWindow) override;
    // [UI thread]
    void close() override;
    // [UI thread] Writes down what the user did and shows its effect.
    void valueChanged(CDrawContext* context, CControl* control) override;

    // [UI thread] Puts factory preset `index` on the parameter controls.
    void showPreset(int index);
    // [UI thread] Puts twenty parameter values on their controls.
    void showValues(const float (&values)[kNumParameters]);
    const EditorControls& controls() const { return built; }

    struct Report {
        int32_t tag;
        float value;
    };
    std::vector<Report> reports;

  private:
    CBitmap* background;
    SkinSet skin;
    EditorControls built;
};

}  // namespace tavolu::playground
