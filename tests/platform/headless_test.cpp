// What the platform layer does where no display can be reached: clear refusals.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/dialog.h"
#include "platform/gl_context.h"
#include "platform/stub_window.h"
#include "platform/system.h"
#include "platform/top_level_window.h"
#include "platform/window.h"
#include "tests/platform/scoped_display.h"

using namespace gw::platform;
using gw::test::ScopedDisplay;

namespace {

class Headless : public ::testing::TestWithParam<std::optional<std::string>> {};

TEST_P(Headless, WindowsContextsAndDialogsRefuseWithAnError) {
  ScopedDisplay display(GetParam());
  std::string error;
  EXPECT_EQ(ChildWindow::create(0x400001, 610, 415, error), nullptr);
  EXPECT_NE(error.find("display"), std::string::npos) << error;
  error.clear();
  EXPECT_EQ(GlContext::create(0x400001, error), nullptr);
  EXPECT_FALSE(error.empty());
  error.clear();
  EXPECT_EQ(TopLevelWindow::create(610, 415, "t", error), nullptr);
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(TopLevelWindow::displayReachable(error));

  DialogTemplate dialog;
  dialog.caption = "About";
  dialog.width = 200;
  dialog.height = 100;
  bool initialised = false;
  DialogProcedure proc;
  proc.initDialog = [&](DialogHandle&) { initialised = true; };
  EXPECT_EQ(runModalDialog(0, dialog, proc), -1);
  EXPECT_FALSE(initialised);
}

INSTANTIATE_TEST_SUITE_P(NoDisplay, Headless,
                         ::testing::Values(std::nullopt, std::string(""), std::string(":4999"),
                                           std::string("bogus")));

TEST(MessageBox, GoesToTheSinkAndAlwaysToStandardError) {
  std::vector<std::pair<std::string, std::string>> seen;
  setMessageSink([&](std::string_view text, std::string_view caption) {
    seen.emplace_back(std::string(text), std::string(caption));
  });
  ::testing::internal::CaptureStderr();
  showMessageBox("This processor lacks SSE2.", "Error", MessageIcon::None);
  showMessageBox("second", "Error", MessageIcon::Warning);
  const std::string err = ::testing::internal::GetCapturedStderr();
  setMessageSink({});
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].first, "This processor lacks SSE2.");
  EXPECT_EQ(seen[0].second, "Error");
  EXPECT_EQ(err, "Error: This processor lacks SSE2.\nError: second\n");
}

// A failure met at every opening of the editor stops the host once a process; a new sink
// (a test's fresh start) forgets what was shown.
TEST(MessageBox, OnceAKeyShowsTheFirstBoxAndWritesEveryTextToStandardError) {
  std::vector<std::string> seen;
  const auto collect = [&](std::string_view text, std::string_view) { seen.emplace_back(text); };
  setMessageSink(collect);
  ::testing::internal::CaptureStderr();
  showMessageBoxOnce("font", "no face", "Error", MessageIcon::None);
  showMessageBoxOnce("font", "no face again", "Error", MessageIcon::None);
  showMessageBoxOnce("editor window", "no window", "Error", MessageIcon::Warning);
  showMessageBoxOnce("font", "still no face", "Error", MessageIcon::None);
  showMessageBox("not latched", "Error", MessageIcon::None);
  showMessageBox("not latched", "Error", MessageIcon::None);
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(seen, (std::vector<std::string>{"no face", "no window", "not latched", "not latched"}));
  EXPECT_EQ(err,
            "Error: no face\nError: no face again\nError: no window\nError: still no face\n"
            "Error: not latched\nError: not latched\n");
  setMessageSink(collect);
  showMessageBoxOnce("font", "a new start", "Error", MessageIcon::None);
  setMessageSink({});
  EXPECT_EQ(seen.back(), "a new start");
}

TEST(MessageBox, WithoutSinkOrDisplayReturnsAfterWritingStandardError) {
  ScopedDisplay display(std::nullopt);
  ::testing::internal::CaptureStderr();
  showMessageBox("no font", "Error", MessageIcon::Warning);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Error: no font\n");
}

TEST(StubWindow, HandsOutQueuedEventsOnceAndRecordsCapture) {
  StubWindow window(610, 415);
  window.push({PointerEvent::Kind::Press, 10, 20, 1, kModShift});
  window.push({PointerEvent::Kind::Release, 11, 21, 1, 0});
  std::vector<PointerEvent> events;
  window.pollEvents(events);
  window.pollEvents(events);
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].modifiers, kModShift);
  window.capturePointer();
  EXPECT_TRUE(window.captured());
  window.releasePointer();
  EXPECT_FALSE(window.captured());
  window.resize(0, 10);
  EXPECT_EQ(window.width(), 610);
}

}  // namespace
