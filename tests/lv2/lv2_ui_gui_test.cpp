// The editor's LV2 UI as a host embeds it: the real UI module in a host window of its own,
// driven with XTest under the test's X server. A host that offers ui:touch hears every
// gesture as a grab before its first write and a release after its last; a host that
// offers none gets the same writes and nothing else.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <lv2/ui/ui.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "lv2/lv2_ports.h"
#include "params/factory_bank.h"
#include "params/parameter_ids.h"
#include "platform/module_loader.h"
#include "platform/top_level_window.h"
#include "tests/support/xtest_pointer.h"

namespace {

namespace fs = std::filesystem;
namespace param = gw::param;

// What the UI told its host, in order: "touch N on", "write N", "touch N off".
struct HostLog {
  std::vector<std::string> calls;
  std::vector<float> written;

  static void write(LV2UI_Controller controller, std::uint32_t port, std::uint32_t size,
                    std::uint32_t format, const void* buffer) {
    auto& log = *static_cast<HostLog*>(controller);
    if (size != sizeof(float) || format != 0) {
      log.calls.push_back("bad write " + std::to_string(port));
      return;
    }
    log.calls.push_back("write " + std::to_string(port));
    log.written.push_back(*static_cast<const float*>(buffer));
  }
  static void touch(LV2UI_Feature_Handle handle, std::uint32_t port, bool grabbed) {
    static_cast<HostLog*>(handle)->calls.push_back("touch " + std::to_string(port) +
                                                   (grabbed ? " on" : " off"));
  }
  void clear() {
    calls.clear();
    written.clear();
  }
};

class Lv2UiGui : public testing::Test {
 protected:
  void SetUp() override {
    // Default preferences: GUI scale 100, a design unit to a pixel.
    const fs::path prefs = fs::path(testing::TempDir()) / "lv2-ui-prefs";
    fs::remove_all(prefs);
    fs::create_directories(prefs);
    setenv("XDG_CONFIG_HOME", prefs.c_str(), 1);
    std::string error;
    module_ = gw::platform::loadModule(GW_LV2_UI_MODULE, error);
    ASSERT_NE(module_, nullptr) << error;
    auto entry = reinterpret_cast<const LV2UI_Descriptor* (*)(std::uint32_t)>(
        gw::platform::findModuleSymbol(module_, "lv2ui_descriptor"));
    ASSERT_NE(entry, nullptr);
    descriptor_ = entry(0);
    ASSERT_NE(descriptor_, nullptr);
    idle_ = static_cast<const LV2UI_Idle_Interface*>(
        descriptor_->extension_data(LV2_UI__idleInterface));
    ASSERT_NE(idle_, nullptr);
    window_ = gw::platform::TopLevelWindow::create(610, kHostHeight, "lv2 ui test", error);
    ASSERT_NE(window_, nullptr) << error;
  }
  void TearDown() override {
    if (handle_ != nullptr) descriptor_->cleanup(handle_);
    window_.reset();
    if (module_ != nullptr) gw::platform::unloadModule(module_);
  }

  // Instantiates the UI in the window, offering ui:touch or not; the host then makes the
  // UI's window as tall as its own (as Ardour's embedding does, a few pixels more than the
  // editor asked for), reports every control port, as hosts do, and idles until the
  // editor has drawn.
  void instantiate(bool offerTouch) {
    const LV2_Feature parent{LV2_UI__parent, reinterpret_cast<void*>(window_->nativeHandle())};
    const LV2_Feature idle{LV2_UI__idleInterface, nullptr};
    const LV2_Feature touch{LV2_UI__touch, &touch_};
    const LV2_Feature nameless{nullptr, nullptr};  // malformed: passed over
    const LV2_Feature* features[] = {&parent, &idle, offerTouch ? &touch : &nameless, nullptr};
    LV2UI_Widget widget = nullptr;
    handle_ = descriptor_->instantiate(descriptor_, gw::lv2::kPluginUri, "/tmp", &HostLog::write,
                                       &log_, &widget, features);
    ASSERT_NE(handle_, nullptr);
    ASSERT_NE(widget, nullptr);
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    XResizeWindow(display, reinterpret_cast<Window>(widget), 610, kHostHeight);
    XSync(display, False);
    XCloseDisplay(display);
    for (int i = 0; i < param::kCount; ++i) {
      const float value = gw::factoryBank[gw::kStartPreset].values[i];
      descriptor_->port_event(handle_, static_cast<std::uint32_t>(i), sizeof value, 0, &value);
    }
    idleUntilDrawn();
  }
  void idleOnce() {
    window_->processEvents();
    idle_->idle(handle_);
  }
  // At most 30 s: the first frames come late on a loaded machine or under a sanitizer.
  void idleUntilDrawn() {
    gw::platform::TopLevelWindow::Image image;
    std::string error;
    for (int i = 0; i < 300; ++i) {
      for (int k = 0; k < 6; ++k) {
        idleOnce();
        std::this_thread::sleep_for(std::chrono::milliseconds(15));
      }
      // The editor's dark blue background where no control is (design (150, 115)).
      if (window_->capture(image, error)) {
        const std::size_t row = kHostHeight - 115;
        const std::uint8_t* p = &image.rgba[(row * image.width + 150) * 4];
        if (p[2] >= 36 && p[1] <= 2) return;
      }
    }
    ADD_FAILURE() << "the editor never drew";
  }
  gw::test::XTestPointer pointer() {
    return gw::test::XTestPointer(
        *window_, [this] { idleOnce(); }, kHostHeight);
  }

