// The editor in a real X server: a private Xvfb, a parent window playing the
// host's, real input through the XTest extension, and the pixels on screen
// compared with the same panel drawn off-screen.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "sample_panel.h"
#include "tests/support/x11_server.h"
#include "tests/support/xvfb_suite.h"
#include "toolkit/platform/offscreen_window.h"
#include "toolkit/platform/x11_window.h"

// Last: Xlib's macros (None, Bool, Status) would break the headers above.
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xutil.h>
// clang-format on

namespace tavolu {
namespace {

using sample::kPanelRect;
using sample::SampleEditor;
using testing::HostWindow;

class X11Editor : public testing::XvfbSuite {
  protected:
    void SetUp() override {
        openDesktop(int(kPanelRect.right), int(kPanelRect.bottom));
        if (HasFatalFailure()) return;
        host = desktop->display;
        parent = desktop->window;
    }
    void TearDown() override {
        if (desktop) desktop->window = parent;  // a test may have replaced it
        desktop.reset();
    }

    void* parentHandle() const { return reinterpret_cast<void*>(uintptr_t(parent)); }

    int childCount() {
        desktop->window = parent;
        return int(desktop->children().size());
    }

    // Runs the editor's idle, as a host's timer would, until `done` holds.
    template <class Done>
    bool idleUntil(SampleEditor& editor, Done done) {
        for (int round = 0; round < 400; ++round) {
            XSync(host, False);
            editor.idle();
            if (done()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }
    void settle(SampleEditor& editor) {
        for (int round = 0; round < 10; ++round) {
            XSync(host, False);
            editor.idle();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    // Pointer to window coordinates of the editor's window.
    void moveTo(Window child, int x, int y) { desktop->movePointer(child, x, y); }
    void button(bool down) { desktop->leftButton(down); }
    void shift(bool down) { desktop->shiftKey(down); }

    // How many pixels of the editor's window differ from the same panel,
    // with the same values, drawn off-screen.
    int pixelsDifferingFromOffscreen(SampleEditor& editor) {
        SampleEditor reference;
        reference.open(nullptr);
        CFrame* shown = editor.getFrame();
        CFrame* drawn = reference.getFrame();
        for (int i = 0; i < shown->getNbViews(); ++i) {
            auto* from = dynamic_cast<CControl*>(shown->getView(i));
            auto* to = dynamic_cast<CControl*>(drawn->getView(i));
            if (from && to) to->setValue(from->getValue());
        }
        reference.idle();
        auto& memory = dynamic_cast<OffscreenWindow&>(drawn->getWindow());

        const auto child = Window(shown->getWindow().nativeHandle());
        const int width = int(kPanelRect.right);
        const int height = int(kPanelRect.bottom);
        const std::vector<uint32_t> onScreen = desktop->pixels(child, width, height);
        if (onScreen.empty()) return -1;
        int differing = 0;
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x) {
                differing +=
                    onScreen[size_t(y) * size_t(width) + size_t(x)] != memory.screenPixel(x, y);
            }
        }
        return differing;
    }

    Display* host = nullptr;
    Window parent = 0;
};

TEST_F(X11Editor, OpensAChildWindowThatShowsWhatWasDrawn) {
    SampleEditor editor;
    ASSERT_TRUE(editor.open(parentHandle()));
    ASSERT_TRUE(editor.getFrame()->getWindow().isOnScreen());
    EXPECT_TRUE(editor.getFrame()->getWindow().presentsThroughSharedMemory());  // a local server
    EXPECT_EQ(childCount(), 1);
    settle(editor);
    EXPECT_EQ(pixelsDifferingFromOffscreen(editor), 0);
    editor.close();
    EXPECT_EQ(childCount(), 0);
}

TEST_F(X11Editor, RealInputMovesASliderAndTheListenerHearsIt) {
    ASSERT_TRUE(desktop->hasXTest());
    SampleEditor editor;
    editor.open(parentHandle());
    settle(editor);
    const auto child = Window(editor.getFrame()->getWindow().nativeHandle());
    CHorizontalSlider* slider = editor.panel().horizontalSlider;

    // The track spans x 20..140 with travel 20..120 and a 21-px handle: a
    // press at x 80 centres the handle there, value 0.5.
    moveTo(child, 80, 50);
    button(true);
    EXPECT_TRUE(idleUntil(editor, [&] { return slider->getValue() == 0.5f; }))
        << slider->getValue();
    moveTo(child, 100, 50);
    EXPECT_TRUE(idleUntil(editor, [&] { return std::abs(slider->getValue() - 0.7f) < 1e-6f; }))
        << slider->getValue();

    // With Shift the rest of the drag goes at a tenth of the speed.
    shift(true);
    moveTo(child, 110, 50);
    moveTo(child, 130, 50);
    EXPECT_TRUE(idleUntil(editor, [&] { return std::abs(slider->getValue() - 0.72f) < 1e-5f; }))
        << slider->getValue();
    button(false);
    shift(false);
    EXPECT_TRUE(idleUntil(editor, [&] { return !editor.ends.empty(); }));

    ASSERT_FALSE(editor.reports.empty());
    EXPECT_EQ(editor.reports.front().tag, 1);
    EXPECT_FLOAT_EQ(editor.reports.front().value, 0.5f);
    EXPECT_EQ(editor.begins, std::vector<int32_t>{1});
    EXPECT_EQ(editor.ends, std::vector<int32_t>{1});

    settle(editor);
    EXPECT_EQ(pixelsDifferingFromOffscreen(editor), 0);
    editor.close();
}

TEST_F(X11Editor, WheelAndSwitchClicksArriveToo) {
    SampleEditor editor;
    editor.open(parentHandle());
    settle(editor);
    const auto child = Window(editor.getFrame()->getWindow().nativeHandle());

    CVerticalSlider* slider = editor.panel().verticalSlider;  // starts at 0
    moveTo(child, 170, 80);
    desktop->wheel(true);
    EXPECT_TRUE(idleUntil(editor, [&] { return std::abs(slider->getValue() - 0.1f) < 1e-6f; }))
        << slider->getValue();

    CHorizontalSwitch* sw = editor.panel().horizontalSwitch;  // x 160..244
    moveTo(child, 240, 167);
    button(true);
    button(false);
    EXPECT_TRUE(idleUntil(editor, [&] { return sw->getValue() == 1.0f; }));
    settle(editor);
    EXPECT_EQ(pixelsDifferingFromOffscreen(editor), 0);
}

TEST_F(X11Editor, OpenCloseOpenLeavesNoWindowBehindAndDrawsTheSame) {
    SampleEditor editor;
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(editor.open(parentHandle()));
        EXPECT_EQ(childCount(), 1) << round;
        settle(editor);
        EXPECT_EQ(pixelsDifferingFromOffscreen(editor), 0) << round;
        editor.close();
        EXPECT_EQ(childCount(), 0) << round;
    }
}

int hostErrorHandlerCalls = 0;
int countingHandler(Display*, XErrorEvent*) {
    ++hostErrorHandlerCalls;
    return 0;
}

TEST_F(X11Editor, ABadParentGivesAnOffscreenEditorAndLeavesTheHostsHandlerAlone) {
    XErrorHandler before = XSetErrorHandler(countingHandler);
    hostErrorHandlerCalls = 0;
    {
        SampleEditor editor;
        // No such window on the server: the error is ours and goes no further.
        ASSERT_TRUE(editor.open(reinterpret_cast<void*>(uintptr_t(0x3FFFFF0))));
        EXPECT_FALSE(editor.getFrame()->getWindow().isOnScreen());
        editor.idle();
        editor.close();
    }
    EXPECT_EQ(hostErrorHandlerCalls, 0);
    EXPECT_EQ(XSetErrorHandler(before), countingHandler);  // still the one we set
}

TEST_F(X11Editor, ParentDestroyedBeforeCloseDoesNotEndTheProcess) {
    SampleEditor editor;
    editor.open(parentHandle());
    settle(editor);
    XDestroyWindow(host, parent);  // a host that tears down too early
    XSync(host, False);
    editor.getFrame()->invalidateAll();
    editor.idle();  // draws into a window that is gone
    editor.close();
    parent = XCreateSimpleWindow(host, DefaultRootWindow(host), 0, 0, 10, 10, 0, 0, 0);
}

TEST_F(X11Editor, WithoutADisplayTheEditorStillOpensOffscreen) {
    const std::string saved = getenv("DISPLAY");
    setenv("DISPLAY", ":4093", 1);  // nothing listens there
    SampleEditor editor;
    EXPECT_TRUE(editor.open(parentHandle()));
    EXPECT_FALSE(editor.getFrame()->getWindow().isOnScreen());
    editor.idle();
    editor.close();
    setenv("DISPLAY", saved.c_str(), 1);
}

TEST_F(X11Editor, PlainPutImageWhenSharedMemoryIsNotUsed) {
    auto window = createX11Window(uint64_t(parent), int32_t(kPanelRect.right),
                                  int32_t(kPanelRect.bottom), false);
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(window->presentsThroughSharedMemory());
    const auto child = Window(window->nativeHandle());
    CFrame frame(kPanelRect, std::move(window));
    sample::buildPanel(frame, nullptr);
    frame.idle();
    XSync(host, False);
    const PixelSurface back = frame.getWindow().backBuffer();
    XImage* image = XGetImage(host, child, 0, 0, unsigned(kPanelRect.right),
                              unsigned(kPanelRect.bottom), AllPlanes, ZPixmap);
    ASSERT_NE(image, nullptr);
    int differing = 0;
    for (int32_t y = 0; y < back.height; ++y) {
        for (int32_t x = 0; x < back.width; ++x) {
            differing += (uint32_t(XGetPixel(image, x, y)) & 0xFFFFFF) !=
                         back.pixels[size_t(y) * size_t(back.stride) + size_t(x)];
        }
    }
    XDestroyImage(image);
    EXPECT_EQ(differing, 0);
}

// A host whose window has an alpha channel (a 32-bit visual under a
// compositor): our window inherits it, and its pixels must be opaque, or the
// compositor shows the panel as fully transparent.
TEST_F(X11Editor, UnderAParentWithAlphaThePanelIsOpaque) {
    XVisualInfo info{};
    if (!XMatchVisualInfo(host, DefaultScreen(host), 32, TrueColor, &info))
        GTEST_SKIP() << "the server offers no 32-bit visual";
    XSetWindowAttributes attributes{};
    attributes.colormap = XCreateColormap(host, DefaultRootWindow(host), info.visual, AllocNone);
    attributes.border_pixel = 0;
    attributes.background_pixel = 0;
    const Window withAlpha =
        XCreateWindow(host, DefaultRootWindow(host), 0, 0, unsigned(kPanelRect.right),
                      unsigned(kPanelRect.bottom), 0, info.depth, InputOutput, info.visual,
                      CWColormap | CWBorderPixel | CWBackPixel, &attributes);
    XMapWindow(host, withAlpha);
    XSync(host, False);

    for (const bool sharedMemory : {true, false}) {
        auto window = createX11Window(uint64_t(withAlpha), int32_t(kPanelRect.right),
                                      int32_t(kPanelRect.bottom), sharedMemory);
        ASSERT_NE(window, nullptr) << sharedMemory;
        const auto child = Window(window->nativeHandle());
        CFrame frame(kPanelRect, std::move(window));
        sample::buildPanel(frame, nullptr);
        frame.idle();
        XSync(host, False);
        XImage* image = XGetImage(host, child, 0, 0, unsigned(kPanelRect.right),
                                  unsigned(kPanelRect.bottom), AllPlanes, ZPixmap);
        ASSERT_NE(image, nullptr);
        int transparent = 0;
        for (int32_t y = 0; y < kPanelRect.bottom; ++y) {
            for (int32_t x = 0; x < kPanelRect.right; ++x) {
                transparent += (uint32_t(XGetPixel(image, x, y)) >> 24) != 0xFF;
            }
        }
        XDestroyImage(image);
        EXPECT_EQ(transparent, 0) << (sharedMemory ? "shared memory" : "plain");
    }
    XDestroyWindow(host, withAlpha);
    XFreeColormap(host, attributes.colormap);
}

}  // namespace
}  // namespace tavolu
