#include "tools/lv2host/lv2_host.h"

#include <lilv/lilv.h>
#include <lv2/atom/forge.h>
#include <lv2/atom/util.h>
#include <lv2/midi/midi.h>
#include <lv2/presets/presets.h>
#include <lv2/urid/urid.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "lv2/identity.h"
#include "tools/lv2host/urid_map.h"

namespace tavolu::lv2host {

namespace {

constexpr std::size_t kSequenceWords = 8192;  // 64 KiB per atom port
constexpr uint8_t kNoteOn = 0x90;             // channel 1
constexpr uint8_t kNoteOnKey = 60;
constexpr uint8_t kNoteOnVelocity = 100;

std::string trimmed(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

}  // namespace

struct Lv2Host::World {
    LilvWorld* lilv = lilv_world_new();
    const LilvPlugin* plugin = nullptr;
    LilvInstance* instance = nullptr;
    UridMap urids;
    LV2_Feature mapFeature{LV2_URID__map, urids.feature()};
    const LV2_Feature* features[2] = {&mapFeature, nullptr};
    lv2::Urids u{};
    LV2_Atom_Forge forge{};
    std::vector<uint64_t> control = std::vector<uint64_t>(kSequenceWords);
    std::vector<uint64_t> notify = std::vector<uint64_t>(kSequenceWords);
    bool active = false;

    ~World() {
        if (instance) {
            if (active) lilv_instance_deactivate(instance);
            lilv_instance_free(instance);
        }
        lilv_world_free(lilv);
    }
    LilvNode* uri(const char* text) { return lilv_new_uri(lilv, text); }
};

Lv2Host::Lv2Host() : world(std::make_unique<World>()) {}
Lv2Host::~Lv2Host() = default;

bool Lv2Host::load(const std::string& bundle, double sampleRate, std::string& error) {
    std::string path = bundle;
    if (path.empty() || path.back() != '/') path += '/';
    if (!std::filesystem::is_regular_file(path + "manifest.ttl")) {
        error = "no LV2 bundle at " + bundle + " (no manifest.ttl there)";
        return false;
    }
    LilvNode* bundleUri = lilv_new_file_uri(world->lilv, nullptr, path.c_str());
    lilv_world_load_bundle(world->lilv, bundleUri);
    lilv_node_free(bundleUri);
    LilvNode* pluginUri = world->uri(lv2::kPluginUri);
    world->plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world->lilv), pluginUri);
    lilv_node_free(pluginUri);
    if (!world->plugin) {
        error = "no plug-in " + std::string(lv2::kPluginUri) + " in " + bundle;
        return false;
    }
    world->u.map(*world->urids.feature());
    lv2_atom_forge_init(&world->forge, world->urids.feature());
    world->instance = lilv_plugin_instantiate(world->plugin, sampleRate, world->features);
    if (!world->instance) {
        error = "the plug-in refused to run at " + std::to_string(sampleRate) + " Hz";
        return false;
    }
    const uint32_t ports = lilv_plugin_get_num_ports(world->plugin);
    controls.assign(ports, 0.0f);
    std::vector<float> defaults(ports, NAN);
    lilv_plugin_get_port_ranges_float(world->plugin, nullptr, nullptr, defaults.data());
    for (uint32_t p = 0; p < ports && p < static_cast<uint32_t>(kNumParameters); ++p) {
        controls[p] = defaults[p];
        lilv_instance_connect_port(world->instance, p, &controls[p]);
    }
    lilv_instance_connect_port(world->instance, lv2::kControl, world->control.data());
    lilv_instance_connect_port(world->instance, lv2::kNotify, world->notify.data());
    return true;
}

int Lv2Host::controlIndex(const std::string& symbolOrName) const {
    for (int p = 0; p < kNumParameters; ++p) {
        const LilvPort* port =
            lilv_plugin_get_port_by_index(world->plugin, static_cast<uint32_t>(p));
        LilvNode* name = lilv_port_get_name(world->plugin, port);
        const bool named = trimmed(lilv_node_as_string(name)) == trimmed(symbolOrName);
        lilv_node_free(name);
        const char* symbol = lilv_node_as_string(lilv_port_get_symbol(world->plugin, port));
        if (named || symbolOrName == symbol) return p;
    }
    return -1;
}

bool Lv2Host::scalePoint(int port, const std::string& label, float& value) const {
    if (port < 0 || port >= kNumParameters) return false;
    const LilvPort* p = lilv_plugin_get_port_by_index(world->plugin, static_cast<uint32_t>(port));
    LilvScalePoints* points = lilv_port_get_scale_points(world->plugin, p);
    bool found = false;
    LILV_FOREACH(scale_points, i, points) {
        const LilvScalePoint* point = lilv_scale_points_get(points, i);
        if (label == lilv_node_as_string(lilv_scale_point_get_label(point))) {
            value = lilv_node_as_float(lilv_scale_point_get_value(point));
            found = true;
        }
    }
    lilv_scale_points_free(points);
    return found;
}

void Lv2Host::setControl(int port, float value) {
    if (port >= 0 && port < kNumParameters) controls[port] = value;
}

float Lv2Host::control(int port) const {
    return port >= 0 && port < kNumParameters ? controls[port] : 0.0f;
}

