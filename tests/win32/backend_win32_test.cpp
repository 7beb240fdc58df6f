// The Win32 backend of the editor's platform layer, for real under Wine: registry
// preferences, the window class's lifetime, the child window's pointer messages, the WGL
// context on a thread of its own, and the failure texts.
#include <GL/gl.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>

#include "platform/font_file.h"
#include "platform/gl_context.h"
#include "platform/preferences.h"
#include "platform/top_level_window.h"
#include "platform/win32/module_instance.h"
#include "platform/window.h"

namespace gw::platform {
namespace {

const char* kKey = "com.tarnwell.glimmerwick";

bool hasDisplay() {
  return GetEnvironmentVariableA("DISPLAY", nullptr, 0) != 0;
}

class RegistryPreferences : public ::testing::Test {
 protected:
  void SetUp() override { RegDeleteKeyA(HKEY_CURRENT_USER, kKey); }
  void TearDown() override { RegDeleteKeyA(HKEY_CURRENT_USER, kKey); }

  static void setRaw(const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(
        RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
  }
};

TEST_F(RegistryPreferences, TheFourValuesRoundTripAsDwordsUnderTheAppKey) {
  EXPECT_EQ(readPreference("GUI scale", 100), 100);
  EXPECT_EQ(readPreference("Enable eye candy", 1), 1);
  writePreference("GUI scale", 150);
  writePreference("Enable eye candy", 0);
  writePreference("Enable constant redraw", 0);
  writePreference("Enable floating tooltip", -7);
  EXPECT_EQ(readPreference("GUI scale", 100), 150);
  EXPECT_EQ(readPreference("Enable eye candy", 1), 0);
  EXPECT_EQ(readPreference("Enable constant redraw", 1), 0);
  EXPECT_EQ(readPreference("Enable floating tooltip", 0), -7);
  EXPECT_EQ(preferencesPath(), std::string("HKEY_CURRENT_USER\\") + kKey);

  // What a user or another tool sees: REG_DWORD values of 4 bytes.
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD type = 0, value = 0, size = sizeof value;
  EXPECT_EQ(
      RegQueryValueExA(key, "GUI scale", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size),
      ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(value, 150u);
}

TEST_F(RegistryPreferences, ValuesOfAnotherTypeOrSizeGiveTheDefault) {
  setRaw("GUI scale", REG_SZ, "150", 4);
  const unsigned char two[2] = {0x96, 0};
  setRaw("Enable eye candy", REG_BINARY, two, sizeof two);
  const unsigned long long eight = 0;
  setRaw("Enable constant redraw", REG_QWORD, &eight, sizeof eight);
  const DWORD zero = 0;
  setRaw("Enable floating tooltip", REG_BINARY, &zero, sizeof zero);
  EXPECT_EQ(readPreference("GUI scale", 100), 100);
  EXPECT_EQ(readPreference("Enable eye candy", 1), 1);
  EXPECT_EQ(readPreference("Enable constant redraw", 1), 1);
  EXPECT_EQ(readPreference("Enable floating tooltip", 1), 1);
  // A later write replaces the foreign value with ours.
  writePreference("GUI scale", 125);
  EXPECT_EQ(readPreference("GUI scale", 100), 125);
}

TEST(FontFile, IsTahomaInTheWindowsFontsFolder) {
  char windir[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableA("WINDIR", windir, MAX_PATH);
  const std::string expected =
      std::string(length > 0 ? windir : "c:\\windows") + "\\fonts\\tahoma.ttf";
  EXPECT_EQ(editorFontPath(), expected);
  EXPECT_TRUE(isReadableFile(editorFontPath())) << "Wine ships its own tahoma.ttf";
  EXPECT_FALSE(isReadableFile("c:\\no\\such\\file.ttf"));
}

// GDI's font mapper hands out the face it has for "Tahoma" as one whole font file: the
// prefix's tahoma.ttf here, Wine's replacement where a prefix has none (the fresh-prefix
// test). The table directory must lie inside the data, which a face cut out of a font
// collection would not.
TEST(FontFile, GdiHandsOutAWholeFontFileForTahoma) {
  const FontData data = editorFontData();
  std::printf("GDI's face for \"Tahoma\": \"%s\", %zu bytes\n", data.faceName.c_str(),
              data.bytes.size());
  EXPECT_FALSE(data.faceName.empty());
  ASSERT_GE(data.bytes.size(), 12u);
  const auto word = [&](std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = 0; i < size; ++i) value = value << 8 | data.bytes.at(at + i);
    return value;
  };
  const std::uint32_t version = word(0, 4);
  EXPECT_TRUE(version == 0x00010000 || version == 0x74727565 || version == 0x4F54544F)
      << std::hex << version;
  const std::size_t tables = word(4, 2);
  ASSERT_GT(tables, 0u);
  ASSERT_LE(12 + 16 * tables, data.bytes.size());
  for (std::size_t i = 0; i < tables; ++i) {
    const std::size_t record = 12 + 16 * i;
    EXPECT_LE(std::size_t{word(record + 8, 4)} + word(record + 12, 4), data.bytes.size())
        << "table " << i;
  }
}

std::string editorClassName() {
  char name[64];
  std::snprintf(name, sizeof name, "glimmerwick%p", static_cast<void*>(win32::moduleInstance()));
  return name;
}

bool editorClassRegistered() {
  WNDCLASSA info{};
  return GetClassInfoA(win32::moduleInstance(), editorClassName().c_str(), &info) != 0;
}

BOOL CALLBACK countOne(HWND, LPARAM counter) {
  ++*reinterpret_cast<int*>(counter);
  return TRUE;
}

int countChildren(HWND parent) {
  int count = 0;
  EnumChildWindows(parent, &countOne, reinterpret_cast<LPARAM>(&count));
  return count;
}

class HostWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!hasDisplay()) GTEST_SKIP() << "no display";
    std::string error;
    host_ = TopLevelWindow::create(610, 415, "host", error);
    ASSERT_NE(host_, nullptr) << error;
  }
  HWND parent() const { return reinterpret_cast<HWND>(host_->nativeHandle()); }
  std::unique_ptr<TopLevelWindow> host_;
};

TEST_F(HostWindow, TheClassLivesFromTheFirstChildWindowToTheLast) {
  ASSERT_FALSE(editorClassRegistered());
  std::string error;
  for (int cycle = 0; cycle < 20; ++cycle) {
    auto first = ChildWindow::create(host_->nativeHandle(), 610, 415, error);
    ASSERT_NE(first, nullptr) << error;
    auto second = ChildWindow::create(host_->nativeHandle(), 100, 100, error);
    ASSERT_NE(second, nullptr) << error;
    EXPECT_TRUE(editorClassRegistered());
    EXPECT_EQ(countChildren(parent()), 2);
    char name[32] = {};
    GetWindowTextA(reinterpret_cast<HWND>(first->nativeHandle()), name, sizeof name);
    EXPECT_STREQ(name, "Window");
    EXPECT_EQ(GetParent(reinterpret_cast<HWND>(first->nativeHandle())), parent());
    first.reset();
    EXPECT_TRUE(editorClassRegistered()) << "the second window still uses it";
    second.reset();
    EXPECT_FALSE(editorClassRegistered());
    EXPECT_EQ(countChildren(parent()), 0);
  }
}

TEST_F(HostWindow, RefusesWhatIsNotAWindow) {
  std::string error;
  EXPECT_EQ(ChildWindow::create(0, 610, 415, error), nullptr);
  EXPECT_FALSE(error.empty());
  error.clear();
  EXPECT_EQ(ChildWindow::create(0x12345678, 610, 415, error), nullptr);
  EXPECT_NE(error.find("not usable"), std::string::npos) << error;
  EXPECT_FALSE(editorClassRegistered());
}

TEST_F(HostWindow, PointerMessagesArriveAsEventsWithTheModifiers) {
  std::string error;
  auto child = ChildWindow::create(host_->nativeHandle(), 610, 415, error);
  ASSERT_NE(child, nullptr) << error;
  const HWND window = reinterpret_cast<HWND>(child->nativeHandle());
  // Whatever the window system said about the new window's pointer is not ours to check.
  std::vector<PointerEvent> all, events;
  for (int i = 0; i < 5; ++i) {
    host_->processEvents();
    child->pollEvents(all);
    Sleep(20);
  }
  all.clear();
  PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(10, 20));
  PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(11, 21));
  PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(12, 22));
  PostMessageA(window, WM_RBUTTONUP, 0, MAKELPARAM(13, 23));
  child->pollEvents(all);
  // The real pointer is elsewhere on the screen: the window also hears that it left.
  for (const auto& event : all) {
    if (event.kind != PointerEvent::Kind::Leave) events.push_back(event);
  }
  ASSERT_EQ(events.size(), 3u) << "two moves in a row coalesce into the latest; first kind "
                               << static_cast<int>(events[0].kind) << " at " << events[0].x;
  EXPECT_EQ(events[0].kind, PointerEvent::Kind::Move);
  EXPECT_EQ(events[0].x, 11);
  EXPECT_EQ(events[0].y, 21);
  EXPECT_EQ(events[1].kind, PointerEvent::Kind::Press);
  EXPECT_EQ(events[1].button, 1);
  EXPECT_EQ(events[2].kind, PointerEvent::Kind::Release);
  EXPECT_EQ(events[2].button, 3);
  EXPECT_EQ(events[2].x, 13);

  child->capturePointer();
  EXPECT_EQ(GetCapture(), window);
  child->releasePointer();
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(HostWindow, AHostDestroyingItsWindowFirstIsReportedAsClose) {
  std::string error;
  auto child = ChildWindow::create(host_->nativeHandle(), 610, 415, error);
  ASSERT_NE(child, nullptr) << error;
  host_.reset();
  std::vector<PointerEvent> events;
  child->pollEvents(events);
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back().kind, PointerEvent::Kind::Close);
  child.reset();
  EXPECT_FALSE(editorClassRegistered());
}

