// The editor through the module's ABI, as a host opens it: the rectangle it reports,
// open and close again and again, two editors at once, and what the window shows.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "host/host_library.h"
#include "platform/top_level_window.h"
#include "plugin/vst/aeffect.h"

namespace gw {
namespace {

namespace fs = std::filesystem;

class ModuleEditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Each test starts from its own, empty preferences.
    prefs_ = fs::path(::testing::TempDir()) /
             ("module-prefs-" +
              std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(prefs_);
    fs::create_directories(prefs_ / "com.tarnwell.glimmerwick");
    setenv("XDG_CONFIG_HOME", prefs_.c_str(), 1);
    std::string error;
    module_ = host::Module::load(GW_MODULE_PATH, error);
    ASSERT_NE(module_, nullptr) << error;
  }

  void setPreference(const std::string& line) {
    std::ofstream(prefs_ / "com.tarnwell.glimmerwick" / "preferences") << line << "\n";
  }

  std::unique_ptr<host::Plugin> instance() {
    std::string error;
    auto plugin = host::Plugin::create(*module_, error);
    EXPECT_NE(plugin, nullptr) << error;
    return plugin;
  }

  static std::pair<int, int> editorSize(host::Plugin& plugin) {
    vst::ERect* rect = nullptr;
    plugin.dispatch(vst::effEditGetRect, 0, 0, &rect);
    if (rect == nullptr) return {0, 0};
    return {rect->right - rect->left, rect->bottom - rect->top};
  }

  // Opens the plug-in's editor in a window of the size it asks for.
  std::unique_ptr<platform::TopLevelWindow> open(host::Plugin& plugin) {
    const auto [width, height] = editorSize(plugin);
    std::string error;
    auto window = platform::TopLevelWindow::create(width, height, "module editor test", error);
    EXPECT_NE(window, nullptr) << error;
    if (window) {
      plugin.dispatch(vst::effEditOpen, 0, 0, reinterpret_cast<void*>(window->nativeHandle()));
    }
    return window;
  }

  static void idle(std::initializer_list<std::pair<host::Plugin*, platform::TopLevelWindow*>> all,
                   int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
      for (auto [plugin, window] : all) {
        window->processEvents();
        plugin->dispatch(vst::effEditIdle);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(15));
    }
  }

  // Idles until the window shows the editor's background at (x, y): the first frames
  // come later on a loaded machine or under a sanitizer. At most 30 s.
  static void idleUntilDrawn(
      std::initializer_list<std::pair<host::Plugin*, platform::TopLevelWindow*>> all,
      platform::TopLevelWindow& window, int x, int y) {
    platform::TopLevelWindow::Image image;
    std::string error;
    for (int i = 0; i < 300; ++i) {
      idle(all, 100);
      if (window.capture(image, error) && isBackground(image, x, y)) return;
    }
  }

  // True when the pixel is the background's: no green, little red, blue near 0.2.
  static bool isBackground(const platform::TopLevelWindow::Image& image, int x, int y) {
    const std::uint8_t* p = &image.rgba[(static_cast<std::size_t>(y) * image.width + x) * 4];
    return p[1] <= 2 && p[0] <= 16 && p[2] >= 36 && p[2] <= 74;
  }

  fs::path prefs_;
  std::unique_ptr<host::Module> module_;
};

TEST_F(ModuleEditorTest, ReportsTheDesignSizeAndHasAnEditor) {
  auto plugin = instance();
  ASSERT_NE(plugin, nullptr);
  EXPECT_TRUE(plugin->effect()->flags & vst::effFlagsHasEditor);
  EXPECT_EQ(editorSize(*plugin), std::make_pair(610, 415));
}

