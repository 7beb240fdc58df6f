// The render window under a real X server with Mesa's OpenGL: frame pacing, closing
// with a busy render thread, the pointer path driven by XTest, and parameter changes
// reaching the controls.
#include <gtest/gtest.h>

#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <cstdio>
#include <functional>
#include <string>
#include <thread>

#include "params/factory_bank.h"
#include "tests/editor/editor_gui_fixture.h"
#include "toolkit/control.h"
#include "toolkit/group.h"

namespace gw::test {
namespace {

using Clock = std::chrono::steady_clock;

// An element whose next draw takes far longer than the close bound.
std::atomic<bool> stallNextDraw{false};
std::atomic<bool> stalling{false};
class StallingElement : public TW::ControlBase {
 public:
  explicit StallingElement(ElementHost& host) : ControlBase(host, Box::of(0, 0, 1, 1)) {}
  void draw() override {
    if (stallNextDraw.exchange(false)) {
      stalling = true;
      std::this_thread::sleep_for(std::chrono::seconds(8));
      stalling = false;
    }
  }
};

// Knob on "Volume" at design (100, 100)-(140, 140), and the stalling element.
void buildTree(RenderWindow& window, TestEditor& editor) {
  auto& knob = window.create<TW::Knob>(param::kVolume, Box::of(100, 100, 140, 140));
  auto& stall = window.create<StallingElement>();
  window.root().addChild(&knob);
  window.root().addChild(&stall);
  editor.elements = {&knob, &stall};
}

class RenderWindowTest : public EditorGuiTest {
 protected:
  TW::Knob& knob() { return *static_cast<TW::Knob*>(testEditor().elements[0]); }
  TestEditor& testEditor() { return *static_cast<TestEditor*>(editor()); }

