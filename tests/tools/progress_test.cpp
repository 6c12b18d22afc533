// The progress bar shows on a terminal only, and only for long renders.
#include "tools/host/progress.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <string>

using tavolu::host::Progress;

namespace {

// Everything written so far to the terminal whose other end is fd.
std::string drain(int fd) {
    std::string text;
    char buf[4096];
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    for (ssize_t n; (n = read(fd, buf, sizeof buf)) > 0;) text.append(buf, static_cast<size_t>(n));
    return text;
}

std::size_t occurrences(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

}  // namespace

TEST(Progress, DrawsOnATerminalOncePerPercentAndEndsTheLine) {
    int master = -1, slave = -1;
    ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    std::FILE* terminal = fdopen(slave, "w");
    {
        Progress bar(terminal, true);
        bar.update(0.5);
        bar.update(0.501);  // still 50 %: no redraw
        bar.update(1.0);
    }
    std::fflush(terminal);
    const std::string shown = drain(master);
    EXPECT_EQ(occurrences(shown, " 50%"), 1u) << shown;
    EXPECT_NE(shown.find("[" + std::string(40, '#') + "] 100%"), std::string::npos) << shown;
    EXPECT_NE(shown.find('\n'), std::string::npos);  // the shell prompt starts on a new line
    std::fclose(terminal);
    close(master);
}

TEST(Progress, SilentWhenShortOrNotATerminal) {
    int master = -1, slave = -1;
    ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    std::FILE* terminal = fdopen(slave, "w");
    { Progress(terminal, false).update(0.5); }  // a short render
    std::fflush(terminal);
    EXPECT_EQ(drain(master), "");
    std::fclose(terminal);
    close(master);

    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    std::FILE* piped = fdopen(pipeEnds[1], "w");
    { Progress(piped, true).update(0.5); }
    std::fclose(piped);
    EXPECT_EQ(drain(pipeEnds[0]), "");
    close(pipeEnds[0]);
}
