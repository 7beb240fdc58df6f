// The About/Preferences dialog run modally on a real X server and clicked through XTest.
// gtest first: X11's None macro would break its headers.
#include <gtest/gtest.h>

#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <future>

#include "platform/dialog.h"
#include "platform/preferences.h"
#include "tests/platform/x11_driver.h"

using namespace gw::platform;
using gw::test::waitUntil;
using gw::test::X11Driver;
namespace fs = std::filesystem;

namespace {

constexpr const char* kTooltip = "Enable floating tooltip";

DialogTemplate aboutTemplate() {
  using K = DialogControl::Kind;
  DialogTemplate t;
  t.caption = "About";
  t.fontName = "MS Sans Serif";
  t.pointSize = 8;
  t.width = 200;
  t.height = 178;
  t.controls = {{103, K::StaticText, "Tarnwell", 8, 10, 70, 10},
                {105, K::StaticText, "product", 8, 22, 70, 10},
                {106, K::StaticText, "xx.xx.xx", 8, 34, 70, 10},
                {109, K::GroupBox, "Preferences", 8, 110, 184, 48},
                {110, K::AutoCheckBox, "Floating tooltip", 12, 122, 176, 10},
                {1, K::DefaultPushButton, "OK", 80, 162, 40, 12}};
  return t;
}

// What the running dialog shows, published from its own thread once it is set up.
struct Running {
  std::atomic<bool> ready{false};
  Window window = 0;
  DialogHandle::Rect check, ok, product;
  std::atomic<int> commands{0};
  std::atomic<int> storedAfter[4] = {-1, -1, -1, -1};
  std::atomic<bool> checkedAfter[4] = {false, false, false, false};
};

// The procedure the editor gives the dialog: texts at start, the check box mirrors and
// writes the stored switch, OK and cancel end it.
DialogProcedure aboutProcedure(Running& r) {
  DialogProcedure proc;
  proc.initDialog = [&r](DialogHandle& d) {
    d.setItemText(105, "Glimmerwick");
    d.setItemText(106, "1.0.11");
    d.setChecked(110, readPreference(kTooltip, 0) != 0);
    r.window = static_cast<Window>(d.nativeHandle());
    r.check = d.controlRect(110);
    r.ok = d.controlRect(1);
    r.product = d.controlRect(105);
    r.ready = true;
  };
  proc.command = [&r](DialogHandle& d, int id) {
    if (id == 1 || id == 2) {
      d.end(id);
      return;
    }
    if (id != 110) return;
    const bool on = readPreference(kTooltip, 0) == 0;
    writePreference(kTooltip, on ? 1 : 0);
    const int n = r.commands.load();
    if (n < 4) {
      r.storedAfter[n] = readPreference(kTooltip, -1);
      r.checkedAfter[n] = d.isChecked(110);
    }
    r.commands = n + 1;
  };
  return proc;
}

class Dialog : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("gw-dialog-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
    ::setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
    owner_ = x_.topLevel(0, 0, 700, 500);
    // Hosts hand the editor a window inside their own; that one owns the dialog.
    editor_ = XCreateSimpleWindow(x_.display(), owner_, 20, 20, 610, 415, 0, 0, 0);
    XMapWindow(x_.display(), editor_);
    x_.sync();
  }
  void TearDown() override {
    x_.destroy(owner_);
    fs::remove_all(dir_);
  }
  void clickCentre(const DialogHandle::Rect& r) {
    int dx = 0, dy = 0;
    x_.rootPosition(running_.window, dx, dy);
    x_.click(dx + r.x + r.width / 2, dy + r.y + r.height / 2);
  }
  std::future<int> start(const DialogProcedure& proc) {
    auto result = std::async(
        std::launch::async, [this, proc] { return runModalDialog(owner_, aboutTemplate(), proc); });
    EXPECT_TRUE(waitUntil([&] { return running_.ready.load(); }));
    EXPECT_TRUE(waitUntil([&] { return x_.viewable(running_.window); }));
    return result;
  }

  X11Driver x_;
  Window owner_ = 0;
  Window editor_ = 0;
  fs::path dir_;
  Running running_;
};

