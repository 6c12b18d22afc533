// What each control does with the mouse, and what it draws.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

#include "support.h"
#include "toolkit/buttons.h"
#include "toolkit/draw_context.h"
#include "toolkit/param_display.h"
#include "toolkit/slider.h"
#include "toolkit/switch.h"
#include "toolkit/vu_meter.h"

namespace tavolu {
namespace {

using test::RecordingListener;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// A surface to draw controls into and read back.
struct Surface {
    Surface(int32_t w, int32_t h) : width(w), pixels(size_t(w) * size_t(h), 0) {}
    PixelSurface view() {
        return {pixels.data(), width, int32_t(pixels.size() / size_t(width)), width};
    }
    uint32_t at(int32_t x, int32_t y) const {
        return pixels[size_t(y) * size_t(width) + size_t(x)];
    }
    int32_t width;
    std::vector<uint32_t> pixels;
};

// A click: press and release at one point.
void click(CView& view, CPoint where, int32_t modifiers = 0) {
    if (view.onMouseDown(where, kLButton | modifiers) == MouseResult::tracking) {
        view.onMouseUp(where, modifiers);
    }
}

class HorizontalSliderTest : public ::testing::Test {
  protected:
    // A 121-px track with a 21-px handle travelling 0..100.
    HorizontalSliderTest()
        : track(test::solidBitmap(121, 21, 0x202020)),
          handle(test::solidBitmap(21, 21, 0xE0E0E0)),
          slider({0, 0, 121, 21}, &listener, 7, 0, 100, handle, track) {}
    ~HorizontalSliderTest() override {
        track->forget();
        handle->forget();
    }

