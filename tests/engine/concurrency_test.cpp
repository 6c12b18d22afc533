// Parameter writes from one thread while another processes audio. Run it in
// a ThreadSanitizer build (-DTAVOLU_TSAN=ON) to check that every field the
// two threads share is accessed as a whole, race-free.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <random>
#include <thread>
#include <vector>

#include "tests/engine/engine_fixture.h"

namespace tavolu::testing {
namespace {

TEST(Concurrency, ParameterWritesWhileProcessing) {
    FakeHost host;
    host.recordReports = false;
    EngineRig rig(&host);
    Engine& e = rig.engine();
    std::atomic<bool> done{false};

    std::thread writer([&] {
        std::mt19937 rng(5);
        std::uniform_real_distribution<float> value(0.0f, 1.0f);
        int writes = 0;
        while (!done.load() || writes < 2000) {
            rig.set(static_cast<int>(rng() % kNumParameters), value(rng));
            if (++writes % 50 == 0) e.requestTimeInfo();  // as the editor does on opening
            if (writes > 200000) break;
        }
    });

    std::vector<float> l = burstSignal(256 * 600, 1), r = burstSignal(256 * 600, 2);
    for (size_t at = 0; at < l.size(); at += 256) {
        if (at % 2048 == 0) e.midiMessage(0x90, 64, 127);
        e.processReplacing(l.data() + at, r.data() + at, l.data() + at, r.data() + at, 256);
    }
    done = true;
    writer.join();

    for (float s : l) ASSERT_TRUE(std::isfinite(s));
    EXPECT_GE(e.rawPan, 0.0f);
    EXPECT_LE(e.rawPan, 1.0f);
}

}  // namespace
}  // namespace tavolu::testing
