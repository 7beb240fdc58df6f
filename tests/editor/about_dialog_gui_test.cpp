// The About/Preferences dialog as a user meets it: a real modal dialog under the test's
// X server, its check box clicked with XTest.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "editor/about_dialog.h"
#include "gfx/display_flags.h"
#include "platform/preferences.h"
#include "platform/top_level_window.h"
#include "resources/resource_table.h"

namespace gw {
namespace {

namespace about = resources::about;
using namespace std::chrono_literals;

TEST(AboutDialog, ClickingTheTooltipBoxTwiceStoresEachStateAndEndsWhereItStarted) {
  const auto prefs = std::filesystem::path(::testing::TempDir()) / "about-dialog-prefs";
  std::filesystem::remove_all(prefs);
  std::filesystem::create_directories(prefs);
  setenv("XDG_CONFIG_HOME", prefs.c_str(), 1);
  loadDisplayFlags();
  std::string error;
  auto owner = platform::TopLevelWindow::create(200, 100, "owner", error);
  ASSERT_NE(owner, nullptr) << error;

  // The dialog's window and its controls' rectangles, once it is up.
  std::atomic<std::uintptr_t> dialogWindow{0};
  platform::DialogHandle::Rect box, ok;
  std::map<int, std::string> texts;
  const platform::DialogProcedure inner = aboutDialogProcedure();
  platform::DialogProcedure procedure;
  procedure.initDialog = [&](platform::DialogHandle& dialog) {
    inner.initDialog(dialog);
    box = dialog.controlRect(about::kFloatingTooltip);
    ok = dialog.controlRect(about::kOk);
    dialogWindow = dialog.nativeHandle();
  };
  procedure.command = inner.command;

  std::vector<int> stored;
  std::thread user([&] {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return;
    const auto limit = std::chrono::steady_clock::now() + 10s;
    while (dialogWindow == 0 && std::chrono::steady_clock::now() < limit) {
      std::this_thread::sleep_for(20ms);
    }
    std::this_thread::sleep_for(400ms);
    auto click = [&](const platform::DialogHandle::Rect& r) {
      int x = 0, y = 0;
      Window child = 0;
      XTranslateCoordinates(display, static_cast<Window>(dialogWindow.load()),
                            DefaultRootWindow(display), r.x + r.width / 2, r.y + r.height / 2, &x,
                            &y, &child);
      XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
      XTestFakeButtonEvent(display, 1, True, CurrentTime);
      XTestFakeButtonEvent(display, 1, False, CurrentTime);
      XSync(display, False);
      std::this_thread::sleep_for(300ms);
    };
    click({box.x, box.y, 8, box.height});
    stored.push_back(platform::readPreference(kPrefFloatingTooltip, -1));
    click({box.x, box.y, 8, box.height});
    stored.push_back(platform::readPreference(kPrefFloatingTooltip, -1));
    click(ok);
    XCloseDisplay(display);
  });
  const int result =
      platform::runModalDialog(owner->nativeHandle(), resources::aboutDialogTemplate(), procedure);
  user.join();
  ASSERT_NE(dialogWindow.load(), 0u) << "the dialog never came up";
  EXPECT_GT(box.width, 0);
  EXPECT_EQ(result, about::kOk);
  EXPECT_EQ(stored, (std::vector<int>{1, 0})) << "each click is stored at once";
  EXPECT_FALSE(displayFlags().floatingTooltip.load());
}

}  // namespace
}  // namespace gw
