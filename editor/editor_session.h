// An open editor whatever the plug-in format: the render window in the host's window,
// its idle, and the path by which parameter and program changes reach the controls, all
// through the toolkit's parameter port. Each format has a thin adapter that owns one (the
// VST editor, the LV2 UI); the view says what the window holds.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

#include "editor/editor_link.h"
#include "editor/render_window.h"
#include "toolkit/pending_changes.h"

namespace gw {

class TextFont;

class EditorSession : public EditorLink {
 public:
  // Thread: UI. port must outlive the open window (close() before it goes); it is not
  // used here. Reads "GUI scale" once for the size.
  explicit EditorSession(ParameterPort& port);
  // Thread: UI. Closes the window.
  virtual ~EditorSession();
  EditorSession(const EditorSession&) = delete;
  EditorSession& operator=(const EditorSession&) = delete;

  // Thread: UI. Builds the view in the host's native window (an X11 Window id here); a
  // second open replaces the first window. False for no parent.
  bool open(std::uintptr_t parent);
  // Thread: UI. Stops the render thread (at most 5000 ms) and destroys the child window.
  void close();
  bool isOpen() const { return parent_ != 0; }
  // The host's window the editor is open in; 0 when closed.
  std::uintptr_t parent() const { return parent_; }
  // Thread: UI. Pointer events, then queued parameter changes reach the controls.
  void idle();

  // Thread: any, the host's audio thread included: never blocks or allocates.
  void parameterChanged(int index, float value) override;
  // Thread: the one that changed the program. On the UI thread every control shows the
  // program at once; from any other thread at the next idle.
  void programChanged() override;
  // Thread: UI. False, with grab untouched, when no editor is open.
  bool grabFrame(FrameGrab& grab) override;

  // Thread: UI. Creates the render window and its tree with its top-left corner at
  // (x, y) in the host window, starts the render thread and primes the controls.
  virtual void buildView(int x, int y) = 0;
  // Thread: UI. A render window of the design size at (x, y), scaled to the editor's
  // pixel size, drawing its text with font (none when null).
  RenderWindow& createWindow(int x, int y, std::unique_ptr<TextFont> font = nullptr);

  RenderWindow* window() const { return window_.get(); }
  int scalePercent() const { return scalePercent_; }
  // The editor's size in the host's pixels.
  int pixelWidth() const;
  int pixelHeight() const;

 protected:
  ParameterPort& port_;

 private:
  PendingChanges pending_;
  int scalePercent_ = 100;
  std::uintptr_t parent_ = 0;
  std::unique_ptr<RenderWindow> window_;
  std::atomic<std::thread::id> uiThread_{};
};

}  // namespace gw
