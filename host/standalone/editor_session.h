// A plug-in's editor opened in a top-level window of ours, as a host's window holds it.
#pragma once

#include <memory>
#include <string>

#include "host/host_library.h"
#include "platform/top_level_window.h"

namespace gw::standalone {

class EditorSession {
 public:
  explicit EditorSession(host::Plugin& plugin) : plugin_(plugin) {}
  ~EditorSession() { close(); }
  EditorSession(const EditorSession&) = delete;
  EditorSession& operator=(const EditorSession&) = delete;

  // Sizes a window from the editor's rectangle and opens the editor in it. False with a
  // one-line error when the module has no editor or no display is reachable.
  bool open(const std::string& title, std::string& error);
  // Closes the editor before its parent window goes; safe to call twice.
  void close();

  // Reads the window's events; true once the user closed it.
  bool closeRequested();
  void idle();
  platform::TopLevelWindow& window() { return *window_; }
  host::Plugin& plugin() { return plugin_; }

 private:
  host::Plugin& plugin_;
  std::unique_ptr<platform::TopLevelWindow> window_;
  bool editorOpen_ = false;
};

}  // namespace gw::standalone
