// The audio path allocates nothing and calls the host only for time
// information at the block starts that need it. This executable links the
// counting allocator to see every allocation made while blocks are processed.
#include <gtest/gtest.h>

#include <vector>

#include "tests/engine/engine_fixture.h"
#include "tests/support/counting_allocator.h"

namespace tavolu::testing {
namespace {

// Counts what the engine asks of the host, and allocates nothing itself.
class CountingHost final : public EngineHost {
  public:
    long timeRequests = 0;
    long reports[64] = {};
    bool valid = true;
    HostTime time{3.25, 140.0, 0.0, 4};
    bool readHostTime(HostTime& out) override {
        ++timeRequests;
        out = time;
        return valid;
    }
    void report(int32_t index, float) override {
        if (index >= 0 && index < 64) ++reports[index];
    }
};

TEST(RealTime, ProcessingAllocatesNothingAndAsksTheHostOnlyAtBlockStarts) {
    for (int source = 0; source < 6; ++source) {
        CountingHost host;
        EngineRig rig(&host, 44100.0f, source == 5 ? 7 : 0);
        Engine& e = rig.engine();
        rig.set(kTrigSource, 0.2f * static_cast<float>(source));
        rig.set(kLfoFreqSource, 0.5f);
        host.valid = source != 3;
        std::vector<float> inL = burstSignal(512 * 400, 9), inR = burstSignal(512 * 400, 10);
        std::vector<float> outL(inL.size()), outR(inR.size());

        long expectedRequests = 0;
        startCountingAllocations();
        for (size_t at = 0; at < inL.size(); at += 512) {
            host.time.ppqPos = 3.25 + static_cast<double>(at) * 140.0 / 60.0 / 44100.0;
            expectedRequests += e.timeInfoCurrent ? 0 : 1;
            if (at % 4096 == 0) e.midiMessage(0x90, 60, 100);
            e.processReplacing(inL.data() + at, inR.data() + at, outL.data() + at, outR.data() + at,
                               512);
        }
        EXPECT_EQ(stopCountingAllocations(), 0) << "trigger source " << source;
        EXPECT_EQ(host.timeRequests, expectedRequests) << "trigger source " << source;
        EXPECT_GT(host.timeRequests, 1);
        // Far fewer than one request per block: only after lines and resets.
        EXPECT_LT(host.timeRequests, 400);
        EXPECT_GT(host.reports[kReportPanPosition], 0);
    }
}

TEST(RealTime, TheCounterSeesAnAllocation) {
    startCountingAllocations();
    auto* p = new std::vector<int>(100);
    delete p;
    EXPECT_GE(stopCountingAllocations(), 2);
}

}  // namespace
}  // namespace tavolu::testing
