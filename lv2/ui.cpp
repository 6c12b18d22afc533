// The LV2 UI's work: the editor on one side, ports on the other.
#include "lv2/ui.h"

#include <lv2/atom/forge.h>
#include <lv2/urid/urid.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>

#include "editor/tavolu_edit.h"
#include "lv2/identity.h"
#include "shell/programs.h"
#include "toolkit/frame.h"

namespace tavolu::lv2 {

namespace {

constexpr uint32_t kFloatProtocol = 0;  // a write of one float to a control port
constexpr uint32_t kRequestBytes = 64;  // room for the patch:Get object

const void* findFeature(const LV2_Feature* const* features, const char* uri) {
    for (auto f = features; f && *f; ++f) {
        if (std::strcmp((*f)->URI, uri) == 0) return (*f)->data;
    }
    return nullptr;
}

}  // namespace

// [UI thread]
Ui* Ui::create(LV2UI_Write_Function write, LV2UI_Controller controller,
               const LV2_Feature* const* features, LV2UI_Widget* widget) {
    auto* map = static_cast<LV2_URID_Map*>(const_cast<void*>(findFeature(features, LV2_URID__map)));
    void* parent = const_cast<void*>(findFeature(features, LV2_UI__parent));
    Urids urids{};
    if (!write || !map || !parent || !urids.map(*map)) return nullptr;
    const auto* touch = static_cast<const LV2UI_Touch*>(findFeature(features, LV2_UI__touch));
    Ui* ui = new (std::nothrow) Ui(write, controller, urids, map, touch);
    if (!ui || !ui->edit) {
        delete ui;
        return nullptr;
    }
    ui->edit->open(parent);
    CFrame* frame = ui->edit->getFrame();
    const uint64_t window = frame ? frame->getWindow().nativeHandle() : 0;
    if (widget) *widget = reinterpret_cast<LV2UI_Widget>(static_cast<uintptr_t>(window));
    if (const auto* resize =
            static_cast<const LV2UI_Resize*>(findFeature(features, LV2_UI__resize))) {
        vst2::ERect* rect = nullptr;
        if (ui->edit->getRect(&rect) && rect)
            resize->ui_resize(resize->handle, rect->right - rect->left, rect->bottom - rect->top);
    }
    return ui;
}

// [UI thread] Values start as the plug-in's do, on its initial program; the
// host's first port events bring what it really holds.
Ui::Ui(LV2UI_Write_Function write, LV2UI_Controller controller, const Urids& urids,
       LV2_URID_Map* map, const LV2UI_Touch* touch)
    : write(write), controller(controller), urids(urids), map(map), touchFeature(touch) {
    for (int32_t i = 0; i < kNumParameters; ++i) values[i] = presetTable[kNumPresets][i];
    edit = new (std::nothrow) TavoluEdit(this);
}

// [UI thread]
Ui::~Ui() {
    if (edit) edit->close();
    delete edit;
}

// [UI thread] A control value comes as one float; the plug-in's messages as
// atoms. Anything else, or anything short, is passed over.
void Ui::portEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer) {
    if (!buffer) return;
    if (port < static_cast<uint32_t>(kNumParameters)) {
        if (format != kFloatProtocol || size != sizeof(float)) return;
        const int32_t index = static_cast<int32_t>(port);
        std::memcpy(&values[index], buffer, sizeof(float));
        if (attached) attached->setParameter(index, values[index]);
        return;
    }
    if (port != kNotify || format != urids.atomEventTransfer || size < sizeof(LV2_Atom)) return;
    const auto* atom = static_cast<const LV2_Atom*>(buffer);
    if (atom->size > size - sizeof(LV2_Atom)) return;
    const Message m = readMessage(urids, *atom);
    if (m.kind == MessageKind::report && isDisplayReport(m.index)) {
        if (attached) attached->setParameter(m.index, m.value);
    } else if (m.kind == MessageKind::parameter && isParameterIndex(m.index)) {
        values[m.index] = m.value;
        if (attached) attached->setParameter(m.index, m.value);
    }
}

// [UI thread]
int Ui::idle() {
    if (edit) edit->idle();
    return 0;
}

// [UI thread]
float Ui::getParameter(int32_t index) {
    return isParameterIndex(index) ? values[index] : 0.0f;
}

// [UI thread] As in the VST, a value that is not a number goes nowhere.
void Ui::setParameterAutomated(int32_t index, float value) {
    if (!isParameterIndex(index) || !std::isfinite(value)) return;
    values[index] = value;
    write(controller, static_cast<uint32_t>(index), sizeof(float), kFloatProtocol, &value);
    if (attached) attached->setParameter(index, value);
}

// [UI thread]
void Ui::beginEdit(int32_t index) {
    touch(index, true);
}

// [UI thread]
void Ui::endEdit(int32_t index) {
    touch(index, false);
}

// [UI thread]
void Ui::touch(int32_t index, bool grabbed) {
    if (touchFeature && touchFeature->touch && isParameterIndex(index))
        touchFeature->touch(touchFeature->handle, static_cast<uint32_t>(index), grabbed);
}

// [UI thread] The plug-in answers a patch:Get with every value in use, and
// reports the tempo at its next block.
void Ui::requestTimeInfo() {
    alignas(LV2_Atom) uint8_t buffer[kRequestBytes];
    LV2_Atom_Forge forge;
    lv2_atom_forge_init(&forge, map);
    lv2_atom_forge_set_buffer(&forge, buffer, sizeof buffer);
    LV2_Atom_Forge_Frame frame;
    const LV2_Atom_Forge_Ref ref = lv2_atom_forge_object(&forge, &frame, 0, urids.patchGet);
    lv2_atom_forge_pop(&forge, &frame);
    if (!ref) return;
    const auto* atom = reinterpret_cast<const LV2_Atom*>(buffer);
    write(controller, kControl, static_cast<uint32_t>(sizeof(LV2_Atom) + atom->size),
          urids.atomEventTransfer, atom);
}

}  // namespace tavolu::lv2
