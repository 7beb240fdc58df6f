// The editor class layer between the SDK's AEffEditor and the synthesiser's view: the
// rectangle the host sizes its window by, open/idle/close of the render window, and the
// path by which parameter changes reach the controls.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

#include "editor/plugin_port.h"
#include "editor/render_window.h"
#include "plugin/editor_link.h"
#include "plugin/vst/aeff_editor.h"
#include "toolkit/pending_changes.h"

class TarnAuBase;

class TarnEditor : public AEffEditor, public gw::EditorLink {
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

  // Thread: any, the host's audio thread included: never blocks or allocates.
  void parameterChanged(int index, float value) override;
  // Thread: the one that changed the program. On the UI thread every control shows the
  // program at once; from any other thread at the next idle.
  void programChanged() override;

  // Thread: UI. Creates the render window and its tree with its top-left corner at
  // (x, y) in the host window, starts the render thread and primes the controls.
  virtual void buildView(int x, int y) = 0;

  RenderWindow* window() const { return window_.get(); }
  int scalePercent() const { return scalePercent_; }

 protected:
  // Thread: UI. A render window of the design size at (x, y), scaled to the rectangle,
  // drawing its text with font (none when null).
  RenderWindow& createWindow(int x, int y, std::unique_ptr<gw::TextFont> font = nullptr);

  gw::PluginPort port_;

 private:
  gw::PendingChanges pending_;
  vst::ERect rect_{};
  int scalePercent_ = 100;
  std::unique_ptr<RenderWindow> window_;
  std::atomic<std::thread::id> uiThread_{};
};
