// A loaded effect for each test, with the calls made while loading cleared.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_host.h"

namespace tavolu::testing {

class LoadedPlugin : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(host.load(), nullptr);
        host.clearCalls();
    }

    // (index, value) of every audioMasterAutomate call, in order.
    std::vector<std::pair<int, float>> automations() const {
        std::vector<std::pair<int, float>> seen;
        for (const HostCall& c : host.callsOf(vst2::audioMasterAutomate)) {
            seen.emplace_back(c.index, c.opt);
        }
        return seen;
    }

    TestHost host;
};

using Automations = std::vector<std::pair<int, float>>;

}  // namespace tavolu::testing
