#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "platform/system.h"
#include "platform/win32/text.h"

namespace gw::platform {
namespace {

TEST(MessageSink, TakesTheBoxesPlaceUntilCleared) {
  std::string text, caption;
  int calls = 0;
  setMessageSink([&](std::string_view t, std::string_view c) {
    text = t;
    caption = c;
    ++calls;
  });
  showMessageBox("Something went wrong", "Error", MessageIcon::Warning);
  setMessageSink({});
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(text, "Something went wrong");
  EXPECT_EQ(caption, "Error");
}

// The box is real: a second thread finds it, reads it and presses OK.
TEST(RealMessageBox, ShowsTextAndCaptionWithOnlyAnOkButton) {
  // Wine shows windows only on an X display (the Wine test stage runs under Xvfb).
  if (GetEnvironmentVariableA("DISPLAY", nullptr, 0) == 0) {
    GTEST_SKIP() << "no display for the message box";
  }
  setMessageSink({});
  std::atomic<bool> found{false};
  std::string shownText;
  bool hasCancel = true;
  std::thread closer([&] {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
      HWND box = FindWindowA("#32770", "Error");
      if (box != nullptr) {
        char buffer[512] = {};
        // 0xFFFF is the id of a message box's text control.
        GetDlgItemTextA(box, 0xFFFF, buffer, sizeof buffer);
        shownText = buffer;
        hasCancel = GetDlgItem(box, IDCANCEL) != nullptr && GetDlgItem(box, IDNO) != nullptr;
        found = true;
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  });
  showMessageBox("Tarnwell Glimmerwick requires a processor with SSE2 capability", "Error",
                 MessageIcon::None);
  closer.join();
  ASSERT_TRUE(found) << "no top-level window captioned Error appeared";
  EXPECT_EQ(shownText, "Tarnwell Glimmerwick requires a processor with SSE2 capability");
  EXPECT_FALSE(hasCancel);
}

TEST(ErrorText, IsTheSystemsTextWithoutLineBreakAndBounded) {
  SetLastError(ERROR_FILE_NOT_FOUND);
  std::string text = lastErrorText();
  ASSERT_FALSE(text.empty());
  EXPECT_LE(text.size(), 300u);
  EXPECT_NE(text.back(), '\n');
  EXPECT_NE(text.back(), '\r');
  EXPECT_EQ(text.find("error 2"), std::string::npos) << "fell back to the number: " << text;

  EXPECT_EQ(win32::errorText(0x2DEADBEEu), "error " + std::to_string(0x2DEADBEEu));
}

}  // namespace
}  // namespace gw::platform
