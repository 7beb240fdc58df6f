#include <gtest/gtest.h>

#include "tests/editor/editor_gui_fixture.h"

#include <string>
#include <thread>

#include "plugin/plugin_factory.h"
#include "toolkit/group.h"

namespace gw::test {

HostRecorder& HostRecorder::instance() {
  static HostRecorder recorder;
  return recorder;
}

vst::IntPtr VSTCALLBACK HostRecorder::callback(vst::AEffect*, std::int32_t opcode,
                                               std::int32_t index, vst::IntPtr, void*, float opt) {
  if (opcode == vst::audioMasterVersion) return 2400;
  HostRecorder& self = instance();
  std::lock_guard lock(self.mutex_);
  self.calls_.push_back({opcode, index, opt});
  return 1;
}

std::vector<HostCall> HostRecorder::calls() {
  std::lock_guard lock(mutex_);
  return calls_;
}

void HostRecorder::clear() {
  std::lock_guard lock(mutex_);
  calls_.clear();
}

void TestEditor::buildView(int x, int y) {
  RenderWindow& window = createWindow(x, y);
  build_(window, *this);
  window.startRenderThread();
  window.dispatcher().prime();
}

void EditorGuiTest::create(TestEditor::Build build) {
  effect_ = createEffect(HostRecorder::callback, true);
  ASSERT_NE(effect_, nullptr);
  if (build != nullptr) {
    TarnAdditiveSynth* plugin = synth();
    delete plugin->getEditor();
    new TestEditor(plugin, build);
  }
  HostRecorder::instance().clear();
}

TarnAdditiveSynth* EditorGuiTest::synth() const {
  return static_cast<TarnAdditiveSynth*>(static_cast<AudioEffect*>(effect_->object));
}

TarnEditor* EditorGuiTest::editor() const {
  return static_cast<TarnEditor*>(synth()->getEditor());
}

vst::IntPtr EditorGuiTest::dispatch(std::int32_t opcode, std::int32_t index, vst::IntPtr value,
                                    void* ptr, float opt) {
  return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

void EditorGuiTest::openEditor() {
  vst::ERect* rect = nullptr;
  dispatch(vst::effEditGetRect, 0, 0, &rect);
  ASSERT_NE(rect, nullptr);
  std::string error;
  top_ = platform::TopLevelWindow::create(rect->right - rect->left, rect->bottom - rect->top,
                                          "editor test", error);
  ASSERT_NE(top_, nullptr) << error;
  dispatch(vst::effEditOpen, 0, 0, reinterpret_cast<void*>(top_->nativeHandle()));
  pump(300);
}

void EditorGuiTest::closeEditor() {
  dispatch(vst::effEditClose);
}

void EditorGuiTest::TearDown() {
  if (effect_ != nullptr) {
    closeEditor();
    dispatch(vst::effClose);
    effect_ = nullptr;
  }
  top_.reset();
  if (display_ != nullptr) XCloseDisplay(display_);
  display_ = nullptr;
}

void EditorGuiTest::pump(int ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  do {
    if (top_) top_->processEvents();
    dispatch(vst::effEditIdle);
    std::this_thread::sleep_for(std::chrono::milliseconds(15));
  } while (std::chrono::steady_clock::now() < end);
}

void EditorGuiTest::windowOrigin(int& x, int& y) {
  if (display_ == nullptr) display_ = XOpenDisplay(nullptr);
  ASSERT_NE(display_, nullptr);
  Window child = 0;
  XTranslateCoordinates(display_, static_cast<Window>(top_->nativeHandle()),
                        DefaultRootWindow(display_), 0, 0, &x, &y, &child);
}

}  // namespace gw::test
