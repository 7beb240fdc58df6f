// The synthesiser's editor: builds the render window, its tree and effects when the
// host opens the editor, and runs the buttons' commands, for any format's editor session
// (the VST editor, the LV2 UI).
#pragma once

#include <cstdint>

#include "editor/editor_session.h"

namespace TW {
class Button;
}

namespace gw {

// The view's button commands: waveforms written through the session's port, the About
// dialog opened from the next idle.
class SynthViewCommands {
 public:
  explicit SynthViewCommands(ParameterPort& port) : port_(port) {}
  // Thread: UI, from a button's release; self is this object.
  static void command(TW::Button& button, void* self);
  // Thread: UI, after the session's idle. parent: the host's window, owner of the dialog.
  void idle(const EditorSession& session, std::uintptr_t parent);

 private:
  ParameterPort& port_;
  // The dialog waits until the press that asked for it has ended and the pointer is no
  // longer held by the editor's window, so the dialog can take the clicks.
  bool prefsRequested_ = false;
};

// Builds the synthesiser's window, tree and effects into a session, the buttons running
// commands. Thread: UI, from the session's open.
void buildSynthView(EditorSession& session, SynthViewCommands& commands, int x, int y);

}  // namespace gw