TEST_F(HostWindow, TheContextDrawsOnItsOwnThreadAndFailsWithTheSystemText) {
  std::string error;
  auto child = ChildWindow::create(host_->nativeHandle(), 64, 64, error);
  ASSERT_NE(child, nullptr) << error;
  unsigned char pixel[4] = {};
  std::string contextError;
  bool current = false;
  std::thread render([&] {
    auto context = GlContext::create(child->nativeHandle(), contextError);
    if (!context) return;
    current = context->makeCurrent();
    if (!current) return;
    glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glReadPixels(8, 8, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    context->swapBuffers();
    context->releaseCurrent();
  });
  render.join();
  ASSERT_TRUE(contextError.empty()) << contextError;
  ASSERT_TRUE(current);
  EXPECT_EQ(pixel[0], 0);
  EXPECT_EQ(pixel[1], 255);

  // A window that is gone: GetDC fails and the system says why.
  const std::uintptr_t stale = child->nativeHandle();
  child.reset();
  contextError.clear();
  std::thread failing([&] { GlContext::create(stale, contextError); });
  failing.join();
  EXPECT_EQ(contextError.rfind("GetDC failed: ", 0), 0u) << contextError;
  EXPECT_GT(contextError.size(), std::string("GetDC failed: ").size());
}

}  // namespace
}  // namespace gw::platform
