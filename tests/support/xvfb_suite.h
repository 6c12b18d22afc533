// A test suite on one private X server: Xvfb for the whole suite, DISPLAY
// naming it (the plug-in opens its own connection there), and a host window
// per test, made by the fixture's SetUp.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "tests/support/x11_server.h"

namespace tavolu::testing {

class XvfbSuite : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        server = new XvfbServer;
        if (server->running()) setenv("DISPLAY", server->name().c_str(), 1);
    }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }

    // The host's window, mapped; fails the test when there is no server.
    void openDesktop(int width, int height) {
        ASSERT_TRUE(server->running()) << server->problem();
        desktop = std::make_unique<HostWindow>(server->name(), width, height);
        ASSERT_TRUE(desktop->connected());
    }

    static inline XvfbServer* server = nullptr;
    std::unique_ptr<HostWindow> desktop;
};

}  // namespace tavolu::testing
