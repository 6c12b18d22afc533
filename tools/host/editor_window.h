// The plug-in's editor, shown the way a Linux host shows it: a window of the
// host's own on a private X server, its id handed over with effEditOpen, and
// effEditIdle called from the thread that renders, as a host's UI thread
// would. At the end the window's pixels are read back for a picture. Works
// for any VST 2.4 plug-in whose editor opens an X11 child window.
#pragma once

#include <optional>
#include <string>

#include "tools/host/canvas.h"
#include "tools/host/plugin_host.h"
#include "tools/host/private_x_server.h"

struct _XDisplay;  // Xlib's Display, kept out of the host's headers

namespace tavolu::host {

constexpr double kEditorIdleInterval = 1.0 / 30.0;  // s of rendered audio between idles
constexpr int kEditorFinalIdles = 4;                // after the render, before the picture
constexpr int kMaxEditorSide = 8192;                // px; beyond any real editor

class EditorWindow {
  public:
    explicit EditorWindow(PluginHost& plugin) : plugin_(plugin) {}
    ~EditorWindow();  // closes the editor, the connection and the server
    EditorWindow(const EditorWindow&) = delete;
    EditorWindow& operator=(const EditorWindow&) = delete;

    // [UI thread] Starts the server, creates a parent window the size of the
    // editor's rectangle and opens the editor in it. The plug-in finds the
    // server through DISPLAY, which points there until close().
    bool open(const std::string& serverProgram, std::string& error);
    bool isOpen() const { return editorOpen_; }

    // [UI thread] Between blocks, with the seconds rendered so far: idles
    // the editor once another interval of audio has gone through.
    void idleAt(double seconds);

    // [UI thread] A few last idles, then the window's pixels.
    std::optional<Canvas> capture(std::string& error);

    // [UI thread] effEditClose, then the window, the connection, the server.
    void close();

    // How often the editor was idled so far.
    int idles() const { return idles_; }

  private:
    void idle();
    void restoreDisplayVariable();

    PluginHost& plugin_;
    PrivateXServer server_;
    _XDisplay* display_ = nullptr;
    unsigned long parent_ = 0;  // the X window the editor opens in
    int width_ = 0;             // px
    int height_ = 0;            // px
    bool editorOpen_ = false;
    double nextIdle_ = 0.0;  // s of rendered audio
    int idles_ = 0;
    std::optional<std::string> savedDisplay_;  // DISPLAY before open, if it was set
    bool displaySet_ = false;
};

}  // namespace tavolu::host
