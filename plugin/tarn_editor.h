// The VST editor: the SDK's AEffEditor over an editor session. It gives the host the
// rectangle it sizes its window by, forwards open/idle/close to the session, and hears
// of the plug-in's parameter and program changes through the session's editor link.
#pragma once

#include "editor/editor_session.h"
#include "plugin/plugin_port.h"
#include "plugin/vst/aeff_editor.h"

class TarnAuBase;

class TarnEditor : public AEffEditor, public gw::EditorSession {
 public:
  // Thread: UI. Becomes the plug-in's editor (so the host sees the has-editor flag) and
  // hears of its parameter and program changes. Reads "GUI scale" once for the rectangle.
  explicit TarnEditor(TarnAuBase* effect);
  // Thread: UI. Runs while the plug-in is destroyed: touches only the render window.
  ~TarnEditor() override;

  // Thread: UI.
  bool getRect(vst::ERect** rect) override;
  // Thread: UI. ptr: the host's window. Builds the view; answers false as the design does.
  bool open(void* ptr) override;
  // Thread: UI. Stops the render thread (at most 5000 ms) and destroys the child window.
  void close() override;
  bool isOpen() override { return systemWindow_ != nullptr; }
  // Thread: UI. Pointer events, then queued parameter changes reach the controls.
  void idle() override;

 private:
  gw::PluginPort pluginPort_;
  vst::ERect rect_{};
};
