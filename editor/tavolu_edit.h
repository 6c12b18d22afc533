// The plug-in's editor: the 465 x 360 skin with a control for every
// parameter, the preset buttons, the detector's meters, the host tempo and the
// curve view of the sweep and of the positions played.
//
// Threads. Open, close, idle and every control call run on the UI thread. The
// parameter-update handler (setParameter) runs on any thread: the audio thread
// reports meter levels, pan positions, the tempo and silence through it, and
// the host automates from wherever it likes. The handler therefore never
// touches a control: it posts into the mailbox, and idle hands what was posted
// to the controls on the UI thread. The handler takes no lock and never waits.
#pragma once

#include <atomic>

#include "editor/aeffguieditor.h"
#include "editor/control_layout.h"
#include "editor/display_mailbox.h"
#include "editor/skin_set.h"

namespace tavolu {

class CBitmap;
class CCurveView;

class TavoluEdit : public AEffGUIEditor, public CControlListener, private DisplaySink {
  public:
    // [UI thread] Loads the window background and registers with `effect`.
    explicit TavoluEdit(EditorHost* effect);
    // [UI thread] The editor of `effect`, as the effect's editor factory makes
    // it; null when there is no memory for it (the effect then has none).
    static AEffEditor* create(EditorHost& effect);
    // [UI thread] Closes a window the host left open, then lets the background go.
    ~TavoluEdit() override;

    // [UI thread] Builds the window as a child of `parentWindow` (an X11
    // window id; off-screen when null or when there is no display) with every
    // control showing the effect's current values. Always succeeds.
    bool open(void* parentWindow) override;
    // [UI thread] Tears the window down; a report racing it goes nowhere.
    void close() override;
    // [UI thread] Input first, then what was posted, then the redraw.
    void idle() override;

    // [any thread] The parameter-update handler: 0..19 a parameter was
    // written; 22, 23 the meters; 25 a curve point; 28..35 load a preset;
    // 36 the tempo; 37 silence. Does nothing while the window is closed.
    void setParameter(vst2::VstInt32 index, float value) override;

    // [UI thread] CControlListener: a control the user moved.
    void valueChanged(CDrawContext* context, CControl* control) override;
    int32_t controlModifierClicked(CDrawContext* context, CControl* control,
                                   int32_t buttons) override;
    void beginEdit(int32_t tag) override;
    void endEdit(int32_t tag) override;

    // [UI thread] For tests and tools: the controls of the open window.
    const EditorControls& getControls() const { return controls; }
    CCurveView* getCurveView() const { return curveView; }
    // [any thread]
    bool isEditorOpen() const { return editorOpen.load(std::memory_order_acquire); }
    uint64_t droppedCurvePoints() const { return mailbox.droppedCurvePoints(); }

  private:
    // DisplaySink: what idle does with the mailbox's contents. [UI thread]
    void loadPreset(int32_t k) override;
    void refreshParameter(int32_t index) override;
    void addCurvePoint(float value) override;
    void clearCurve() override;
    void setMeter(Meter which, float level) override;
    void setTempo(float bpm) override;

    void setControl(layout::ControlId id, float value);

    CBitmap* background;  // resource 128, for the editor's whole life
    SkinSet skin;         // the other 38 bitmaps, while the window is open
    EditorControls controls;
    CCurveView* curveView = nullptr;
    std::atomic<bool> editorOpen{false};  // read once by every handler call
    DisplayMailbox mailbox;
};

}  // namespace tavolu