  // Idles the editor until condition holds or ms have passed.
  bool waitUntilIdle(const std::function<bool()>& condition, int ms) {
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < end) {
      if (condition()) return true;
      pump(15);
    }
    return condition();
  }
};

TEST_F(RenderWindowTest, FramesComeAtAboutThirtyASecond) {
  create(buildTree);
  openEditor();
  pump(500);
  const std::uint64_t before = editor()->window()->framesDrawn();
  const auto start = Clock::now();
  pump(3000);
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  const double fps = static_cast<double>(editor()->window()->framesDrawn() - before) / seconds;
  RecordProperty("fps", std::to_string(fps));
  std::printf("frames per second: %.1f\n", fps);
  // One frame, then a 33 ms wait: a little under 30 with the frame's own cost.
  EXPECT_GT(fps, 18.0);
  EXPECT_LT(fps, 31.0);
}

TEST_F(RenderWindowTest, CloseReturnsWithinTheBoundWhileTheRenderThreadIsBusy) {
  create(buildTree);
  openEditor();
  const int liveBefore = RenderWindow::liveCount();
  stallNextDraw = true;
  const auto waitLimit = Clock::now() + std::chrono::seconds(10);
  while (!stalling && Clock::now() < waitLimit) pump(20);
  ASSERT_TRUE(stalling) << "the render thread never drew";
  const auto start = Clock::now();
  closeEditor();
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  EXPECT_LT(seconds, 5.5);
  EXPECT_GT(seconds, 4.5) << "the thread was given its full 5000 ms";
  EXPECT_FALSE(editor()->isOpen());
  EXPECT_EQ(RenderWindow::liveCount(), liveBefore) << "kept alive for the late thread";
  // The plug-in can go while the late thread still draws: it no longer reads the plug-in.
  dispatch(vst::effClose);
  effect_ = nullptr;
  const auto deadline = Clock::now() + std::chrono::seconds(10);
  while (RenderWindow::liveCount() == liveBefore && Clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_EQ(RenderWindow::liveCount(), liveBefore - 1) << "freed once the thread ended";
}

TEST_F(RenderWindowTest, PointerDragReachesTheHostAsOneEditPerModifierStateOutsideTheWindowToo) {
  create(buildTree);
  openEditor();
  synth()->setParameter(param::kVolume, 0.3f);
  pump(50);
  EXPECT_FLOAT_EQ(knob().value(), 0.3f);
  HostRecorder::instance().clear();
  // The knob's centre: design (120, 120) is window pixel (120, 415 - 120).
  moveTo(120, 295);
  EXPECT_EQ(editor()->window()->hoverParam().load(), param::kVolume);
  EXPECT_EQ(editor()->window()->hovered().load(), &knob());
  button(true);
  moveTo(120, 275);  // 20 up, coarse: +0.1
  key(XK_Shift_L, true);
  moveTo(120, 235);  // 40 up, fine: +0.02
  key(XK_Shift_L, false);
  key(XK_Control_L, true);
  moveTo(120, 225);  // 10 up, coarse: +0.05
  EXPECT_NEAR(synth()->getParameter(param::kVolume), 0.47f, 1e-5);
  key(XK_Control_L, false);
  key(XK_Alt_L, true);  // the new gesture starts at the default, 1
  EXPECT_NEAR(synth()->getParameter(param::kVolume), 1.0f, 1e-5);
  key(XK_Alt_L, false);
  moveTo(700, 245);  // 20 down and outside the window, coarse: -0.1
  button(false);
  EXPECT_NEAR(synth()->getParameter(param::kVolume), 0.9f, 1e-5);
  EXPECT_EQ(editor()->window()->activeParam().load(), -1);

  std::vector<std::int32_t> edits;
  float lastAutomate = -1.0f;
  for (const HostCall& call : HostRecorder::instance().calls()) {
    if (call.opcode == vst::audioMasterAutomate) {
      EXPECT_EQ(call.index, param::kVolume);
      lastAutomate = call.opt;
    } else {
      edits.push_back(call.opcode);
      if (call.opcode == vst::audioMasterEndEdit) {
        EXPECT_GE(call.index, 0);
      }
    }
  }
  // One edit per modifier state: none, Shift, none, Control, none, Alt, none.
  std::vector<std::int32_t> expected;
  for (int gesture = 0; gesture < 7; ++gesture) {
    expected.push_back(vst::audioMasterBeginEdit);
    expected.push_back(vst::audioMasterEndEdit);
  }
  expected.push_back(vst::audioMasterUpdateDisplay);
  EXPECT_EQ(edits, expected);
  EXPECT_NEAR(lastAutomate, 0.9f, 1e-5);
  moveTo(500, 50);
  EXPECT_EQ(editor()->window()->hoverParam().load(), -1) << "left the knob";
}

TEST_F(RenderWindowTest, HostChangesShowAtTheNextIdleAndProgramChangesAtOnceOnTheUiThread) {
  create(buildTree);
  openEditor();
  synth()->setParameter(param::kVolume, 0.25f);
  EXPECT_FLOAT_EQ(knob().value(), 1.0f) << "nothing moves before the idle call";
  dispatch(vst::effEditIdle);
  EXPECT_FLOAT_EQ(knob().value(), 0.25f);

  dispatch(vst::effSetProgram, 0, 5);
  EXPECT_FLOAT_EQ(knob().value(), factoryBank[5].values[param::kVolume]) << "program 5's own";
  synth()->setParameter(param::kVolume, 0.5f);
  dispatch(vst::effSetProgram, 0, 0);
  EXPECT_FLOAT_EQ(knob().value(), 0.25f) << "shown at once, without an idle call";
  dispatch(vst::effEditIdle);
  EXPECT_FLOAT_EQ(knob().value(), 0.25f) << "a queued change of the old program is harmless";

  // A program change on another thread (some hosts use their audio thread) leaves the
  // controls to the UI thread's next idle call.
  std::thread([&] { dispatch(vst::effSetProgram, 0, 5); }).join();
  EXPECT_FLOAT_EQ(knob().value(), 0.25f);
  dispatch(vst::effEditIdle);
  EXPECT_FLOAT_EQ(knob().value(), 0.5f);
}

TEST_F(RenderWindowTest, ChangesFromAnotherThreadNeverBlockAndAreNotLost) {
  create(buildTree);
  openEditor();
  std::thread automation([&] {
    for (int i = 0; i <= 5000; ++i) synth()->setParameter(param::kVolume, i / 5000.0f * 0.5f);
  });
  pump(100);
  automation.join();
  pump(50);
  EXPECT_FLOAT_EQ(knob().value(), 0.5f);
}

TEST_F(RenderWindowTest, AHiddenWindowDrawsNothingAndResumesAsSoonAsItIsShown) {
  create(buildTree);
  openEditor();
  waitForFrames(3);
  int ox = 0, oy = 0;
  windowOrigin(ox, oy);  // opens the test's own display connection
  const auto top = static_cast<Window>(top_->nativeHandle());
  const auto frames = [&] { return editor()->window()->framesDrawn(); };
  ASSERT_TRUE(editor()->window()->shown());

  // As a host that closes its plug-in window by unmapping it, and keeps idling.
  XUnmapWindow(display_, top);
  XSync(display_, False);
  pump(200);
  EXPECT_FALSE(editor()->window()->shown());
  const std::uint64_t hidden = frames();
  pump(1000);
  EXPECT_LE(frames(), hidden + 1) << "no frames while hidden";

  XMapWindow(display_, top);
  XSync(display_, False);
  const auto shownAt = Clock::now();
  ASSERT_TRUE(waitUntilIdle([&] { return frames() > hidden + 1; }, 5000));
  // At once: the next idle call wakes the render thread (generous for loaded machines).
  EXPECT_LT(std::chrono::duration<double>(Clock::now() - shownAt).count(), 1.5);
  EXPECT_TRUE(editor()->window()->shown());
  waitForFrames(5);
}

}  // namespace
}  // namespace gw::test
