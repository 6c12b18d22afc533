// The editor's controls as built from the layout: order, names, tags,
// rectangles against the skin, slider travel, the frames shown, the meters,
// the tempo display, and a window that looks the same every time it opens.
#include "editor/control_layout.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <string>
#include <vector>

#include "editor/skin_set.h"
#include "editor_window.h"
#include "support.h"
#include "toolkit/bitmap.h"
#include "toolkit/param_display.h"
#include "toolkit/slider.h"
#include "toolkit/vu_meter.h"

namespace tavolu {
namespace {

using test::EditorWindow;

// The controls as the builder alone makes them, on a frame of their own.
struct BuiltControls {
    explicit BuiltControls(CurveViewFactory makeCurveView = makeStubCurveView) {
        skin.load();
        auto owned = std::make_unique<OffscreenWindow>(465, 360);
        frame = std::make_unique<CFrame>(test::kWindowRect, std::move(owned));
        controls = buildControls(*frame, skin, &listener, makeCurveView);
    }
    ~BuiltControls() {
        frame.reset();  // the controls first, then the set's own references
        skin.release();
    }
    static CControl* makeStubCurveView(const CRect& size, CControlListener* l, int32_t tag) {
        return new CControl(size, l, tag);
    }

    test::RecordingListener listener;
    SkinSet skin;
    std::unique_ptr<CFrame> frame;
    EditorControls controls;
};

using namespace layout;

bool isSlider(const ControlRow& row) {
    return row.kind == Kind::horizontalSlider || row.kind == Kind::verticalSlider;
}
bool isSwitch(const ControlRow& row) {
    return row.kind == Kind::horizontalSwitch || row.kind == Kind::verticalSwitch;
}

// How many frames the row's image is cut into.
int32_t framesOf(const ControlRow& row) {
    if (isSwitch(row)) return row.positions;
    if (row.kind == Kind::kickButton || row.kind == Kind::onOffButton) return 2;
    return 1;
}

std::vector<CView*> viewsOf(const CFrame& frame) {
    std::vector<CView*> views;
    for (int i = 0; i < frame.getNbViews(); ++i) views.push_back(frame.getView(i));
    return views;
}

TEST(ControlLayout, CreatesEveryControlInTableOrderUnderItsNameWithItsTag) {
    EditorWindow w;
    const EditorControls& c = w.controls();
    const std::vector<CView*> expected{
        c[startSlider],          c[endSlider],         c[decaySlider],       c[holdSlider],
        c[lfoModSlider],         c[lfoDelaySlider],    c[lfoFreqSlider],     c[selectivitySlider],
        c[thresholdSlider],      c[dryWetSlider],      c[centerVolSlider],   c[attackSlider],
        c[lfoSyncSwitch],        c[endModeSwitch],     c[startModeSwitch],   c[trigSourceSwitch],
        c[lfoFreqSourceSwitch],  c[triggerLevelMeter], c[selectivityMeter],  c[curveView],
        c.presetButton(0),       c.presetButton(1),    c.presetButton(2),    c.presetButton(3),
        c.presetButton(4),       c.presetButton(5),    c.presetButton(6),    c.presetButton(7),
        c[startEqualsEndButton], c[stereoButton],      c[lfoSyncFlipButton], c[tempoDisplay]};
    for (CView* view : expected) ASSERT_NE(view, nullptr);
    EXPECT_EQ(viewsOf(*w.editor.getFrame()), expected);

    std::vector<int32_t> tags;
    for (CView* view : expected) tags.push_back(static_cast<CControl*>(view)->getTag());
    const std::vector<int32_t> expectedTags{2,  1,  5,  4,  11, 12, 13, 10, 9,  18, 17,
                                            3,  15, 7,  6,  8,  14, -1, -1, 21, 28, 29,
                                            30, 31, 32, 33, 34, 35, 0,  19, 16, -1};
    EXPECT_EQ(tags, expectedTags);

    // Everything that reports goes to the listener; meters and display have none.
    for (CView* view : expected) {
        auto* control = static_cast<CControl*>(view);
        const bool reports = control->getTag() != kNoTag;
        EXPECT_EQ(control->getListener(), reports ? &w.editor : nullptr) << control->getTag();
    }
}

TEST(ControlLayout, LeavesTheCurveViewOutWhenThereIsNoFactoryOrNoView) {
    for (CurveViewFactory factory :
         {CurveViewFactory{nullptr},
          CurveViewFactory{
              [](const CRect&, CControlListener*, int32_t) -> CControl* { return nullptr; }}}) {
        BuiltControls w(factory);
        EXPECT_EQ(w.controls[curveView], nullptr);
        EXPECT_EQ(w.frame->getNbViews(), 31);
        EXPECT_EQ(w.frame->getView(18), w.controls[selectivityMeter]);
        EXPECT_EQ(w.frame->getView(19), w.controls.presetButton(0));
    }
}

TEST(ControlLayout, EveryRectangleIsItsPositionPlusOneFrameOfItsBitmap) {
    BuiltControls w;
    const auto table = controlTable();
    ASSERT_EQ(int(table.size()), w.frame->getNbViews());
    for (size_t i = 0; i < table.size(); ++i) {
        const ControlRow& row = table[i];
        const auto* control = static_cast<const CControl*>(w.frame->getView(int(i)));
        SCOPED_TRACE("tag " + std::to_string(row.tag) + ", row " + std::to_string(i));
        EXPECT_EQ(control->getViewSize(), row.rect);
        if (row.kind == Kind::curveView) continue;

        const CBitmap* image = w.skin.get(row.image);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(row.rect.width(), image->getWidth());
        EXPECT_EQ(row.rect.height() * framesOf(row), image->getHeight());
        if (row.frameHeight) {
            EXPECT_EQ(row.frameHeight, row.rect.height());
        }
        if (row.kind == Kind::meter) {  // unlit LEDs the size of the lit ones
            const CBitmap* unlit = w.skin.get(row.secondImage);
            ASSERT_NE(unlit, nullptr);
            EXPECT_EQ(unlit->getWidth(), image->getWidth());
            EXPECT_EQ(unlit->getHeight(), image->getHeight());
        } else {
            EXPECT_EQ(control->getBackground(), image);
        }
        if (isSlider(row)) {
            EXPECT_EQ(static_cast<const CSlider*>(control)->getHandle(),
                      w.skin.get(row.secondImage));
        }
    }

    // A few as the layout drawing gives them.
    EXPECT_EQ(w.controls[startSlider]->getViewSize(), CRect(172, 162, 293, 183));
    EXPECT_EQ(w.controls[attackSlider]->getViewSize(), CRect(142, 124, 153, 160));
    EXPECT_EQ(w.controls[trigSourceSwitch]->getViewSize(), CRect(250, 208, 290, 298));
    EXPECT_EQ(w.controls[curveView]->getViewSize(), CRect(182, 55, 284, 157));
    EXPECT_EQ(w.controls.presetButton(7)->getViewSize(), CRect(343, 325, 378, 360));
    EXPECT_EQ(w.controls[tempoDisplay]->getViewSize(), CRect(202, 244, 247, 263));
}

TEST(ControlLayout, SlidersStartAtTheirFirstValueAndTheirHandlesTravelTheWholeTrack) {
    BuiltControls w;
    const auto table = controlTable();
    for (size_t i = 0; i < table.size(); ++i) {
        if (!isSlider(table[i])) continue;
        auto* slider = static_cast<CSlider*>(w.frame->getView(int(i)));
        const CRect track = slider->getViewSize();
        const bool horizontal = table[i].kind == Kind::horizontalSlider;
        SCOPED_TRACE("tag " + std::to_string(slider->getTag()));
        EXPECT_EQ(slider->getValue(), horizontal ? 0.0f : 1.0f);

        // Value 0 at the left or the bottom end, value 1 at the other; the
        // handle's other coordinate is the track's.
        slider->setValue(0.0f);
        const CRect atZero = slider->handleRect();
        slider->setValue(1.0f);
        const CRect atOne = slider->handleRect();
        if (horizontal) {
            EXPECT_EQ(atZero.left, track.left);
            EXPECT_EQ(atOne.right, track.right);
            EXPECT_EQ(atZero.top, track.top);
            EXPECT_EQ(atOne.top, track.top);
        } else {
            EXPECT_EQ(atZero.bottom, track.bottom);
            EXPECT_EQ(atOne.top, track.top);
            EXPECT_EQ(atZero.left, track.left);
            EXPECT_EQ(atOne.left, track.left);
        }
    }

    auto ends = [](CSlider* s, bool horizontal) {
        s->setValue(0.0f);
        const CRect zero = s->handleRect();
        s->setValue(1.0f);
        const CRect one = s->handleRect();
        return horizontal ? std::pair{zero.left, one.left} : std::pair{zero.top, one.top};
    };
    EXPECT_EQ(ends(w.controls.get<CSlider>(startSlider), true), std::pair(172, 272));
    EXPECT_EQ(ends(w.controls.get<CSlider>(lfoFreqSlider), false), std::pair(292, 192));
    EXPECT_EQ(ends(w.controls.get<CSlider>(holdSlider), false), std::pair(145, 45));
    EXPECT_EQ(ends(w.controls.get<CSlider>(attackSlider), false), std::pair(149, 124));
}

// The pixels `control` draws alone over a marker colour.
constexpr uint32_t kMarker = 0x123456;
std::vector<uint32_t> drawAlone(CControl* control) {
    const CRect r = control->getViewSize();
    std::vector<uint32_t> pixels(size_t(test::kWindowRect.width() * test::kWindowRect.height()),
                                 kMarker);
    CDrawContext context({pixels.data(), 465, 360, 465});
    control->draw(&context);
    std::vector<uint32_t> inside;
    for (int32_t y = r.top; y < r.bottom; ++y) {
        for (int32_t x = r.left; x < r.right; ++x) inside.push_back(pixels[size_t(y * 465 + x)]);
    }
    return inside;
}

// Frame `frame` of `strip`, colour key shown as the marker.
std::vector<uint32_t> frameOf(const CBitmap& strip, int32_t frame, int32_t frameHeight) {
    std::vector<uint32_t> pixels;
    for (int32_t y = 0; y < frameHeight; ++y) {
        for (int32_t x = 0; x < strip.getWidth(); ++x) {
            const uint32_t p = strip.pixelAt(x, frame * frameHeight + y);
            pixels.push_back(p == kColorKeyPixel ? kMarker : p);
        }
    }
    return pixels;
}

TEST(ControlLayout, SwitchesAndButtonsShowTheFrameOfTheirPosition) {
    BuiltControls w;
    const auto table = controlTable();
    for (size_t i = 0; i < table.size(); ++i) {
        const ControlRow& row = table[i];
        const int32_t frames = framesOf(row);
        if (frames < 2) continue;
        auto* control = static_cast<CControl*>(w.frame->getView(int(i)));
        for (int32_t k = 0; k < frames; ++k) {
            SCOPED_TRACE("tag " + std::to_string(row.tag) + ", frame " + std::to_string(k));
            control->setValue(float(k) / float(frames - 1));
            EXPECT_EQ(drawAlone(control), frameOf(*w.skin.get(row.image), k, row.rect.height()));
        }
    }
}

TEST(ControlLayout, MetersShowFourteenLedsAndFallByATenthPerRedraw) {
    EditorWindow w;
    for (CVuMeter* meter : {w.controls().get<CVuMeter>(triggerLevelMeter),
                            w.controls().get<CVuMeter>(selectivityMeter)}) {
        EXPECT_EQ(meter->getDecreaseStepValue(), 0.1f);
        EXPECT_EQ(meter->litHeight(1.0f / 14.0f), 7);  // one LED of 101 / 14 px
        EXPECT_EQ(meter->litHeight(0.5f), 50);         // seven of them
        EXPECT_EQ(meter->litHeight(1.0f), 101);
        meter->setValue(1.0f);
        w.render();
        meter->setValue(0.0f);
        w.render();
        EXPECT_FLOAT_EQ(meter->getShownLevel(), 0.9f);
    }
}

TEST(ControlLayout, TempoTextIsNotAvailableAtExactlyZeroAndOneDecimalOtherwise) {
    char text[kDisplayTextSize];
    auto tempo = [&](float value) {
        formatTempo(value, text);
        return std::string(text);
    };
    EXPECT_EQ(tempo(0.0f), "N/A");
    EXPECT_EQ(tempo(-0.0f), "N/A");
    EXPECT_EQ(tempo(120.0f), "120.0");
    EXPECT_EQ(tempo(0.04f), "0.0");  // a tempo, however small, is a number
    EXPECT_EQ(tempo(-90.0f), "-90.0");
    EXPECT_EQ(tempo(FLT_MAX).size(), 41u);  // the longest still fits the display's text
    formatTempo(120.0f, nullptr);           // no text to write: nothing happens

    // The engine's reports reach the display at the next idle.
    EditorWindow w;
    char shown[kDisplayTextSize];
    auto* display = w.controls().get<CParamDisplay>(tempoDisplay);
    w.editor.setParameter(36, 0.0f);
    w.render();
    display->makeText(shown);
    EXPECT_STREQ(shown, "N/A");
    w.editor.setParameter(36, 120.0f);
    w.render();
    display->makeText(shown);
    EXPECT_STREQ(shown, "120.0");
}

TEST(ControlLayout, TempoIsDrawnWhiteOverABlackShadowCentredInTheDisplay) {
    EditorWindow w;
    w.editor.setParameter(36, 120.0f);
    const std::vector<uint32_t> pixels = w.render();
    const CRect r = w[tempoDisplay]->getViewSize();
    auto at = [&](int32_t x, int32_t y) { return pixels[size_t(y * 465 + x)]; };
    // Text pixels: light grey to white, as the glyph edges blend in.
    auto isText = [](uint32_t p) {
        return (p >> 16) >= 0xC0 && ((p >> 8) & 0xFF) >= 0xC0 && (p & 0xFF) >= 0xC0;
    };
    int32_t leftmost = r.right, rightmost = r.left;
    bool white = false, shadowed = false;
    for (int32_t y = r.top; y < r.bottom - 1; ++y) {
        for (int32_t x = r.left; x < r.right - 1; ++x) {
            if (!isText(at(x, y))) continue;
            leftmost = std::min(leftmost, x);
            rightmost = std::max(rightmost, x);
            white = white || at(x, y) == 0xFFFFFF;
            shadowed = shadowed || at(x + 1, y + 1) == 0x000000;
        }
    }
    ASSERT_LE(leftmost, rightmost) << "no text";
    EXPECT_TRUE(white);
    EXPECT_TRUE(shadowed);
    const double textCentre = (leftmost + rightmost + 1) / 2.0;
    const double displayCentre = (r.left + r.right) / 2.0;
    EXPECT_NEAR(textCentre, displayCentre, 1.5);
}

TEST(ControlLayout, OpenCloseOpenGivesTheSameWindowWithEveryControlVisible) {
    EditorWindow w;
    auto shown = [&] {
        w.editor.setParameter(22, 1.0f);  // an unlit meter is the background's
        w.editor.setParameter(23, 1.0f);
        return w.render();
    };
    const std::vector<uint32_t> first = shown();
    w.editor.close();
    EXPECT_EQ(w.editor.getFrame(), nullptr);
    w.editor.open(nullptr);
    EXPECT_EQ(shown(), first);

    // Each control draws something of its own over the background.
    CBitmap* background = new CBitmap(test::kBackgroundId);
    for (const ControlRow& row : controlTable()) {
        bool differs = false;
        for (int32_t y = row.rect.top; y < row.rect.bottom && !differs; ++y) {
            for (int32_t x = row.rect.left; x < row.rect.right && !differs; ++x) {
                differs = first[size_t(y * 465 + x)] != background->pixelAt(x, y);
            }
        }
        EXPECT_TRUE(differs) << "tag " << row.tag << " at " << row.rect.left << "," << row.rect.top;
    }
    background->forget();
}

TEST(ControlLayout, ClicksReachTheEffectWithTheControlsTagsInsideEditBrackets) {
    EditorWindow w;
    w.render();
    w.effect.calls.clear();
    // A mode switch: the thirds of its 85 px width are its three positions.
    for (int32_t x : {191, 219, 220, 247, 248, 275}) {
        w.window().postMouseDown({x, 15}, kLButton);
        w.window().postMouseUp({x, 15}, 0);
    }
    // Start=End toggles on.
    w.window().postMouseDown({320, 100}, kLButton);
    w.window().postMouseUp({320, 100}, 0);
    w.render();

    const std::vector<std::pair<int32_t, float>> expected{
        {7, 0.0f}, {7, 0.0f}, {7, 0.5f}, {7, 0.5f}, {7, 1.0f}, {7, 1.0f}, {0, 1.0f}};
    EXPECT_EQ(w.effect.automated, expected);
    std::vector<std::string> brackets;
    for (int k = 0; k < 6; ++k) brackets.insert(brackets.end(), {"begin 7", "automate 7", "end 7"});
    brackets.insert(brackets.end(), {"begin 0", "automate 0", "end 0"});
    EXPECT_EQ(w.effect.calls, brackets);
}

TEST(ControlLayout, BuildsAndDrawsWithoutAnySkinLoaded) {
    SkinSet empty;
    auto owned = std::make_unique<OffscreenWindow>(465, 360);
    CFrame frame(test::kWindowRect, std::move(owned));
    const EditorControls controls = buildControls(frame, empty, nullptr);
    EXPECT_EQ(frame.getNbViews(), 31);
    ASSERT_NE(controls[tempoDisplay], nullptr);
    controls[tempoDisplay]->setValue(120.0f);
    controls[triggerLevelMeter]->setValue(0.5f);
    frame.idle();  // nothing to draw with, and nothing goes wrong
    EXPECT_EQ(frame.getNbViews(), 31);
}

}  // namespace
}  // namespace tavolu