bool Lv2Host::applyPreset(const std::string& label, std::string& error) {
    LilvNode* presetClass = world->uri(LV2_PRESETS__Preset);
    LilvNode* labelPredicate = world->uri(LILV_NS_RDFS "label");
    LilvNodes* presets = lilv_plugin_get_related(world->plugin, presetClass);
    bool found = false;
    LILV_FOREACH(nodes, i, presets) {
        const LilvNode* preset = lilv_nodes_get(presets, i);
        lilv_world_load_resource(world->lilv, preset);
        LilvNode* name = lilv_world_get(world->lilv, preset, labelPredicate, nullptr);
        const bool match = name && label == lilv_node_as_string(name);
        lilv_node_free(name);
        if (!match) continue;
        LilvState* state = lilv_state_new_from_world(world->lilv, world->urids.feature(), preset);
        if (!state) continue;
        const auto set = [](const char* symbol, void* self, const void* value, uint32_t size,
                            uint32_t) {
            auto* host = static_cast<Lv2Host*>(self);
            const int port = host->controlIndex(symbol);
            if (port >= 0 && size == sizeof(float)) {
                float v;
                std::memcpy(&v, value, sizeof v);
                host->setControl(port, v);
            }
        };
        lilv_state_emit_port_values(state, set, this);
        lilv_state_free(state);
        found = true;
        break;
    }
    lilv_nodes_free(presets);
    lilv_node_free(labelPredicate);
    lilv_node_free(presetClass);
    if (!found) error = "no preset \"" + label + "\"";
    return found;
}

void Lv2Host::setTransport(const host::TransportSettings& t, bool sendPosition) {
    transport = t;
    positionPending = sendPosition;
}

void Lv2Host::activate() {
    lilv_instance_activate(world->instance);
    world->active = true;
}

void Lv2Host::process(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
                      uint32_t frames, const std::vector<int>& noteOns) {
    lilv_instance_connect_port(world->instance, lv2::kInputLeft, const_cast<float*>(inLeft));
    lilv_instance_connect_port(world->instance, lv2::kInputRight, const_cast<float*>(inRight));
    lilv_instance_connect_port(world->instance, lv2::kOutputLeft, outLeft);
    lilv_instance_connect_port(world->instance, lv2::kOutputRight, outRight);
    writeControlSequence(noteOns);
    auto* notify = reinterpret_cast<LV2_Atom_Sequence*>(world->notify.data());
    notify->atom.type = 0;
    notify->atom.size =
        static_cast<uint32_t>(world->notify.size() * sizeof(uint64_t) - sizeof(LV2_Atom));
    lilv_instance_run(world->instance, frames);
    readNotifySequence();
}

// The song position as a host sends it at a start: bar, beat in the bar, the
// absolute beat, meter, tempo (in beats of the meter's unit) and speed.
void Lv2Host::writeControlSequence(const std::vector<int>& noteOns) {
    LV2_Atom_Forge& f = world->forge;
    const lv2::Urids& u = world->u;
    lv2_atom_forge_set_buffer(&f, reinterpret_cast<uint8_t*>(world->control.data()),
                              world->control.size() * sizeof(uint64_t));
    LV2_Atom_Forge_Frame sequence;
    lv2_atom_forge_sequence_head(&f, &sequence, 0);
    if (positionPending) {
        const double beatsPerQuarter = transport.timeSigDenominator / 4.0;
        const double beats = transport.startPpq * beatsPerQuarter;
        const double bar = std::floor(beats / transport.timeSigNumerator);
        LV2_Atom_Forge_Frame object;
        lv2_atom_forge_frame_time(&f, 0);
        lv2_atom_forge_object(&f, &object, 0, u.timePosition);
        lv2_atom_forge_key(&f, u.timeBar);
        lv2_atom_forge_long(&f, static_cast<int64_t>(bar));
        lv2_atom_forge_key(&f, u.timeBarBeat);
        lv2_atom_forge_float(&f, static_cast<float>(beats - bar * transport.timeSigNumerator));
        lv2_atom_forge_key(&f, u.timeBeat);
        lv2_atom_forge_double(&f, beats);
        lv2_atom_forge_key(&f, u.timeBeatUnit);
        lv2_atom_forge_int(&f, transport.timeSigDenominator);
        lv2_atom_forge_key(&f, u.timeBeatsPerBar);
        lv2_atom_forge_float(&f, static_cast<float>(transport.timeSigNumerator));
        lv2_atom_forge_key(&f, u.timeBeatsPerMinute);
        lv2_atom_forge_float(&f, static_cast<float>(transport.tempo * beatsPerQuarter));
        lv2_atom_forge_key(&f, u.timeSpeed);
        lv2_atom_forge_float(&f, transport.running ? 1.0f : 0.0f);
        lv2_atom_forge_pop(&f, &object);
        positionPending = false;
    }
    if (pendingGet) {
        LV2_Atom_Forge_Frame object;
        lv2_atom_forge_frame_time(&f, 0);
        lv2_atom_forge_object(&f, &object, 0, u.patchGet);
        lv2_atom_forge_pop(&f, &object);
        pendingGet = false;
    }
    for (int at : noteOns) {
        const uint8_t message[3] = {kNoteOn, kNoteOnKey, kNoteOnVelocity};
        lv2_atom_forge_frame_time(&f, at);
        lv2_atom_forge_atom(&f, sizeof message, u.midiEvent);
        lv2_atom_forge_write(&f, message, sizeof message);
    }
    lv2_atom_forge_pop(&f, &sequence);
}

void Lv2Host::readNotifySequence() {
    received.clear();
    const auto* sequence = reinterpret_cast<const LV2_Atom_Sequence*>(world->notify.data());
    if (sequence->atom.type != world->u.atomSequence) return;
    LV2_ATOM_SEQUENCE_FOREACH(sequence, event) {
        const lv2::Message m = lv2::readMessage(world->u, event->body);
        if (m.kind != lv2::MessageKind::none) received.push_back(m);
    }
}

}  // namespace tavolu::lv2host
