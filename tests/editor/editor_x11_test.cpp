// The plug-in as a host runs it on a desktop: the built library loaded with
// dlopen, its editor opened into the host's window on a private X server,
// idled the way a host's timer does it, and moved with real pointer input.
// What the user does must reach the effect and the host (edit brackets,
// automation, display refreshes); what the host and the audio thread report
// must reach the screen.
#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "common/parameter_index.h"
#include "editor/layout_table.h"
#include "shell/programs.h"
#include "tests/shell/test_host.h"
#include "tests/support/signals.h"
#include "tests/support/editor_screen.h"
#include "tests/support/x11_server.h"
#include "toolkit/bitmap.h"

namespace tavolu::testing {
namespace {

using namespace vst2;

constexpr int kWidth = kEditorWidth;    // px
constexpr int kHeight = kEditorHeight;  // px
constexpr float kRate = 44100.0f;  // Hz
constexpr int32_t kBlock = 441;    // frames, one update interval of the engine

CRect rectOf(layout::ControlId id) {
    return layout::row(id).rect;
}
CPoint centreOf(layout::ControlId id) {
    const CRect r = rectOf(id);
    return {int32_t((r.left + r.right) / 2), int32_t((r.top + r.bottom) / 2)};
}

class EditorOnScreen : public EditorScreenSuite {
  protected:
    void SetUp() override {
        openDesktop(kWidth, kHeight);
        if (HasFatalFailure()) return;
        ASSERT_TRUE(desktop->hasXTest());
        ASSERT_NE(host.load(), nullptr);
        host.dispatch(effOpen);
        host.dispatch(effSetSampleRate, 0, 0, nullptr, kRate);
        host.dispatch(effSetBlockSize, 0, kBlock);
        host.dispatch(effMainsChanged, 0, 1);
        openEditor();
        host.clearCalls();
    }
    // The host closes the window, then (in its destructor) the effect.
    void TearDown() override {
        if (host.effect()) host.dispatch(effEditClose);
    }

    void openEditor() {
        ASSERT_EQ(host.dispatch(effEditOpen, 0, 0, desktop->handle()), 1);
        const std::vector<XWindowId> children = desktop->children();
        ASSERT_EQ(children.size(), 1u);
        editor = children[0];
        screen = settle();
    }

    void idleOnce() override { host.dispatch(effEditIdle); }

    // Real input, in the editor window's pixels.
    void press(CPoint at) {
        desktop->movePointer(editor, at.x, at.y);
        desktop->leftButton(true);
    }
    void dragTo(CPoint at) { desktop->movePointer(editor, at.x, at.y); }
    void release() { desktop->leftButton(false); }
    void click(CPoint at) {
        press(at);
        release();
    }
    // Until the host has heard the end of the gesture on `index`.
    bool idleUntilEditEnds(VstInt32 index) {
        return idleUntil([&] {
            for (const HostCall& c : host.callsOf(audioMasterEndEdit)) {
                if (c.index == index) return true;
            }
            return false;
        });
    }

    // One gesture's calls: begin, one or more automations of the parameter's
    // values ending with its value now, end; nothing else.
    void expectOneGesture(VstInt32 index) {
        const std::vector<HostCall> calls = host.calls();
        ASSERT_GE(calls.size(), 3u);
        EXPECT_EQ(calls.front().opcode, audioMasterBeginEdit);
        EXPECT_EQ(calls.front().index, index);
        EXPECT_EQ(calls.back().opcode, audioMasterEndEdit);
        EXPECT_EQ(calls.back().index, index);
        for (size_t i = 1; i + 1 < calls.size(); ++i) {
            EXPECT_EQ(calls[i].opcode, audioMasterAutomate) << i;
            EXPECT_EQ(calls[i].index, index) << i;
        }
        EXPECT_EQ(calls[calls.size() - 2].opt, host.getParameter(index));
    }

