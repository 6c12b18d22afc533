// A host that scans the plug-in or renders offline never sees it reach for
// the window system: only opening the editor with a window may connect to a
// display. The test listens where Xlib would connect for a display of its own
// and checks that nobody came.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "test_host.h"

// Last: Xlib's macros (None, Bool, Status) would break the headers above.
// clang-format off
#include <X11/Xlib.h>
// clang-format on

namespace tavolu::testing {
namespace {

using namespace vst2;

// A socket at the path of display :n that accepts connections and never
// answers, and DISPLAY pointing at it while the object lives.
class SilentDisplay {
  public:
    SilentDisplay() {
        mkdir("/tmp/.X11-unix", 01777);
        number = 5000 + int(getpid() % 3000);
        path = "/tmp/.X11-unix/X" + std::to_string(number);
        unlink(path.c_str());
        listener = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
        ready = listener >= 0 &&
                bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
                listen(listener, 8) == 0;
        const char* old = std::getenv("DISPLAY");
        if (old) oldDisplay = old;
        setenv("DISPLAY", (":" + std::to_string(number)).c_str(), 1);
    }
    ~SilentDisplay() {
        if (oldDisplay.empty()) {
            unsetenv("DISPLAY");
        } else {
            setenv("DISPLAY", oldDisplay.c_str(), 1);
        }
        if (listener >= 0) close(listener);
        unlink(path.c_str());
    }

    // True when somebody connected since the last look.
    bool someoneConnected() {
        bool any = false;
        for (int fd; (fd = accept(listener, nullptr, nullptr)) >= 0;) {
            close(fd);
            any = true;
        }
        return any;
    }

    bool ready = false;

  private:
    int number = 0;
    std::string path;
    int listener = -1;
    std::string oldDisplay;
};

TEST(NoDisplay, AScanAndAnOfflineRenderNeverConnectToTheWindowSystem) {
    SilentDisplay display;
    ASSERT_TRUE(display.ready);

    // First make sure Xlib itself would be seen: a child process asks for
    // the display and gives up after a second without an answer.
    const pid_t child = fork();
    if (child == 0) {
        alarm(1);
        XOpenDisplay(nullptr);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(display.someoneConnected()) << "the test's display is not where Xlib looks";

    TestHost host;
    AEffect* effect = host.load();
    ASSERT_NE(effect, nullptr);
    // What a scanner reads...
    for (VstInt32 i = 0; i < effect->numParams; ++i) {
        host.parameterName(i);
        host.parameterDisplay(i);
    }
    for (VstInt32 k = 0; k < effect->numPrograms; ++k) host.programNameIndexed(k);
    ERect* rect = nullptr;
    host.dispatch(effEditGetRect, 0, 0, &rect);
    // ...and an offline render, the editor closed.
    host.dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    host.dispatch(effMainsChanged, 0, 1);
    std::vector<float> left(512, 0.25f), right(512, -0.25f);
    float* buffers[2] = {left.data(), right.data()};
    for (int block = 0; block < 200; ++block) host.processReplacing(buffers, buffers, 512);
    host.dispatch(effEditIdle);
    host.close();

    EXPECT_FALSE(display.someoneConnected());
}

}  // namespace
}  // namespace tavolu::testing