  // Taller than the editor's 415 rows: the view sits on the bottom edge.
  static constexpr int kHostHeight = 421;

  gw::platform::ModuleHandle module_ = nullptr;
  const LV2UI_Descriptor* descriptor_ = nullptr;
  const LV2UI_Idle_Interface* idle_ = nullptr;
  std::unique_ptr<gw::platform::TopLevelWindow> window_;
  HostLog log_;
  LV2UI_Touch touch_{&log_, &HostLog::touch};
  LV2UI_Handle handle_ = nullptr;
};

// "Saw" at design (498, 105)-(533, 130), pressed 2 units inside its lower edge, where a
// pointer read against the window's top edge would miss it; "Volume" in "Misc" at
// (568.8, 355), 20 units.
constexpr int kSawX = 515, kSawY = 107, kVolumeX = 579, kVolumeY = 365;

std::vector<std::string> sawCalls(bool touched) {
  std::vector<std::string> expected;
  for (int n = 1; n <= 16; ++n) {
    const std::string port = std::to_string(param::level(n));
    if (touched) expected.push_back("touch " + port + " on");
    expected.push_back("write " + port);
    if (touched) expected.push_back("touch " + port + " off");
  }
  return expected;
}

TEST_F(Lv2UiGui, AHostWithTouchHearsEachGestureAroundItsWrites) {
  instantiate(true);
  if (HasFatalFailure()) return;
  auto xtest = pointer();
  ASSERT_TRUE(xtest.ready());

  // A knob drag: one grab, the writes, one release.
  log_.clear();
  xtest.dragVertically(kVolumeX, kVolumeY, kVolumeY - 100);
  ASSERT_GE(log_.calls.size(), 3u);
  EXPECT_EQ(log_.calls.front(), "touch 0 on");
  EXPECT_EQ(log_.calls.back(), "touch 0 off");
  for (std::size_t i = 1; i + 1 < log_.calls.size(); ++i) EXPECT_EQ(log_.calls[i], "write 0");
  EXPECT_LT(log_.written.back(), 0.9f) << "dragged down from 1";

  // "Saw": each level grabbed, written and released, in the order written.
  log_.clear();
  xtest.click(kSawX, kSawY);
  EXPECT_EQ(log_.calls, sawCalls(true));
  ASSERT_EQ(log_.written.size(), 16u);
  for (int n = 1; n <= 16; ++n) EXPECT_FLOAT_EQ(log_.written[n - 1], 1.0f / n) << n;

  // Alt-click on bar 2 of "Levels" (20, 20)-(212, 100): its default, 0, in one gesture.
  log_.clear();
  xtest.key(XK_Alt_L, true);
  xtest.click(20 + 12 + 6, 90);
  xtest.key(XK_Alt_L, false);
  ASSERT_GE(log_.calls.size(), 3u);
  const std::string bar = std::to_string(param::level(2));
  EXPECT_EQ(log_.calls.front(), "touch " + bar + " on");
  EXPECT_EQ(log_.calls[1], "write " + bar);
  EXPECT_EQ(log_.written.front(), 0.0f);
  EXPECT_EQ(log_.calls.back(), "touch " + bar + " off");
}

TEST_F(Lv2UiGui, AHostWithoutTouchGetsTheSameWritesAndNothingElse) {
  instantiate(false);
  if (HasFatalFailure()) return;
  auto xtest = pointer();
  ASSERT_TRUE(xtest.ready());
  log_.clear();
  xtest.dragVertically(kVolumeX, kVolumeY, kVolumeY - 100);
  ASSERT_FALSE(log_.calls.empty());
  for (const std::string& call : log_.calls) EXPECT_EQ(call, "write 0");
  log_.clear();
  xtest.click(kSawX, kSawY);
  EXPECT_EQ(log_.calls, sawCalls(false));
}

}  // namespace
