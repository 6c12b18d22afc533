#include "skin_editor.h"

#include "toolkit/bitmap.h"
#include "toolkit/frame.h"

namespace tavolu::playground {

namespace {

constexpr int kBackgroundId = 128;
constexpr int32_t kFirstPresetTag = 28;

}  // namespace

SkinEditor::SkinEditor() : AEffGUIEditor(nullptr), background(new CBitmap(kBackgroundId)) {
    rect = {0, 0, int16_t(background->getHeight()), int16_t(background->getWidth())};
}

SkinEditor::~SkinEditor() {
    close();
    background->forget();
}

bool SkinEditor::open(void* parentWindow) {
    AEffGUIEditor::open(parentWindow);
    skin.load();
    frame = new CFrame(kSkinRect, parentWindow);
    frame->setBackground(background);
    built = buildControls(*frame, skin, this);
    showValues(presetTable[kNumPresets]);  // the row user programs start from
    return true;
}

void SkinEditor::close() {
    built = {};
    AEffGUIEditor::close();
    skin.release();
}

void SkinEditor::valueChanged(CDrawContext*, CControl* control) {
    const int32_t tag = control->getTag();
    reports.push_back({tag, control->getValue()});
    // Nothing feeds the meters here; let the detector's two sliders light them.
    if (control == built[layout::thresholdSlider])
        built[layout::triggerLevelMeter]->setValue(control->getValue());
    if (control == built[layout::selectivitySlider])
        built[layout::selectivityMeter]->setValue(control->getValue());
    if (tag >= kFirstPresetTag && tag < kFirstPresetTag + kNumPresets &&
        control->getValue() != 0.0f) {
        showPreset(tag - kFirstPresetTag);
    }
}

void SkinEditor::showPreset(int index) {
    if (index >= 0 && index < kNumPresets) showValues(presetTable[index]);
}

void SkinEditor::showValues(const float (&values)[kNumParameters]) {
    if (!frame) return;
    // A control's tag below 20 is its parameter's index.
    for (int i = 0; i < frame->getNbViews(); ++i) {
        auto* control = dynamic_cast<CControl*>(frame->getView(i));
        if (control && control->getTag() >= 0 && control->getTag() < kNumParameters) {
            control->setValue(values[control->getTag()]);
        }
    }
}

}  // namespace tavolu::playground
