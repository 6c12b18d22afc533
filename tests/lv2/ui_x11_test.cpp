// The LV2 UI as a host runs it: the UI binary loaded with dlopen, opened in
// the host's window on a private X server, idled through the idle interface,
// moved with real pointer input, and fed port events.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <lv2/atom/forge.h>
#include <lv2/ui/ui.h>

#include <cstring>
#include <vector>

#include "common/parameter_index.h"
#include "editor/layout_table.h"
#include "engine/engine.h"
#include "lv2/identity.h"
#include "lv2/messages.h"
#include "tests/support/editor_screen.h"
#include "tools/lv2host/urid_map.h"

namespace tavolu::testing {

using lv2host::UridMap;
namespace {

constexpr int kWidth = kEditorWidth;    // px
constexpr int kHeight = kEditorHeight;  // px

struct PortWrite {
    uint32_t port, size, format;
    std::vector<uint8_t> bytes;
    float value() const {
        float v = 0.0f;
        if (bytes.size() == sizeof v) std::memcpy(&v, bytes.data(), sizeof v);
        return v;
    }
};

struct Touch {
    uint32_t port;
    bool grabbed;
};

class Lv2UiOnScreen : public EditorScreenSuite {
  protected:
    void SetUp() override {
        openDesktop(kWidth, kHeight);
        if (HasFatalFailure()) return;
        ASSERT_TRUE(desktop->hasXTest());
        parentF.data = desktop->handle();
        library = dlopen(TAVOLU_LV2_UI, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << dlerror();
        auto entry = reinterpret_cast<LV2UI_DescriptorFunction>(dlsym(library, "lv2ui_descriptor"));
        ASSERT_NE(entry, nullptr);
        descriptor = entry(0);
        ASSERT_NE(descriptor, nullptr);
        EXPECT_STREQ(descriptor->URI, lv2::kUiUri);
        EXPECT_EQ(entry(1), nullptr);
        urids.map(*map.feature());
        idle = static_cast<const LV2UI_Idle_Interface*>(
            descriptor->extension_data(LV2_UI__idleInterface));
        ASSERT_NE(idle, nullptr);

        LV2UI_Widget widget = nullptr;
        handle = descriptor->instantiate(descriptor, lv2::kPluginUri, TAVOLU_LV2_BUNDLE,
                                         &Lv2UiOnScreen::write, this, &widget, features);
        ASSERT_NE(handle, nullptr);
        editor = static_cast<XWindowId>(reinterpret_cast<uintptr_t>(widget));
        const std::vector<XWindowId> children = desktop->children();
        ASSERT_EQ(children.size(), 1u);
        EXPECT_EQ(children[0], editor);
        screen = settle();
    }
    void TearDown() override {
        if (handle) descriptor->cleanup(handle);
        if (library) dlclose(library);
    }

    static void write(LV2UI_Controller self, uint32_t port, uint32_t size, uint32_t format,
                      const void* buffer) {
        const auto* bytes = static_cast<const uint8_t*>(buffer);
        static_cast<Lv2UiOnScreen*>(self)->writes.push_back(
            {port, size, format, std::vector<uint8_t>(bytes, bytes + size)});
    }
    static void touch(LV2UI_Feature_Handle self, uint32_t port, bool grabbed) {
        static_cast<Lv2UiOnScreen*>(self)->touches.push_back({port, grabbed});
    }
    static int resize(LV2UI_Feature_Handle self, int width, int height) {
        static_cast<Lv2UiOnScreen*>(self)->askedSize = {width, height};
        return 0;
    }

    void idleOnce() override { EXPECT_EQ(idle->idle(handle), 0); }

    void controlEvent(int32_t port, float value) {
        descriptor->port_event(handle, static_cast<uint32_t>(port), sizeof value, 0, &value);
    }
    void notifyEvent(LV2_URID type, int32_t index, float value) {
        std::vector<uint64_t> buffer(16);
        LV2_Atom_Forge forge;
        lv2_atom_forge_init(&forge, map.feature());
        lv2_atom_forge_set_buffer(&forge, reinterpret_cast<uint8_t*>(buffer.data()), 128);
        LV2_Atom_Forge_Frame frame;
        lv2_atom_forge_object(&forge, &frame, 0, type);
        lv2_atom_forge_key(&forge, urids.index);
        lv2_atom_forge_int(&forge, index);
        lv2_atom_forge_key(&forge, urids.value);
        lv2_atom_forge_float(&forge, value);
        lv2_atom_forge_pop(&forge, &frame);
        const auto* atom = reinterpret_cast<const LV2_Atom*>(buffer.data());
        descriptor->port_event(handle, lv2::kNotify, uint32_t(sizeof(LV2_Atom) + atom->size),
                               urids.atomEventTransfer, atom);
    }

    UridMap map;
    lv2::Urids urids{};
    LV2UI_Touch touchFeature{this, &Lv2UiOnScreen::touch};
    LV2UI_Resize resizeFeature{this, &Lv2UiOnScreen::resize};
    LV2_Feature mapF{LV2_URID__map, map.feature()};
    LV2_Feature parentF{LV2_UI__parent, nullptr};  // the host's window, once it exists
    LV2_Feature touchF{LV2_UI__touch, &touchFeature};
    LV2_Feature resizeF{LV2_UI__resize, &resizeFeature};
    LV2_Feature idleF{LV2_UI__idleInterface, nullptr};
    const LV2_Feature* features[6] = {&mapF, &parentF, &touchF, &resizeF, &idleF, nullptr};

    void* library = nullptr;
    const LV2UI_Descriptor* descriptor = nullptr;
    const LV2UI_Idle_Interface* idle = nullptr;
    LV2UI_Handle handle = nullptr;
    std::vector<PortWrite> writes;
    std::vector<Touch> touches;
    std::pair<int, int> askedSize{0, 0};
};

TEST_F(Lv2UiOnScreen, OpensInTheHostsWindowAtTheSkinsSizeAndAsksForEverything) {
    int w = 0, h = 0;
    ASSERT_TRUE(desktop->size(editor, w, h));
    EXPECT_EQ(w, kWidth);
    EXPECT_EQ(h, kHeight);
    EXPECT_EQ(askedSize, std::make_pair(kWidth, kHeight));
    ASSERT_EQ(writes.size(), 1u);  // the patch:Get of the open
    EXPECT_EQ(writes[0].port, lv2::kControl);
    EXPECT_EQ(writes[0].format, urids.atomEventTransfer);
    const auto* atom = reinterpret_cast<const LV2_Atom_Object*>(writes[0].bytes.data());
    EXPECT_EQ(atom->body.otype, urids.patchGet);
}

TEST_F(Lv2UiOnScreen, DraggingASliderWritesItsPortBetweenTouches) {
    writes.clear();
    const CRect dryWet = layout::row(layout::dryWetSlider).rect;
    desktop->movePointer(editor, dryWet.left + 10, 251);  // value 0.5
    desktop->leftButton(true);
    desktop->movePointer(editor, dryWet.left + 10, 231);
    desktop->movePointer(editor, dryWet.left + 10, 221);  // value 0.8
    desktop->leftButton(false);
    ASSERT_TRUE(idleUntil([&] { return touches.size() >= 2; }));
    EXPECT_EQ(touches.front().port, uint32_t(kDryWet));
    EXPECT_TRUE(touches.front().grabbed);
    EXPECT_EQ(touches.back().port, uint32_t(kDryWet));
    EXPECT_FALSE(touches.back().grabbed);
    ASSERT_FALSE(writes.empty());
    for (const PortWrite& w : writes) {
        EXPECT_EQ(w.port, uint32_t(kDryWet));
        EXPECT_EQ(w.format, 0u);
    }
    EXPECT_NEAR(writes.back().value(), 0.8f, 1e-6f);
}

TEST_F(Lv2UiOnScreen, PortEventsAndThePluginsMessagesMoveTheControls) {
    controlEvent(kDryWet, 0.0f);
    EXPECT_TRUE(idleUntilChangedIn(layout::dryWetSlider));
    screen = settle();
    notifyEvent(urids.parameter, kLfoFreqSource, 1.0f);  // what a coupling left in use
    EXPECT_TRUE(idleUntilChangedIn(layout::lfoFreqSourceSwitch));
    screen = settle();
    notifyEvent(urids.report, kReportTempo, 133.0f);
    EXPECT_TRUE(idleUntilChangedIn(layout::tempoDisplay));
    for (int k = 0; k < 12; ++k) notifyEvent(urids.report, kReportPanPosition, k % 2 ? 0.1f : 0.9f);
    EXPECT_TRUE(idleUntilChangedIn(layout::curveView));
    notifyEvent(urids.report, kReportDetectorLevel, 0.9f);
    EXPECT_TRUE(idleUntilChangedIn(layout::triggerLevelMeter));
    EXPECT_TRUE(writes.size() == 1u) << "port events are not written back";
}

TEST_F(Lv2UiOnScreen, MalformedEventsAreIgnored) {
    const float value = 0.3f;
    descriptor->port_event(handle, kDryWet, 2, 0, &value);   // short
    descriptor->port_event(handle, kDryWet, 4, 99, &value);  // a protocol it does not speak
    descriptor->port_event(handle, lv2::kPortCount + 5, 4, 0, &value);
    descriptor->port_event(handle, lv2::kNotify, 4, urids.atomEventTransfer, &value);  // no atom
    descriptor->port_event(handle, lv2::kNotify, 0, urids.atomEventTransfer, nullptr);
    notifyEvent(urids.report, kDryWet, 0.0f);     // a report that is not one
    notifyEvent(urids.parameter, 999, 0.0f);      // no such parameter
    notifyEvent(urids.atomFloat, kDryWet, 0.0f);  // not a message
    const Pixels after = settle();
    EXPECT_EQ(differingIn(after, screen, {0, 0, kWidth, kHeight}), 0);
}

}  // namespace
}  // namespace tavolu::testing
