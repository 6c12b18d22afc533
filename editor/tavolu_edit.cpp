// The editor placeholder.
#include "editor/tavolu_edit.h"

namespace tavolu {

// [UI thread]
TavoluEdit::TavoluEdit(EditorHost* owner) : effect(owner) {
    if (effect) effect->attachEditor(this);
}

// [UI thread]
bool TavoluEdit::getRect(vst2::ERect** rect) {
    if (rect) *rect = &rectangle;
    return true;
}

// [UI thread]
bool TavoluEdit::open(void* parentWindow) {
    parent = parentWindow;
    return true;
}

}  // namespace tavolu