    RecordingListener listener;
    CBitmap* track;
    CBitmap* handle;
    CHorizontalSlider slider;
};

TEST_F(HorizontalSliderTest, ClickPutsTheHandleCentreUnderThePointer) {
    click(slider, {60, 10});
    EXPECT_FLOAT_EQ(slider.getValue(), 0.5f);
    EXPECT_EQ(slider.handleRect(), CRect(50, 0, 71, 21));
    click(slider, {10, 10});
    EXPECT_FLOAT_EQ(slider.getValue(), 0.0f);
    click(slider, {110, 10});
    EXPECT_FLOAT_EQ(slider.getValue(), 1.0f);
    click(slider, {3, 10});  // beyond the travel: clamped
    EXPECT_FLOAT_EQ(slider.getValue(), 0.0f);
    ASSERT_EQ(listener.reports.size(), 4u);
    EXPECT_EQ(listener.reports[0].tag, 7);
    EXPECT_EQ(listener.begins.size(), 4u);
    EXPECT_EQ(listener.ends.size(), 4u);
}

TEST_F(HorizontalSliderTest, DragFollowsThePointerAndShiftSlowsItTenfold) {
    ASSERT_EQ(slider.onMouseDown({60, 10}, kLButton), MouseResult::tracking);
    slider.onMouseMoved({70, 10}, kLButton);
    EXPECT_NEAR(slider.getValue(), 0.6f, 1e-6);
    slider.onMouseMoved({80, 10}, kLButton | kShift);  // from here at a tenth
    slider.onMouseMoved({90, 10}, kLButton | kShift);
    EXPECT_NEAR(slider.getValue(), 0.61f, 1e-6);
    slider.onMouseMoved({100, 10}, kLButton);  // Shift let go: full speed from here
    EXPECT_NEAR(slider.getValue(), 0.61f, 1e-6);
    slider.onMouseMoved({110, 10}, kLButton);
    EXPECT_NEAR(slider.getValue(), 0.71f, 1e-6);
    slider.onMouseMoved({500, 10}, kLButton);
    EXPECT_FLOAT_EQ(slider.getValue(), 1.0f);
    slider.onMouseMoved({-500, 10}, kLButton);
    EXPECT_FLOAT_EQ(slider.getValue(), 0.0f);
    slider.onMouseUp({-500, 10}, 0);
    EXPECT_EQ(listener.begins, std::vector<int32_t>{7});
    EXPECT_EQ(listener.ends, std::vector<int32_t>{7});
}

TEST_F(HorizontalSliderTest, ShiftClickDoesNotJump) {
    slider.setValue(0.3f);
    ASSERT_EQ(slider.onMouseDown({100, 10}, kLButton | kShift), MouseResult::tracking);
    EXPECT_FLOAT_EQ(slider.getValue(), 0.3f);
    slider.onMouseMoved({110, 10}, kLButton | kShift);
    EXPECT_NEAR(slider.getValue(), 0.31f, 1e-6);
}

TEST_F(HorizontalSliderTest, WheelStepsAndClamps) {
    slider.setValue(0.5f);
    EXPECT_TRUE(slider.onWheel({60, 10}, 1.0f, 0));
    EXPECT_NEAR(slider.getValue(), 0.6f, 1e-6);
    slider.onWheel({60, 10}, -1.0f, kShift);
    EXPECT_NEAR(slider.getValue(), 0.59f, 1e-6);
    for (int i = 0; i < 20; ++i) slider.onWheel({60, 10}, 1.0f, 0);
    EXPECT_FLOAT_EQ(slider.getValue(), 1.0f);
    EXPECT_FALSE(slider.onWheel({60, 10}, kNaN, 0));
    // 0.69, 0.79, 0.89, 0.99, 1.0, then no report once it stops at 1.
    EXPECT_EQ(listener.reports.size(), 2u + 5u);
}

TEST_F(HorizontalSliderTest, ControlClickGoesToTheDefault) {
    slider.setValue(0.9f);
    EXPECT_EQ(slider.onMouseDown({10, 10}, kLButton | kControl), MouseResult::handled);
    EXPECT_FLOAT_EQ(slider.getValue(), 0.5f);
    ASSERT_EQ(listener.reports.size(), 1u);
    EXPECT_FLOAT_EQ(listener.reports[0].value, 0.5f);
    EXPECT_EQ(listener.ends.size(), 1u);
}

TEST_F(HorizontalSliderTest, ListenerCanTakeModifierClicks) {
    listener.takeModifierClicks = 1;
    slider.setValue(0.9f);
    slider.onMouseDown({10, 10}, kLButton | kControl);
    EXPECT_FLOAT_EQ(slider.getValue(), 0.9f);
    click(slider, {10, 10});  // no modifier: the listener is not asked
    EXPECT_FLOAT_EQ(slider.getValue(), 0.0f);
}

TEST_F(HorizontalSliderTest, OnlyTheLeftButtonMovesIt) {
    slider.setValue(0.2f);
    EXPECT_EQ(slider.onMouseDown({100, 10}, kRButton), MouseResult::notHandled);
    EXPECT_FLOAT_EQ(slider.getValue(), 0.2f);
}

TEST_F(HorizontalSliderTest, ProgramValuesAreStoredAsGivenAndDrawnClamped) {
    slider.setValue(1.7f);
    EXPECT_FLOAT_EQ(slider.getValue(), 1.7f);
    EXPECT_EQ(slider.handleRect().left, 100);
    slider.setValue(kNaN);
    EXPECT_EQ(slider.handleRect().left, 0);
    Surface surface(121, 21);
    CDrawContext context(surface.view());
    slider.setDirty(false);
    slider.draw(&context);
    EXPECT_EQ(surface.at(5, 5), 0xE0E0E0u);   // handle at the left end
    EXPECT_EQ(surface.at(30, 5), 0x202020u);  // track beside it
    EXPECT_FALSE(slider.isDirty());           // a NaN is drawn once, not forever
    slider.setValue(kNaN);
    EXPECT_FALSE(slider.isDirty());
}

TEST(VerticalSlider, ValueZeroAtTheBottom) {
    RecordingListener listener;
    auto* track = test::solidBitmap(21, 121, 0x202020);
    auto* handle = test::solidBitmap(21, 21, 0xE0E0E0);
    {
        // Placed as in a window: the track at y 45, the handle's top 45..145.
        CVerticalSlider slider({289, 45, 310, 166}, &listener, 5, 45, 145, handle, track);
        click(slider, {299, 155});
        EXPECT_FLOAT_EQ(slider.getValue(), 0.0f);
        click(slider, {299, 55});
        EXPECT_FLOAT_EQ(slider.getValue(), 1.0f);
        click(slider, {299, 80});
        EXPECT_FLOAT_EQ(slider.getValue(), 0.75f);
        EXPECT_EQ(slider.handleRect(), CRect(289, 70, 310, 91));

        slider.onMouseDown({299, 80}, kLButton);
        slider.onMouseMoved({299, 70}, kLButton);  // up is more
        EXPECT_NEAR(slider.getValue(), 0.85f, 1e-6);
        slider.onMouseMoved({299, 60}, kLButton | kShift);
        slider.onMouseMoved({299, 50}, kLButton | kShift);
        EXPECT_NEAR(slider.getValue(), 0.86f, 1e-6);
        slider.onMouseUp({299, 50}, kShift);

        EXPECT_TRUE(slider.onWheel({299, 80}, -1.0f, 0));
        EXPECT_NEAR(slider.getValue(), 0.76f, 1e-6);
        EXPECT_EQ(track->getReferenceCount(), 2);
    }
    EXPECT_EQ(track->getReferenceCount(), 1);
    EXPECT_EQ(handle->getReferenceCount(), 1);
    track->forget();
    handle->forget();
}

TEST(Switch, HorizontalBandsOfAnEightyFivePixelStrip) {
    RecordingListener listener;
    auto* strip = test::stripBitmap(85, 15, {0x111111, 0x222222, 0x333333});
    CHorizontalSwitch sw({0, 0, 85, 15}, &listener, 6, 3, 15, strip);
    const std::pair<int32_t, float> cases[] = {{0, 0.0f},  {28, 0.0f}, {29, 0.5f},
                                               {56, 0.5f}, {57, 1.0f}, {84, 1.0f}};
    for (const auto& [x, value] : cases) {
        click(sw, {x, 7});
        EXPECT_FLOAT_EQ(sw.getValue(), value) << "x " << x;
    }
    EXPECT_EQ(listener.reports.size(), 6u);  // every click reports
    strip->forget();
}

TEST(Switch, DragSelectsTheBandUnderThePointer) {
    RecordingListener listener;
    auto* strip = test::stripBitmap(10, 10, {1, 2, 3});
    CVerticalSwitch sw({0, 0, 10, 30}, &listener, 8, 3, 10, strip);
    ASSERT_EQ(sw.onMouseDown({5, 2}, kLButton), MouseResult::tracking);
    sw.onMouseMoved({5, 4}, kLButton);  // same band: no report
    sw.onMouseMoved({5, 15}, kLButton);
    EXPECT_FLOAT_EQ(sw.getValue(), 0.5f);
    sw.onMouseMoved({5, 500}, kLButton);  // below: the last band
    EXPECT_FLOAT_EQ(sw.getValue(), 1.0f);
    sw.onMouseMoved({5, -500}, kLButton);
    sw.onMouseUp({5, -500}, 0);
    EXPECT_FLOAT_EQ(sw.getValue(), 0.0f);
    EXPECT_EQ(listener.reports.size(), 4u);
    strip->forget();
}

TEST(Switch, FrameIsTheValueRoundedHalfUp) {
    auto* strip = test::stripBitmap(4, 2, {0x111111, 0x222222, 0x333333});
    CVerticalSwitch sw({0, 0, 4, 2}, nullptr, 1, 3, 2, strip);
    const std::pair<float, int32_t> cases[] = {{0.0f, 0},  {0.24f, 0}, {0.25f, 1}, {0.5f, 1},
                                               {0.74f, 1}, {0.75f, 2}, {1.0f, 2},  {kNaN, 0},
                                               {-3.0f, 0}, {7.0f, 2}};
    Surface surface(4, 2);
    CDrawContext context(surface.view());
    for (const auto& [value, frame] : cases) {
        sw.setValue(value);
        EXPECT_EQ(sw.frameIndex(), frame) << value;
        sw.draw(&context);
        EXPECT_EQ(surface.at(1, 1), 0x111111u * uint32_t(frame + 1)) << value;
    }
    strip->forget();
}

TEST(Switch, ControlClickGoesToZero) {
    RecordingListener listener;
    auto* strip = test::stripBitmap(10, 10, {1, 2, 3});
    CVerticalSwitch sw({0, 0, 10, 30}, &listener, 8, 3, 10, strip);
    sw.setValue(1.0f);
    EXPECT_EQ(sw.onMouseDown({5, 15}, kLButton | kControl), MouseResult::handled);
    EXPECT_FLOAT_EQ(sw.getValue(), 0.0f);
    EXPECT_EQ(listener.reports.size(), 1u);
    strip->forget();
}

TEST(OnOffButton, EachClickTogglesAndReports) {
    RecordingListener listener;
    auto* image = test::stripBitmap(6, 3, {0x000011, 0x000022});
    COnOffButton button({0, 0, 6, 3}, &listener, 19, image);
    Surface surface(6, 3);
    CDrawContext context(surface.view());

    click(button, {2, 1});
    EXPECT_FLOAT_EQ(button.getValue(), 1.0f);
    button.draw(&context);
    EXPECT_EQ(surface.at(2, 1), 0x000022u);
    click(button, {2, 1});
    EXPECT_FLOAT_EQ(button.getValue(), 0.0f);
    button.draw(&context);
    EXPECT_EQ(surface.at(2, 1), 0x000011u);

    button.setValue(0.3f);  // any non-zero value is on
    button.draw(&context);
    EXPECT_EQ(surface.at(2, 1), 0x000022u);
    click(button, {2, 1});
    EXPECT_FLOAT_EQ(button.getValue(), 0.0f);
    button.setValue(kNaN);  // drawn off, so a click turns it on
    click(button, {2, 1});
    EXPECT_FLOAT_EQ(button.getValue(), 1.0f);
    ASSERT_EQ(listener.reports.size(), 4u);
    EXPECT_EQ(listener.begins.size(), 4u);
    EXPECT_EQ(listener.ends.size(), 4u);
    image->forget();
}

TEST(KickButton, ClickReportsOneThenZero) {
    RecordingListener listener;
    auto* image = test::stripBitmap(35, 35, {0x0000AA, 0x0000BB});
    CKickButton button({84, 325, 119, 360}, &listener, 28, 35, image);
    Surface surface(120, 361);
    CDrawContext context(surface.view());

    ASSERT_EQ(button.onMouseDown({100, 340}, kLButton), MouseResult::tracking);
    button.draw(&context);
    EXPECT_EQ(surface.at(100, 340), 0x0000BBu);
    button.onMouseUp({100, 340}, 0);
    button.draw(&context);
    EXPECT_EQ(surface.at(100, 340), 0x0000AAu);
    ASSERT_EQ(listener.reports.size(), 2u);
    EXPECT_FLOAT_EQ(listener.reports[0].value, 1.0f);
    EXPECT_FLOAT_EQ(listener.reports[1].value, 0.0f);
    EXPECT_EQ(listener.reports[1].tag, 28);
    image->forget();
}

TEST(KickButton, LeavingAndComingBackWhilePressed) {
    RecordingListener listener;
    auto* image = test::stripBitmap(10, 10, {1, 2});
    CKickButton button({0, 0, 10, 10}, &listener, 30, 10, image);
    button.onMouseDown({5, 5}, kLButton);
    button.onMouseMoved({6, 6}, kLButton);   // still inside: no change, no report
    button.onMouseMoved({50, 5}, kLButton);  // out: 0
    button.onMouseMoved({5, 5}, kLButton);   // back: 1
    button.onMouseMoved({50, 5}, kLButton);  // out again: 0
    button.onMouseUp({50, 5}, 0);            // release outside still reports 0
    std::vector<float> values;
    for (const auto& r : listener.reports) values.push_back(r.value);
    EXPECT_EQ(values, (std::vector<float>{1, 0, 1, 0, 0}));
    EXPECT_EQ(listener.ends.size(), 1u);
    image->forget();
}

class MeterTest : public ::testing::Test {
  protected:
    // 14 LEDs over 28 rows: two rows per LED.
    MeterTest()
        : lit(test::solidBitmap(4, 28, 0x00FF00)),
          unlit(test::solidBitmap(4, 28, 0x003300)),
          meter({0, 0, 4, 28}, lit, unlit, 14),
          surface(4, 28),
          context(surface.view()) {}
    ~MeterTest() override {
        lit->forget();
        unlit->forget();
    }
    int32_t litRows() const {
        int32_t rows = 0;
        for (int32_t y = 0; y < 28; ++y) rows += surface.at(1, y) == 0x00FF00u;
        return rows;
    }
    void redraw() {
        meter.setDirty(false);
        meter.draw(&context);
    }

