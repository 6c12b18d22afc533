// The editor's life: construction, opening and closing the window, idle.
#include "editor/tavolu_edit.h"

#include <new>

#include "common/parameter_index.h"
#include "editor/curve_view.h"
#include "toolkit/bitmap.h"

namespace tavolu {

namespace {

// [UI thread]
CControl* makeCurveView(const CRect& size, CControlListener* listener, int32_t tag) {
    return new CCurveView(size, listener, tag);
}

}  // namespace

// [UI thread]
TavoluEdit::TavoluEdit(EditorHost* effect)
    : AEffGUIEditor(effect), background(new CBitmap(layout::kBackgroundBitmap)) {
    rect = {0, 0, int16_t(background->getHeight()), int16_t(background->getWidth())};
}

// [UI thread]
AEffEditor* TavoluEdit::create(EditorHost& effect) {
    return new (std::nothrow) TavoluEdit(&effect);
}

// [UI thread] Hosts close the window before the effect, but one that did not
// still gets its window torn down in the right order.
TavoluEdit::~TavoluEdit() {
    close();
    background->forget();
}

// [UI thread]
bool TavoluEdit::open(void* parentWindow) {
    AEffGUIEditor::open(parentWindow);  // closes a window the host left open
    skin.load();
    frame = new CFrame({0, 0, background->getWidth(), background->getHeight()}, parentWindow);
    frame->setBackground(background);
    controls = buildControls(*frame, skin, this, makeCurveView);
    curveView = controls.get<CCurveView>(layout::curveView);
    if (effect) effect->requestTimeInfo();

    // Whatever was posted for an earlier window is stale; from here on the
    // handler posts, and the first drain shows every parameter's value now.
    mailbox.discardAll();
    editorOpen.store(true, std::memory_order_release);
    for (int32_t index = 0; index < kNumParameters; ++index) setParameter(index, 0.0f);
    mailbox.drain(*this);
    return true;
}

// [UI thread] The handler reads editorOpen once and touches no control, so
// clearing it first is all a report racing the close needs.
void TavoluEdit::close() {
    editorOpen.store(false, std::memory_order_release);
    AEffGUIEditor::close();  // destroys the frame and every control
    curveView = nullptr;
    skin.release();
    controls = {};
}

// [UI thread] A control moved by this idle's input is refreshed, partners
// included, in the same redraw.
void TavoluEdit::idle() {
    if (!frame) return;
    frame->pumpEvents();
    mailbox.drain(*this);
    frame->redrawChanged();
}

// [UI thread]
void TavoluEdit::addCurvePoint(float value) {
    if (curveView) curveView->addPoint(value);
}

// [UI thread]
void TavoluEdit::clearCurve() {
    if (curveView) curveView->requestClear();
    setControl(layout::selectivityMeter, 0.0f);
    setControl(layout::triggerLevelMeter, 0.0f);
}

// [UI thread]
void TavoluEdit::setMeter(Meter which, float level) {
    setControl(which == Meter::selectivity ? layout::selectivityMeter : layout::triggerLevelMeter,
               level);
}

// [UI thread] The display got formatTempo as its converter when it was
// built; the value alone decides whether it is drawn again.
void TavoluEdit::setTempo(float bpm) {
    setControl(layout::tempoDisplay, bpm);
}

// [UI thread] Every control is looked up by id: one that was not created is
// simply left out.
void TavoluEdit::setControl(layout::ControlId id, float value) {
    if (CControl* control = controls[id]) control->setValue(value);
}

}  // namespace tavolu