    // One block of `signal` at 120 bpm, or with the time withheld; no bar or
    // grid line passes in the first 16,000 frames.
    void processBlock(std::vector<float>& signal, bool withTime) {
        if (withTime) {
            VstTimeInfo t{};
            t.sampleRate = kRate;
            t.tempo = 120.0;
            t.ppqPos = 0.25 + double(frames) * t.tempo / 60.0 / kRate;
            t.timeSigNumerator = 4;
            t.timeSigDenominator = 4;
            t.flags = kVstTransportPlaying | kVstPpqPosValid | kVstTempoValid | kVstBarsValid |
                      kVstTimeSigValid;
            host.giveTimeInfo(t);
        } else {
            host.withholdTimeInfo();
        }
        const size_t at = size_t(frames) % (signal.size() - kBlock);
        float* in[2] = {signal.data() + at, signal.data() + at};
        float* out[2] = {outLeft.data(), outRight.data()};
        host.processReplacing(in, out, kBlock);
        frames += kBlock;
    }

    TestHost host;
    int64_t frames = 0;
    std::vector<float> outLeft = std::vector<float>(kBlock);
    std::vector<float> outRight = std::vector<float>(kBlock);
};

// The window is the skin's size, and wherever no control sits it shows the
// background image itself.
TEST_F(EditorOnScreen, TheWindowShowsTheSkinAroundItsControls) {
    int width = 0, height = 0;
    ASSERT_TRUE(desktop->size(editor, width, height));
    EXPECT_EQ(width, 465);
    EXPECT_EQ(height, 360);

    CBitmap* background = new CBitmap(layout::kBackgroundBitmap);
    ASSERT_EQ(background->getWidth(), kWidth);
    ASSERT_EQ(background->getHeight(), kHeight);
    int outside = 0, differing = 0;
    for (int32_t y = 0; y < kHeight; ++y) {
        for (int32_t x = 0; x < kWidth; ++x) {
            bool covered = false;
            for (const layout::ControlRow& row : layout::kControlTable) {
                covered = covered || row.rect.contains({x, y});
            }
            if (covered) continue;
            ++outside;
            differing += screen[size_t(y) * kWidth + size_t(x)] != background->pixelAt(x, y);
        }
    }
    background->forget();
    EXPECT_GT(outside, kWidth * kHeight / 2);
    EXPECT_EQ(differing, 0);

    host.dispatch(effEditClose);
    EXPECT_TRUE(desktop->children().empty());
}

// Dry-Wet (vertical, travel y 191..291) and End (horizontal, travel x
// 172..272): the handle's centre goes under the pointer, 100 px of travel
// for the whole range.
TEST_F(EditorOnScreen, DraggingASliderAutomatesItsParameterInsideEditBrackets) {
    const CRect dryWet = rectOf(layout::dryWetSlider);
    press({dryWet.left + 10, 251});  // handle top 241: value 0.5
    dragTo({dryWet.left + 10, 231});
    dragTo({dryWet.left + 10, 221});  // value 0.8
    release();
    ASSERT_TRUE(idleUntilEditEnds(kDryWet));
    EXPECT_NEAR(host.getParameter(kDryWet), 0.8f, 1e-6f);
    expectOneGesture(kDryWet);
    EXPECT_GT(differingIn(settle(), screen, dryWet), 0);

    host.clearCalls();
    const CRect end = rectOf(layout::endSlider);
    press({202, end.top + 10});   // value 0.2
    dragTo({252, end.top + 10});  // value 0.7
    release();
    ASSERT_TRUE(idleUntilEditEnds(kEnd));
    EXPECT_NEAR(host.getParameter(kEnd), 0.7f, 1e-6f);
    EXPECT_NE(host.getParameter(kStart), host.getParameter(kEnd));  // not tied yet
    expectOneGesture(kEnd);
}

// With Start=End on, the effect moves Start along with End; both sliders and
// the curve view follow at the next idle.
TEST_F(EditorOnScreen, StartEqualsEndDragsBothSlidersOnScreen) {
    click(centreOf(layout::startEqualsEndButton));
    ASSERT_TRUE(idleUntilEditEnds(kStartEqualsEnd));
    EXPECT_EQ(host.getParameter(kStartEqualsEnd), 1.0f);
    screen = settle();

    const CRect end = rectOf(layout::endSlider);
    host.clearCalls();
    press({232, end.top + 10});   // value 0.5, where the tie put it
    dragTo({262, end.top + 10});  // value 0.8
    release();
    ASSERT_TRUE(idleUntilEditEnds(kEnd));
    const Pixels after = settle();
    EXPECT_NEAR(host.getParameter(kEnd), 0.8f, 1e-6f);
    EXPECT_EQ(host.getParameter(kStart), host.getParameter(kEnd));
    EXPECT_GT(differingIn(after, screen, end), 0);
    EXPECT_GT(differingIn(after, screen, rectOf(layout::startSlider)), 0);
    EXPECT_GT(differingIn(after, screen, rectOf(layout::curveView)), 0);
}

// Switches select the band under the pointer; an on/off button toggles.
TEST_F(EditorOnScreen, SwitchesAndButtonsSetTheValueClicked) {
    const CRect endMode = rectOf(layout::endModeSwitch);  // 85 px: thirds
    const int y = (endMode.top + endMode.bottom) / 2;
    for (const auto& [x, value] : {std::pair{233, 0.5f}, {270, 1.0f}, {195, 0.0f}}) {
        host.clearCalls();
        click({x, y});
        ASSERT_TRUE(idleUntilEditEnds(kEndMode)) << x;
        EXPECT_EQ(host.getParameter(kEndMode), value) << x;
        expectOneGesture(kEndMode);
    }

    const CRect trigSource = rectOf(layout::trigSourceSwitch);  // six bands of 15 px
    for (int band : {5, 2, 4, 1, 3, 0}) {
        host.clearCalls();
        click({trigSource.left + 20, trigSource.top + 15 * band + 7});
        ASSERT_TRUE(idleUntilEditEnds(kTrigSource)) << band;
        EXPECT_EQ(host.getParameter(kTrigSource), float(band) / 5.0f) << band;
    }

    for (float value : {1.0f, 0.0f}) {
        host.clearCalls();
        click(centreOf(layout::stereoButton));
        ASSERT_TRUE(idleUntilEditEnds(kStereo));
        EXPECT_EQ(host.getParameter(kStereo), value);
        expectOneGesture(kStereo);
    }
}

// A preset button reports on press and on release, and each report loads the
// whole preset: twenty automations, then one display refresh. No edit
// brackets: the host has no parameter named by the button.
TEST_F(EditorOnScreen, APresetButtonLoadsItsPresetOnPressAndOnRelease) {
    constexpr int kPreset = 2;  // "Spread from Center"
    const CPoint button = centreOf(layout::ControlId(layout::presetButton1 + kPreset));
    press(button);
    ASSERT_TRUE(idleUntil([&] { return !host.callsOf(audioMasterUpdateDisplay).empty(); }));
    EXPECT_GT(
        differingIn(settle(), screen, rectOf(layout::ControlId(layout::presetButton1 + kPreset))),
        0);
    release();
    ASSERT_TRUE(idleUntil([&] { return host.callsOf(audioMasterUpdateDisplay).size() == 2; }));

    const std::vector<HostCall> calls = host.calls();
    ASSERT_EQ(calls.size(), 2u * (kNumParameters + 1));
    for (size_t load = 0; load < 2; ++load) {
        for (int i = 0; i < kNumParameters; ++i) {
            const HostCall& c = calls[load * (kNumParameters + 1) + size_t(i)];
            EXPECT_EQ(c.opcode, audioMasterAutomate);
            EXPECT_EQ(c.index, i);
            EXPECT_EQ(c.opt, presetTable[kPreset][i]);
        }
        EXPECT_EQ(calls[load * (kNumParameters + 1) + kNumParameters].opcode,
                  audioMasterUpdateDisplay);
    }
    for (int i = 0; i < kNumParameters; ++i) {
        EXPECT_EQ(host.getParameter(i), presetTable[kPreset][i]) << i;
    }
    // The pressed frame is gone again.
    EXPECT_EQ(
        differingIn(settle(), screen, rectOf(layout::ControlId(layout::presetButton1 + kPreset))),
        0);
}

// Host writes reach the screen at the next idles, partners forced by the
// write included: an LFO Freq write takes LFO Freq Source back to Manual.
TEST_F(EditorOnScreen, HostWritesMoveTheControlsOnScreen) {
    host.setParameter(kDryWet, 0.0f);
    EXPECT_TRUE(idleUntilChangedIn(layout::dryWetSlider));

    screen = settle();
    host.setParameter(kLfoFreqSource, 1.0f);
    EXPECT_TRUE(idleUntilChangedIn(layout::lfoFreqSourceSwitch));
    host.setParameter(kLfoFreq, 0.3f);
    EXPECT_TRUE(idleUntilChangedIn(layout::lfoFreqSourceSwitch, false));  // Manual again
    EXPECT_EQ(host.getParameter(kLfoFreqSource), 0.0f);
    EXPECT_GT(differingIn(settle(), screen, rectOf(layout::lfoFreqSlider)), 0);
    for (VstInt32 opcode : {audioMasterBeginEdit, audioMasterEndEdit, audioMasterUpdateDisplay}) {
        EXPECT_TRUE(host.callsOf(opcode).empty()) << opcode;
    }
}

// What the audio thread reports shows: the tempo the open asked the host
// for, the detector's meters and the pan positions played; silence clears the
// curve and drops the meters.
TEST_F(EditorOnScreen, TheAudioThreadsReportsReachTheScreen) {
    // Within the first burst of noise: its 4,000 samples make 9 points.
    std::vector<float> bursts = burstSignal(1 << 16, 3);
    for (int b = 0; b < 8; ++b) processBlock(bursts, true);
    EXPECT_TRUE(idleUntilChangedIn(layout::tempoDisplay));  // "120.0"
    const Pixels playing = settle();
    EXPECT_GT(differingIn(playing, screen, rectOf(layout::curveView)), 0);
    EXPECT_GT(differingIn(playing, screen, rectOf(layout::triggerLevelMeter)), 0);

    // Silence, and the time withheld after a write that asks for it again.
    host.setParameter(kTrigSource, 0.0f);
    std::vector<float> silence(1 << 14, 0.0f);
    for (int b = 0; b < 40; ++b) processBlock(silence, false);
    const Pixels quiet = settle();
    EXPECT_EQ(differingIn(quiet, screen, rectOf(layout::tempoDisplay)), 0);  // "N/A" again
    EXPECT_EQ(differingIn(quiet, screen, rectOf(layout::curveView)), 0);
    EXPECT_EQ(differingIn(quiet, screen, rectOf(layout::triggerLevelMeter)), 0);
    EXPECT_EQ(differingIn(quiet, screen, rectOf(layout::selectivityMeter)), 0);
}

// After a session of input and host writes, the window shows what a window
// opened afresh on the same effect shows: nothing drawn piecemeal went astray,
// neighbours that overlap by a few pixels (Start over Hold and Decay) included.
TEST_F(EditorOnScreen, AfterASessionTheWindowMatchesAFreshlyOpenedOne) {
    click(centreOf(layout::startEqualsEndButton));
    ASSERT_TRUE(idleUntilEditEnds(kStartEqualsEnd));
    const CRect hold = rectOf(layout::holdSlider);
    press({hold.left + 10, 120});
    dragTo({hold.left + 10, 60});  // pushes Decay out
    release();
    ASSERT_TRUE(idleUntilEditEnds(kHold));

    // The host's writes come before the idle that takes the click: the
    // preset is loaded over them, in the same idle as their refreshes.
    click(centreOf(layout::ControlId(layout::presetButton1 + 6)));
    host.setParameter(kAttack, 0.9f);
    host.dispatch(effSetProgram, 0, 3);
    ASSERT_TRUE(idleUntil([&] { return host.callsOf(audioMasterUpdateDisplay).size() == 2; }));
    EXPECT_EQ(host.getParameter(kHold), presetTable[6][kHold]);

    desktop->movePointer(editor, centreOf(layout::centerVolSlider).x,
                         centreOf(layout::centerVolSlider).y);
    desktop->wheel(false);
    ASSERT_TRUE(idleUntilEditEnds(kCenterVol));
    host.setParameter(kLfoSync, 0.5f);
    click(centreOf(layout::lfoSyncFlipButton));
    ASSERT_TRUE(idleUntilEditEnds(kLfoSyncFlip));
    const Pixels session = settle();

    host.dispatch(effEditClose);
    openEditor();
    EXPECT_EQ(differingIn(session, screen, {0, 0, kWidth, kHeight}), 0);
}

}  // namespace
}  // namespace tavolu::testing