    CBitmap* lit;
    CBitmap* unlit;
    CVuMeter meter;
    Surface surface;
    CDrawContext context;
};

TEST_F(MeterTest, LitFromTheBottomQuantisedToWholeLeds) {
    const std::pair<float, int32_t> cases[] = {{0.0f, 0},  {0.5f, 14},  {1.0f, 28}, {0.03f, 0},
                                               {0.04f, 2}, {0.96f, 26}, {3.0f, 28}};
    for (const auto& [value, rows] : cases) {
        meter.setDecreaseStepValue(1.0f);  // no fall-off here
        meter.setValue(value);
        redraw();
        EXPECT_EQ(litRows(), rows) << value;
        if (rows > 0) {
            EXPECT_EQ(surface.at(1, 27), 0x00FF00u) << value;
        }
        if (rows < 28) {
            EXPECT_EQ(surface.at(1, 0), 0x003300u) << value;
        }
    }
}

TEST_F(MeterTest, FallsByTheStepPerRedrawAndKeepsRedrawingUntilThere) {
    meter.setDecreaseStepValue(0.1f);
    meter.setValue(1.0f);
    redraw();
    meter.setValue(0.0f);
    int redraws = 0;
    float previous = meter.getShownLevel();
    while (meter.isDirty() && redraws < 100) {
        redraw();
        ++redraws;
        EXPECT_LE(previous - meter.getShownLevel(), 0.1f + 1e-6f);
        previous = meter.getShownLevel();
    }
    EXPECT_GE(redraws, 10);
    EXPECT_LE(redraws, 11);
    EXPECT_EQ(meter.getShownLevel(), 0.0f);
    EXPECT_EQ(litRows(), 0);

    meter.setValue(0.8f);  // a rise shows at once
    redraw();
    EXPECT_FLOAT_EQ(meter.getShownLevel(), 0.8f);
    meter.setValue(kNaN);  // as 0
    redraw();
    EXPECT_NEAR(meter.getShownLevel(), 0.7f, 1e-6);
}

void formatTenths(float value, char* text) {
    std::snprintf(text, 32, "%.1f", double(value));
}
void formatNothing(float, char*) {}
void formatUnterminated(float, char* text) {
    std::memset(text, 'A', kDisplayTextSize);
}

TEST(ParamDisplay, ConverterTextWithShadowOverTheBackground) {
    auto* background = test::solidBitmap(20, 6, 0x404040);
    CParamDisplay display({0, 0, 20, 6}, background, kShadowText);
    display.setFont(&test::blockFont());
    display.setFontColor({255, 255, 255, 255});
    display.setShadowColor({0, 0, 0, 255});
    display.setHoriAlign(kLeftText);
    display.setStringConvert([](float, char* text) { std::strcpy(text, "A"); });
    Surface surface(20, 6);
    CDrawContext context(surface.view());
    display.draw(&context);
    // 'A' covers columns 0..1, rows 1..3; the shadow the same moved by (1, 1).
    EXPECT_EQ(surface.at(0, 1), 0xFFFFFFu);
    EXPECT_EQ(surface.at(1, 3), 0xFFFFFFu);
    EXPECT_EQ(surface.at(2, 4), 0x000000u);  // shadow only
    EXPECT_EQ(surface.at(2, 1), 0x404040u);  // neither
    EXPECT_EQ(surface.at(0, 4), 0x404040u);
    background->forget();
}

TEST(ParamDisplay, TextComesFromTheConverter) {
    CParamDisplay display({0, 0, 20, 6});
    char text[kDisplayTextSize];
    display.setValue(120.0f);
    display.makeText(text);
    EXPECT_STREQ(text, "120.00");  // without a converter
    display.setStringConvert(formatTenths);
    display.makeText(text);
    EXPECT_STREQ(text, "120.0");
    display.setStringConvert(formatNothing);
    display.makeText(text);
    EXPECT_STREQ(text, "");
    display.setStringConvert(formatUnterminated);
    display.makeText(text);
    EXPECT_EQ(std::strlen(text), size_t(kDisplayTextSize - 1));
}

}  // namespace
}  // namespace tavolu
