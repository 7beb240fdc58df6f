// The message box on a real X server: shown without owner, dismissed like a user would.
#include <gtest/gtest.h>

#include <future>

#include "platform/system.h"
#include "tests/platform/x11_driver.h"

using namespace gw::platform;
using gw::test::waitUntil;
using gw::test::X11Driver;

namespace {

TEST(MessageBoxOnDisplay, ShowsTheTextUntilOkIsClickedOrTheBoxClosed) {
  X11Driver x;
  setMessageSink({});
  for (const bool useCloseBox : {false, true}) {
    ::testing::internal::CaptureStderr();
    auto shown = std::async(std::launch::async, [] {
      showMessageBox("Could not load the ripple texture: no such resource", "Error",
                     MessageIcon::Warning);
    });
    Window box = 0;
    ASSERT_TRUE(waitUntil([&] { return (box = x.findByName("Error")) != 0; }));
    EXPECT_EQ(shown.wait_for(std::chrono::milliseconds(200)), std::future_status::timeout);
    if (useCloseBox) {
      x.closeBox(box);
    } else {
      XWindowAttributes a;
      XGetWindowAttributes(x.display(), box, &a);
      int bx = 0, by = 0;
      x.rootPosition(box, bx, by);
      // The OK button sits centred at the bottom of the box.
      x.click(bx + a.width / 2, by + a.height - 16 - 13);
    }
    ASSERT_EQ(shown.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "Error: Could not load the ripple texture: no such resource\n");
    EXPECT_TRUE(waitUntil([&] { return x.findByName("Error") == 0; }));
  }
}

}  // namespace
