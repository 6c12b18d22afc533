// The frame: ownership, idle redrawing of what changed, input routing; and
// the editor base over it.
#include "toolkit/frame.h"

#include <gtest/gtest.h>

#include <memory>

#include "shell/audio_effect.h"
#include "support.h"
#include "toolkit/aeffguieditor.h"
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
        frame = std::make_unique<CFrame>(kWindow, std::move(owned), nullptr);
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
    bool onKeyDown(vst2::VstKeyCode& key) override { return key.character == 'k'; }
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
    vst2::VstKeyCode key{'k', 0, 0};
    EXPECT_FALSE(f.frame->onKeyDown(key));  // no focus view
    f.frame->setFocusView(view);
    EXPECT_TRUE(f.frame->onKeyDown(key));
    EXPECT_FALSE(f.frame->onKeyUp(key));
    f.frame->removeView(view);
    EXPECT_EQ(f.frame->getFocusView(), nullptr);
    EXPECT_FALSE(f.frame->onKeyDown(key));
}

// An editor the way a plug-in writes one: builds its frame in open().
class SmallEditor : public AEffGUIEditor {
  public:
    explicit SmallEditor(AudioEffect* effect) : AEffGUIEditor(effect) { rect = {0, 0, 30, 40}; }
    bool open(void* parent) override {
        AEffGUIEditor::open(parent);
        frame = new CFrame({0, 0, 40, 30}, parent, this);
        frame->addView(new CountingView({0, 0, 10, 10}, 0x00FF00));
        return true;
    }
    void setParameter(vst2::VstInt32 index, float) override { lastIndex = index; }
    int lastIndex = -1;
};

// The effect base alone, with no parameters: all the editor base needs of an effect.
class PlainEffect : public AudioEffectX {
  public:
    PlainEffect() : AudioEffectX(nullptr, 1, 1) {}
};

TEST(EditorBase, RegistersWithItsEffectAndAnswersTheHost) {
    PlainEffect effect;
    SmallEditor editor(&effect);
    EXPECT_EQ(effect.getEditor(), &editor);
    EXPECT_TRUE(effect.getAeffect()->flags & vst2::effFlagsHasEditor);

    vst2::ERect* rect = nullptr;
    EXPECT_TRUE(editor.getRect(&rect));
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right, 40);
    EXPECT_FALSE(editor.getRect(nullptr));

    vst2::VstKeyCode key{'k', 0, 0};
    EXPECT_FALSE(editor.onKeyDown(key));  // closed
    editor.idle();
    EXPECT_TRUE(editor.open(nullptr));  // no parent: off screen, still open
    ASSERT_NE(editor.getFrame(), nullptr);
    EXPECT_FALSE(editor.getFrame()->getWindow().isOnScreen());
    editor.idle();
    EXPECT_FALSE(editor.onKeyDown(key));
    editor.getFrame()->setFocusView(editor.getFrame()->getView(0));
    EXPECT_TRUE(editor.onKeyDown(key));
    editor.close();
    EXPECT_EQ(editor.getFrame(), nullptr);
    editor.close();  // twice is harmless

    editor.open(nullptr);  // left open: the destructor cleans up
}

TEST(EditorBase, WorksWithoutAnEffect) {
    SmallEditor editor(nullptr);
    editor.AEffGUIEditor::setParameter(3, 0.5f);  // the base ignores it
    EXPECT_EQ(editor.lastIndex, -1);
    editor.setParameter(3, 0.5f);
    EXPECT_EQ(editor.lastIndex, 3);
}

// A view that says when it is destroyed.
class MortalView : public CView {
  public:
    MortalView(const CRect& size, int& deaths) : CView(size), deaths(deaths) {}
    ~MortalView() override { ++deaths; }
    void draw(CDrawContext*) override {}
    int& deaths;
};

// A host that opens the editor twice without closing it in between: the first
// window is closed, not left behind.
TEST(EditorBase, OpeningAgainClosesTheWindowStillOpen) {
    class Editor : public AEffGUIEditor {
      public:
        explicit Editor(int& deaths) : AEffGUIEditor(nullptr), deaths(deaths) {
            rect = {0, 0, 30, 40};
        }
        bool open(void* parent) override {
            AEffGUIEditor::open(parent);
            frame = new CFrame({0, 0, 40, 30}, parent, this);
            frame->addView(new MortalView({0, 0, 10, 10}, deaths));
            return true;
        }
        int& deaths;
    };
    int deaths = 0;
    Editor editor(deaths);
    editor.open(nullptr);
    editor.open(nullptr);
    EXPECT_EQ(deaths, 1);
    EXPECT_NE(editor.getFrame(), nullptr);
    EXPECT_EQ(editor.getFrame()->getNbViews(), 1);
    editor.close();
    EXPECT_EQ(deaths, 2);
}

TEST(EditorBase, KnobModeIsProcessWide) {
    SmallEditor editor(nullptr);
    editor.setKnobMode(2);
    EXPECT_EQ(CFrame::getKnobMode(), 2);
    editor.setKnobMode(0);
    EXPECT_EQ(CFrame::getKnobMode(), 0);
}

}  // namespace
}  // namespace tavolu
