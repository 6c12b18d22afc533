// An X server of the host's own for showing a plug-in's editor off the
// user's desktop: Xvfb on a display number it picks itself, reachable only
// through its local socket, with a screen just the size asked for. No DISPLAY
// is needed, and the server never outlives the object (nor, if the host
// crashes, the host).
#pragma once

#include <sys/types.h>

#include <string>

namespace tavolu::host {

inline constexpr const char* kXServerProgram = "Xvfb";
inline constexpr const char* kXServerPackage = "xvfb";  // the Debian package that has it

// [UI thread] The full path of an executable program found on PATH, or ""
// when there is none.
std::string findOnPath(const std::string& program);

class PrivateXServer {
  public:
    PrivateXServer() = default;
    ~PrivateXServer();  // stops the server
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;

    // [UI thread] Starts the server program (a path) with one screen of width
    // x height pixels and waits until it takes connections. On failure
    // returns false with a one-line reason and leaves no process behind.
    bool start(const std::string& program, int width, int height, std::string& error);
    // [UI thread] Terminates the server and waits for it to end.
    void stop();

    // ":N" while running, otherwise empty.
    const std::string& displayName() const { return display_; }
    // The server's process while running, otherwise -1.
    pid_t pid() const { return pid_; }

  private:
    pid_t pid_ = -1;
    std::string display_;
};

}  // namespace tavolu::host
