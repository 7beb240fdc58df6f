#include <gtest/gtest.h>

#include "tests/editor/editor_gui_fixture.h"

#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>

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
  RenderWindow& window = createWindow(x, y, withText ? std::make_unique<TextFont>() : nullptr);
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

void EditorGuiTest::moveTo(int x, int y) {
  int ox = 0, oy = 0;
  windowOrigin(ox, oy);
  XTestFakeMotionEvent(display_, -1, ox + x, oy + y, CurrentTime);
  XSync(display_, False);
  pump(80);
}

void EditorGuiTest::button(bool down) {
  if (display_ == nullptr) display_ = XOpenDisplay(nullptr);
  XTestFakeButtonEvent(display_, 1, down ? True : False, CurrentTime);
  XSync(display_, False);
  pump(80);
}

void EditorGuiTest::key(unsigned long keysym, bool down) {
  if (display_ == nullptr) display_ = XOpenDisplay(nullptr);
  XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, keysym), down ? True : False, CurrentTime);
  XSync(display_, False);
  pump(80);
}

void EditorGuiTest::waitForFrames(int count) {
  RenderWindow* window = editor() != nullptr ? editor()->window() : nullptr;
  ASSERT_NE(window, nullptr);
  const std::uint64_t target = window->framesDrawn() + static_cast<std::uint64_t>(count);
  for (int i = 0; i < 2000 && window->framesDrawn() < target; ++i) pump(15);
  EXPECT_GE(window->framesDrawn(), target) << "the render thread stopped drawing";
}

platform::TopLevelWindow::Image EditorGuiTest::capture() {
  platform::TopLevelWindow::Image image;
  std::string error;
  EXPECT_TRUE(top_ && top_->capture(image, error)) << error;
  return image;
}

}  // namespace gw::test
