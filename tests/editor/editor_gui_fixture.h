// An editor opened in a real window under the test's X server, with the synthesiser
// created in this process through its entry path and a host callback that records.
#pragma once

#include <X11/Xlib.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/top_level_window.h"
#include "plugin/tarn_additive_synth.h"
#include "plugin/tarn_editor.h"
#include "plugin/vst/aeffect.h"

namespace gw::test {

struct HostCall {
  std::int32_t opcode;
  std::int32_t index;
  float opt;
};

// What the plug-in asked of its host, in order. Thread: any.
class HostRecorder {
 public:
  static HostRecorder& instance();
  static vst::IntPtr VSTCALLBACK callback(vst::AEffect*, std::int32_t opcode, std::int32_t index,
                                          vst::IntPtr, void*, float opt);
  std::vector<HostCall> calls();
  void clear();

 private:
  std::mutex mutex_;
  std::vector<HostCall> calls_;
};

// A test tree: elements the test adds in build(), then the render thread and priming.
class TestEditor : public TarnEditor {
 public:
  using Build = void (*)(RenderWindow&, TestEditor&);
  TestEditor(TarnAuBase* effect, Build build) : TarnEditor(effect), build_(build) {}
  void buildView(int x, int y) override;
  std::vector<TW::UIElement*> elements;
  // Set before opening: the window draws text with the system's face.
  bool withText = false;

 private:
  Build build_;
};

class EditorGuiTest : public ::testing::Test {
 protected:
  // Creates the synthesiser; with build set, its editor is replaced by a TestEditor.
  void create(TestEditor::Build build = nullptr);
  void openEditor();
  void closeEditor();
  void TearDown() override;
  // Idles the editor as a host would, about every 15 ms, for ms milliseconds.
  void pump(int ms);
  // The top-level window's origin on the root window.
  void windowOrigin(int& x, int& y);
  // XTest: the pointer to window pixel (x, y), the first button, a key; each then idles.
  void moveTo(int x, int y);
  void button(bool down);
  void key(unsigned long keysym, bool down);
  // Idles until the open editor has drawn count more frames (at most 30 s): the first
  // frames come later on a loaded machine or under a sanitizer.
  void waitForFrames(int count);
  // What the editor's window shows now.
  platform::TopLevelWindow::Image capture();
  vst::IntPtr dispatch(std::int32_t opcode, std::int32_t index = 0, vst::IntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f);

  TarnAdditiveSynth* synth() const;
  TarnEditor* editor() const;

  vst::AEffect* effect_ = nullptr;
  std::unique_ptr<platform::TopLevelWindow> top_;
  Display* display_ = nullptr;
};

}  // namespace gw::test
