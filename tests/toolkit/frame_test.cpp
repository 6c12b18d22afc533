// The frame: ownership, idle redrawing of what changed, input routing.
#include "toolkit/frame.h"

#include <gtest/gtest.h>

#include <memory>

#include "support.h"
#include "toolkit/buttons.h"
#include "toolkit/platform/offscreen_window.h"
#include "toolkit/slider.h"
#include "toolkit/switch.h"

namespace tavolu {
namespace {

using test::RecordingListener;

constexpr CRect kWindow{0, 0, 40, 30};

// A frame on an off-screen window the test can look at.
struct OffscreenFrame {
    OffscreenFrame() {
        auto owned =
            std::make_unique<OffscreenWindow>(int32_t(kWindow.right), int32_t(kWindow.bottom));
        window = owned.get();
        frame = std::make_unique<CFrame>(kWindow, std::move(owned));
    }
    OffscreenWindow* window;
    std::unique_ptr<CFrame> frame;
};

// A view that counts its draws and fills itself with a colour.
class CountingView : public CView {
  public:
    CountingView(const CRect& size, uint32_t color) : CView(size), color(color) {}
    void draw(CDrawContext* context) override {
        ++draws;
        context->setFillColor({uint8_t(color >> 16), uint8_t(color >> 8), uint8_t(color), 255});
        context->fillRect(size);
    }
    bool onKeyDown(CKeyCode& key) override { return key.character == 'k'; }
    int draws = 0;
    uint32_t color;
};

TEST(Frame, FirstIdleDrawsEverythingAndPresentsTheWholeWindow) {
    OffscreenFrame f;
    auto* background = test::solidBitmap(40, 30, 0x123456);
    f.frame->setBackground(background);
    auto* view = new CountingView({5, 5, 10, 10}, 0xFF0000);
    f.frame->addView(view);
    f.frame->idle();
    EXPECT_EQ(view->draws, 1);
    EXPECT_EQ(f.window->presentedRects(), std::vector<CRect>{kWindow});
    EXPECT_EQ(f.window->screenPixel(0, 0), 0x123456u);
    EXPECT_EQ(f.window->screenPixel(7, 7), 0xFF0000u);
    background->forget();
}

TEST(Frame, IdleRedrawsOnlyChangedViewsAndPresentsOnlyTheirRectangles) {
    OffscreenFrame f;
    RecordingListener listener;
    auto* strip = test::stripBitmap(10, 10, {0x111111, 0x222222});
    auto* a = new COnOffButton({0, 0, 10, 10}, &listener, 1, strip);
    auto* b = new COnOffButton({20, 0, 30, 10}, &listener, 2, strip);
    auto* c = new CountingView({0, 20, 10, 30}, 0x00FF00);
    f.frame->addView(a);
    f.frame->addView(b);
    f.frame->addView(c);
    f.frame->idle();
    f.window->clearPresentedRects();

    f.frame->idle();  // nothing changed: nothing drawn, nothing presented
    EXPECT_TRUE(f.window->presentedRects().empty());
    EXPECT_EQ(c->draws, 1);

    b->setValue(1.0f);
    f.frame->idle();
    EXPECT_EQ(f.window->presentedRects(), std::vector<CRect>{CRect(20, 0, 30, 10)});
    EXPECT_EQ(f.window->screenPixel(25, 5), 0x222222u);
    EXPECT_EQ(f.window->screenPixel(5, 5), 0x111111u);
    f.window->clearPresentedRects();

    b->setValue(1.0f);  // the same value again: nothing to do
    f.frame->idle();
    EXPECT_TRUE(f.window->presentedRects().empty());

    c->setDirty();
    f.frame->idle();
    EXPECT_EQ(f.window->presentedRects(), std::vector<CRect>{CRect(0, 20, 10, 30)});
    EXPECT_EQ(c->draws, 2);

    // Only the last idle's rectangles are kept: a window without a display
    // may idle for hours and must not pile them up.
    a->setValue(1.0f);
    f.frame->idle();
    b->setValue(0.0f);
    f.frame->idle();
    EXPECT_EQ(f.window->presentedRects(), std::vector<CRect>{CRect(20, 0, 30, 10)});
    strip->forget();
}

// Neighbours whose rectangles overlap by a few pixels, both changed: drawing
// the first one's area draws a sliver of the second, which must still be
// drawn whole (the editor's Start slider overlaps Hold and Decay this way).
TEST(Frame, AChangedViewOverlappedByAnotherIsStillDrawnWhole) {
    OffscreenFrame f;
    auto* strip = test::stripBitmap(10, 10, {0x111111, 0x222222});
    auto* first = new COnOffButton({0, 0, 10, 10}, nullptr, 1, strip);
    auto* second = new COnOffButton({8, 8, 18, 18}, nullptr, 2, strip);
    auto* partly = new CountingView({35, 25, 45, 35}, 0x00FF00);  // half off the window
    f.frame->addView(first);
    f.frame->addView(second);
    f.frame->addView(partly);
    f.frame->idle();
    first->setValue(1.0f);
    second->setValue(1.0f);
    f.frame->idle();
    EXPECT_EQ(f.window->screenPixel(5, 5), 0x222222u);
    EXPECT_EQ(f.window->screenPixel(15, 15), 0x222222u);
    EXPECT_FALSE(second->isDirty());

    f.window->clearPresentedRects();
    f.frame->idle();  // all drawn: a view cut by the window's edge is not redrawn forever
    EXPECT_TRUE(f.window->presentedRects().empty());
    EXPECT_EQ(partly->draws, 1);
    strip->forget();
}

TEST(Frame, RedrawPaintsTheBackgroundUnderKeyedPixels) {
    OffscreenFrame f;
    auto* background = test::solidBitmap(40, 30, 0x0000AA);
    f.frame->setBackground(background);
    // Frame 0 solid, frame 1 all key colour: switching to it shows the background.
    auto* strip = test::stripBitmap(10, 10, {0x777777, kColorKeyPixel});
    auto* button = new COnOffButton({0, 0, 10, 10}, nullptr, 1, strip);
    f.frame->addView(button);
    f.frame->idle();
    EXPECT_EQ(f.window->screenPixel(5, 5), 0x777777u);
    button->setValue(1.0f);
    f.frame->idle();
    EXPECT_EQ(f.window->screenPixel(5, 5), 0x0000AAu);
    background->forget();
    strip->forget();
}

TEST(Frame, DestroyingItDestroysViewsAndReleasesEveryBitmap) {
    auto* background = test::solidBitmap(40, 30, 0);
    auto* track = test::solidBitmap(21, 21, 1);
    auto* handle = test::solidBitmap(5, 5, 2);
    {
        OffscreenFrame f;
        f.frame->setBackground(background);
        f.frame->addView(new CHorizontalSlider({0, 0, 21, 21}, nullptr, 1, 0, 16, handle, track));
        f.frame->addView(new CHorizontalSlider({0, 21, 21, 30}, nullptr, 2, 0, 16, handle, track));
        EXPECT_EQ(track->getReferenceCount(), 3);
        EXPECT_EQ(handle->getReferenceCount(), 3);
        EXPECT_EQ(background->getReferenceCount(), 2);
        f.frame->idle();
    }
    EXPECT_EQ(track->getReferenceCount(), 1);
    EXPECT_EQ(handle->getReferenceCount(), 1);
    EXPECT_EQ(background->getReferenceCount(), 1);
    track->forget();
    handle->forget();
    background->forget();
}

TEST(Frame, AddViewRefusesNullAndDuplicates) {
    OffscreenFrame f;
    auto* view = new CountingView({0, 0, 5, 5}, 0);
    EXPECT_FALSE(f.frame->addView(nullptr));
    EXPECT_TRUE(f.frame->addView(view));
    EXPECT_FALSE(f.frame->addView(view));
    EXPECT_EQ(f.frame->getNbViews(), 1);
    EXPECT_EQ(f.frame->getView(0), view);
    EXPECT_EQ(f.frame->getView(1), nullptr);
    EXPECT_EQ(f.frame->getView(-1), nullptr);
    EXPECT_TRUE(f.frame->removeView(view));
    EXPECT_FALSE(f.frame->removeView(view));
}

TEST(Frame, AGestureIsDrivenByEventsAcrossIdles) {
    OffscreenFrame f;
    RecordingListener listener;
    auto* track = test::solidBitmap(21, 10, 0x202020);
    auto* handle = test::solidBitmap(5, 10, 0xE0E0E0);
    auto* slider = new CHorizontalSlider({0, 0, 21, 10}, &listener, 3, 0, 16, handle, track);
    f.frame->addView(slider);

    // Press at x 10: handle 5 wide, its left at 8 of 0..16.
    f.window->postMouseDown({10, 5}, kLButton);
    f.frame->idle();
    EXPECT_FLOAT_EQ(slider->getValue(), 0.5f);
    EXPECT_EQ(f.frame->getTrackingView(), slider);
    // Moves outside the slider still belong to the gesture.
    f.window->postMouseMoved({14, 25}, kLButton);
    f.frame->idle();
    EXPECT_FLOAT_EQ(slider->getValue(), 0.75f);
    EXPECT_EQ(f.window->screenPixel(13, 5), 0xE0E0E0u);  // handle now 12..16
    f.window->postMouseUp({30, 25}, 0);
    f.frame->idle();
    EXPECT_FLOAT_EQ(slider->getValue(), 1.0f);
    EXPECT_EQ(f.frame->getTrackingView(), nullptr);
    EXPECT_EQ(listener.begins, std::vector<int32_t>{3});
    EXPECT_EQ(listener.ends, std::vector<int32_t>{3});

    // Without a press, moves go nowhere.
    f.window->postMouseMoved({0, 5}, 0);
    f.frame->idle();
    EXPECT_FLOAT_EQ(slider->getValue(), 1.0f);

    f.window->postWheel({5, 5}, -1.0f, 0);
    f.frame->idle();
    EXPECT_NEAR(slider->getValue(), 0.9f, 1e-6);
    EXPECT_FALSE(f.frame->onWheel({35, 25}, 1.0f, 0));  // over no view
    track->forget();
    handle->forget();
}

TEST(Frame, LaterViewsLieOnTopForClicks) {
    OffscreenFrame f;
    RecordingListener listener;
    auto* strip = test::stripBitmap(10, 10, {1, 2});
    auto* under = new COnOffButton({0, 0, 10, 10}, &listener, 1, strip);
    auto* over = new COnOffButton({5, 0, 15, 10}, &listener, 2, strip);
    f.frame->addView(under);
    f.frame->addView(over);
    f.frame->onMouseDown({7, 5}, kLButton);
    f.frame->onMouseDown({2, 5}, kLButton);
    EXPECT_FLOAT_EQ(over->getValue(), 1.0f);
    EXPECT_FLOAT_EQ(under->getValue(), 1.0f);
    EXPECT_EQ(f.frame->onMouseDown({30, 25}, kLButton), MouseResult::notHandled);
    strip->forget();
}

// The on/off button has drawn itself by the time the listener hears of it.
class ScreenCheckingListener : public CControlListener {
  public:
    void valueChanged(CDrawContext* context, CControl*) override {
        pixelAtReport = context ? context->getPoint({5, 5}) : 0;
    }
    uint32_t pixelAtReport = 0;
};

TEST(Frame, OnOffButtonReportsAfterRedrawing) {
    OffscreenFrame f;
    ScreenCheckingListener listener;
    auto* strip = test::stripBitmap(10, 10, {0x000011, 0x000022});
    f.frame->addView(new COnOffButton({0, 0, 10, 10}, &listener, 1, strip));
    f.frame->idle();
    f.frame->onMouseDown({5, 5}, kLButton);
    EXPECT_EQ(listener.pixelAtReport, 0x000022u);
    f.window->clearPresentedRects();
    f.frame->idle();  // drawn already, shown now
    EXPECT_EQ(f.window->screenPixel(5, 5), 0x000022u);
    strip->forget();
}

TEST(Frame, ExposeShowsTheBackBufferAgainWithoutDrawing) {
    OffscreenFrame f;
    auto* view = new CountingView({0, 0, 10, 10}, 0xFF0000);
    f.frame->addView(view);
    f.frame->idle();
    f.window->clearPresentedRects();
    f.window->postExpose({-5, -5, 8, 8});
    f.frame->idle();
    EXPECT_EQ(view->draws, 1);
    EXPECT_EQ(f.window->presentedRects(), std::vector<CRect>{CRect(0, 0, 8, 8)});
}

TEST(Frame, KeysGoToTheFocusView) {
    OffscreenFrame f;
    auto* view = new CountingView({0, 0, 10, 10}, 0);
    f.frame->addView(view);
    CKeyCode key{'k', 0, 0};
    EXPECT_FALSE(f.frame->onKeyDown(key));  // no focus view
    f.frame->setFocusView(view);
    EXPECT_TRUE(f.frame->onKeyDown(key));
    EXPECT_FALSE(f.frame->onKeyUp(key));
    f.frame->removeView(view);
    EXPECT_EQ(f.frame->getFocusView(), nullptr);
    EXPECT_FALSE(f.frame->onKeyDown(key));
}

}  // namespace
}  // namespace tavolu
