#include "skin_window.h"

namespace tavolu::test {

CControl* makeStubCurveView(const CRect& size, CControlListener* listener, int32_t tag) {
    return new CControl(size, listener, tag);
}

SkinWindow::SkinWindow(CurveViewFactory makeCurveView) {
    skin.load();
    auto owned = std::make_unique<OffscreenWindow>(kWindowRect.right, kWindowRect.bottom);
    window = owned.get();
    frame = std::make_unique<CFrame>(kWindowRect, std::move(owned));
    CBitmap* background = new CBitmap(kBackgroundId);
    frame->setBackground(background);
    background->forget();  // the frame holds it now
    controls = buildControls(*frame, skin, &listener, makeCurveView);
}

SkinWindow::~SkinWindow() {
    frame.reset();  // the controls first, then the set's own references
    skin.release();
}

std::vector<uint32_t> SkinWindow::render() {
    frame->idle();
    return window->screenPixels();
}

}  // namespace tavolu::test