TEST_F(Dialog, CheckBoxTogglesTheStoredSwitchTwiceBackAndOkEndsWithOne) {
  auto result = start(aboutProcedure(running_));
  // Dialog units follow the font: 200 units are a few hundred pixels wide.
  EXPECT_GT(running_.ok.width, 40);
  EXPECT_LT(running_.ok.width, 120);
  EXPECT_GT(running_.check.y, running_.product.y);
  // It belongs to the host's top-level window, whatever window inside it was passed.
  Window transientFor = 0;
  EXPECT_TRUE(XGetTransientForHint(x_.display(), running_.window, &transientFor));
  EXPECT_EQ(transientFor, owner_);

  clickCentre(running_.check);
  ASSERT_TRUE(waitUntil([&] { return running_.commands == 1; }));
  EXPECT_EQ(running_.storedAfter[0], 1);
  EXPECT_TRUE(running_.checkedAfter[0]);
  clickCentre(running_.check);
  ASSERT_TRUE(waitUntil([&] { return running_.commands == 2; }));
  EXPECT_EQ(running_.storedAfter[1], 0);
  EXPECT_FALSE(running_.checkedAfter[1]);
  EXPECT_EQ(readPreference(kTooltip, 7), 0);

  // The product name replaced the template text: dark text pixels in its rectangle.
  int dark = 0;
  for (int y = 0; y < running_.product.height; ++y) {
    for (int x = 0; x < running_.product.width; x += 2) {
      const unsigned p = x_.pixel(running_.window, running_.product.x + x, running_.product.y + y);
      dark += (p & 0xff) < 0x60;
    }
  }
  EXPECT_GT(dark, 20);

  clickCentre(running_.ok);
  ASSERT_EQ(result.wait_for(std::chrono::seconds(5)), std::future_status::ready);
  EXPECT_EQ(result.get(), 1);
  EXPECT_FALSE(x_.viewable(running_.window));
}

TEST_F(Dialog, CloseBoxAndEscapeCancelWithTwo) {
  auto result = start(aboutProcedure(running_));
  x_.closeBox(running_.window);
  ASSERT_EQ(result.wait_for(std::chrono::seconds(5)), std::future_status::ready);
  EXPECT_EQ(result.get(), 2);

  running_.ready = false;
  result = start(aboutProcedure(running_));
  // The key goes where the pointer is while nothing holds the focus.
  int dx = 0, dy = 0;
  x_.rootPosition(running_.window, dx, dy);
  x_.moveTo(dx + 5, dy + 5);
  XSetInputFocus(x_.display(), running_.window, RevertToPointerRoot, CurrentTime);
  x_.key(XK_Escape, true);
  x_.key(XK_Escape, false);
  ASSERT_EQ(result.wait_for(std::chrono::seconds(5)), std::future_status::ready);
  EXPECT_EQ(result.get(), 2);
  EXPECT_EQ(running_.commands, 0);
}

// Each run has a connection of its own, often at the address of the one before it; every
// run must still find its owner and answer.
TEST_F(Dialog, OpenedAgainAndAgainItStaysOwnedAndAnswers) {
  for (int run = 0; run < 4; ++run) {
    SCOPED_TRACE(run);
    running_.ready = false;
    auto result = start(aboutProcedure(running_));
    Window transientFor = 0;
    EXPECT_TRUE(XGetTransientForHint(x_.display(), running_.window, &transientFor));
    EXPECT_EQ(transientFor, owner_);
    x_.closeBox(running_.window);
    ASSERT_EQ(result.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(result.get(), 2);
  }
}

TEST_F(Dialog, WithoutACommandProcedureOkStillEndsIt) {
  DialogProcedure proc = aboutProcedure(running_);
  proc.command = nullptr;
  auto result = start(proc);
  clickCentre(running_.check);  // toggles the box only
  clickCentre(running_.ok);
  ASSERT_EQ(result.wait_for(std::chrono::seconds(5)), std::future_status::ready);
  EXPECT_EQ(result.get(), 1);
  EXPECT_EQ(readPreference(kTooltip, 0), 0);
}

}  // namespace