TEST_F(ModuleEditorTest, GuiScaleScalesTheRectangleAndTheDrawing) {
  setPreference("GUI scale=150");
  auto plugin = instance();
  ASSERT_NE(plugin, nullptr);
  EXPECT_EQ(editorSize(*plugin), std::make_pair(915, 622));
  auto window = open(*plugin);
  ASSERT_NE(window, nullptr);
  idleUntilDrawn({{plugin.get(), window.get()}}, *window, 457, 311);
  platform::TopLevelWindow::Image image;
  std::string error;
  ASSERT_TRUE(window->capture(image, error)) << error;
  ASSERT_EQ(image.width, 915);
  ASSERT_EQ(image.height, 622);
  for (auto [x, y] : {std::pair{0, 0}, {914, 0}, {0, 621}, {914, 621}, {457, 311}}) {
    EXPECT_TRUE(isBackground(image, x, y)) << "the background covers " << x << "," << y;
  }
  plugin->dispatch(vst::effEditClose);
}

TEST_F(ModuleEditorTest, BackgroundIsDarkBlueAndMovesUnderTheTitleLine) {
  auto plugin = instance();
  ASSERT_NE(plugin, nullptr);
  auto window = open(*plugin);
  ASSERT_NE(window, nullptr);
  idleUntilDrawn({{plugin.get(), window.get()}}, *window, 305, 200);
  idle({{plugin.get(), window.get()}}, 300);
  platform::TopLevelWindow::Image first, second;
  std::string error;
  ASSERT_TRUE(window->capture(first, error)) << error;
  // Below the title line only the vortex's faint points may cover the background.
  int outside = 0, sampled = 0;
  for (int y = 30; y < first.height; y += 7) {
    for (int x = 0; x < first.width; x += 7, ++sampled)
      outside += isBackground(first, x, y) ? 0 : 1;
  }
  EXPECT_LT(outside, sampled / 50);
  // The title "tarnwell : glimmerwick 1.0.11" in grey from x = 60 on the top line.
  int grey = 0;
  for (int y = 5; y < 25; ++y) {
    for (int x = 60; x < 260; ++x) {
      const std::uint8_t* p = &first.rgba[(static_cast<std::size_t>(y) * first.width + x) * 4];
      grey += (p[0] > 60 && p[1] > 60 && std::abs(p[0] - p[1]) < 12) ? 1 : 0;
    }
  }
  EXPECT_GT(grey, 150) << "the title line is drawn";
  // Sampled rows differ a little between the two rows of the grid.
  const auto blue = [&](int x, int y) { return first.rgba[(y * first.width + x) * 4 + 2]; };
  EXPECT_NE(blue(305, 40), blue(305, 412));
  idle({{plugin.get(), window.get()}}, 1500);
  ASSERT_TRUE(window->capture(second, error)) << error;
  EXPECT_NE(first.rgba, second.rgba) << "the background animates";
  plugin->dispatch(vst::effEditClose);
}

TEST_F(ModuleEditorTest, OpensAndClosesRepeatedlyAndTwiceAtOnce) {
  auto a = instance();
  auto b = instance();
  ASSERT_TRUE(a && b);
  for (int round = 0; round < 8; ++round) {
    auto window = open(*a);
    ASSERT_NE(window, nullptr);
    idle({{a.get(), window.get()}}, round % 2 == 0 ? 20 : 200);
    a->dispatch(vst::effEditClose);
  }
  auto windowA = open(*a);
  auto windowB = open(*b);
  ASSERT_TRUE(windowA && windowB);
  idleUntilDrawn({{a.get(), windowA.get()}, {b.get(), windowB.get()}}, *windowB, 300, 200);
  platform::TopLevelWindow::Image image;
  std::string error;
  ASSERT_TRUE(windowB->capture(image, error)) << error;
  EXPECT_TRUE(isBackground(image, 300, 200));
  a->dispatch(vst::effEditClose);
  idle({{b.get(), windowB.get()}}, 300);
  ASSERT_TRUE(windowB->capture(image, error)) << error;
  EXPECT_TRUE(isBackground(image, 300, 200)) << "closing one editor leaves the other drawing";
  b->dispatch(vst::effEditClose);
  // Closing the plug-in with its editor still open stops the editor first.
  auto windowC = open(*b);
  idle({{b.get(), windowC.get()}}, 200);
  b->close();
}

}  // namespace
}  // namespace gw
