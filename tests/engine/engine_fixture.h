// Test doubles and set-up shared by the engine tests. Engines live in an
// EngineRig (a real effect): parameters are written with rig.set, programs
// selected with the rig's constructor or rig.selectProgram.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/engine.h"
#include "tests/support/engine_rig.h"
#include "tests/support/signals.h"

namespace tavolu::testing {

// An EngineHost that answers with a settable transport and records reports.
class FakeHost final : public EngineHost {
  public:
    struct Report {
        int32_t index;
        float value;
    };

    bool valid = true;
    HostTime time{0.0, 120.0, 0.0, 4};
    int timeRequests = 0;
    std::vector<Report> reports;
    bool recordReports = true;

    bool readHostTime(HostTime& out) override {
        ++timeRequests;
        if (valid) out = time;
        return valid;
    }
    void report(int32_t index, float value) override {
        if (recordReports) reports.push_back({index, value});
    }

    int count(int32_t index) const {
        int n = 0;
        for (const Report& r : reports) n += r.index == index;
        return n;
    }
};

// Runs the engine over a buffer in blocks of `block` frames (in place).
inline void run(Engine& e, std::vector<float>& left, std::vector<float>& right, int block) {
    const int32_t n = static_cast<int32_t>(left.size());
    for (int32_t at = 0; at < n; at += block) {
        const int32_t len = at + block <= n ? block : n - at;
        e.processReplacing(left.data() + at, right.data() + at, left.data() + at, right.data() + at,
                           len);
    }
}

}  // namespace tavolu::testing
