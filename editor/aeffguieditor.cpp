#include "editor/aeffguieditor.h"

#include "toolkit/frame.h"

namespace tavolu {

AEffGUIEditor::AEffGUIEditor(EditorHost* effect) : effect(effect) {
    if (effect) effect->attachEditor(this);
}

AEffGUIEditor::~AEffGUIEditor() {
    delete frame;
    frame = nullptr;
}

bool AEffGUIEditor::getRect(vst2::ERect** out) {
    if (!out) return false;
    *out = &rect;
    return true;
}

bool AEffGUIEditor::open(void* parentWindow) {
    // A host that opens twice without closing gets the old window closed first
    // (through the derived editor's close), never two windows and connections.
    if (frame) close();
    systemWindow = parentWindow;
    return true;
}

void AEffGUIEditor::close() {
    delete frame;
    frame = nullptr;
    systemWindow = nullptr;
}

void AEffGUIEditor::idle() {
    if (frame) frame->idle();
}

namespace {

CKeyCode toolkitKey(const vst2::VstKeyCode& key) {
    return {key.character, key.virt, key.modifier};
}

}  // namespace

bool AEffGUIEditor::onKeyDown(vst2::VstKeyCode& key) {
    CKeyCode k = toolkitKey(key);
    return frame && frame->onKeyDown(k);
}

bool AEffGUIEditor::onKeyUp(vst2::VstKeyCode& key) {
    CKeyCode k = toolkitKey(key);
    return frame && frame->onKeyUp(k);
}

void AEffGUIEditor::setKnobMode(vst2::VstInt32 mode) {
    CFrame::setKnobMode(mode);
}

void AEffGUIEditor::setParameter(vst2::VstInt32, float) {}

}  // namespace tavolu
