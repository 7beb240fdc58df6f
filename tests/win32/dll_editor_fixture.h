// glimmerwick.dll's editor in a host window under Wine, through our host library as a
// Windows host would drive it: the host's window, its idling, the pointer, and a watcher
// that answers every "Error" message box the module shows (an unexpected one fails the
// test).
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "host/host_library.h"
#include "platform/preferences.h"
#include "platform/top_level_window.h"
#include "tests/support/frame_compare.h"

namespace gw::dll_test {

using gw::host::Module;
using gw::host::Plugin;
using gw::platform::TopLevelWindow;

inline int countThreads() {
  const DWORD process = GetCurrentProcessId();
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  int count = 0;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID == process) ++count;
  }
  CloseHandle(snapshot);
  return count;
}

inline BOOL CALLBACK collectChild(HWND window, LPARAM out) {
  reinterpret_cast<std::vector<HWND>*>(out)->push_back(window);
  return TRUE;
}

inline std::vector<HWND> childrenOf(HWND parent) {
  std::vector<HWND> children;
  EnumChildWindows(parent, &collectChild, reinterpret_cast<LPARAM>(&children));
  return children;
}

inline std::string classOf(HWND window) {
  char name[128] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

// An "Error" box of this process not yet answered: other test programs run at the same
// time with boxes of their own, and an answered box takes a moment to go.
inline HWND ownErrorBox(const std::vector<HWND>& answered) {
  for (HWND box = FindWindowExA(nullptr, nullptr, "#32770", "Error"); box != nullptr;
       box = FindWindowExA(nullptr, box, "#32770", "Error")) {
    DWORD process = 0;
    GetWindowThreadProcessId(box, &process);
    if (process == GetCurrentProcessId() &&
        std::find(answered.begin(), answered.end(), box) == answered.end()) {
      return box;
    }
  }
  return nullptr;
}

// Answers every "Error" box the module opens, keeping its text.
class ErrorBoxWatcher {
 public:
  ErrorBoxWatcher()
      : thread_([this] {
          while (!stop_) {
            if (hold_) {
              std::this_thread::sleep_for(std::chrono::milliseconds(20));
              continue;
            }
            if (HWND box = ownErrorBox(answered_)) {
              answered_.push_back(box);
              char text[512] = {};
              GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
              {
                std::lock_guard lock(mutex_);
                texts_.push_back(text);
              }
              PostMessageA(box, WM_COMMAND, IDOK, 0);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
          }
        }) {}
  ~ErrorBoxWatcher() {
    stop_ = true;
    thread_.join();
  }
  std::vector<std::string> texts() {
    std::lock_guard lock(mutex_);
    return texts_;
  }
  // While held, boxes stay open: their thread waits in them.
  void hold(bool on) { hold_ = on; }
  // The texts so far, which a test expected; they no longer fail it.
  std::vector<std::string> takeTexts() {
    std::lock_guard lock(mutex_);
    return std::exchange(texts_, {});
  }

 private:
  std::atomic<bool> stop_{false};
  std::atomic<bool> hold_{false};
  std::mutex mutex_;
  std::vector<std::string> texts_;
  std::vector<HWND> answered_;  // the watcher thread's own
  std::thread thread_;
};

struct OpenEditor {
  std::unique_ptr<Plugin> plugin;
  std::unique_ptr<TopLevelWindow> window;
};

class DllEditor : public ::testing::Test {
 protected:
  void SetUp() override {
    if (GetEnvironmentVariableA("DISPLAY", nullptr, 0) == 0) GTEST_SKIP() << "no display";
    std::string error;
    module_ = Module::load(GW_MODULE_PATH, error);
    ASSERT_NE(module_, nullptr) << error;
  }
  void TearDown() override {
    if (!watcher_) return;
    const auto texts = watcher_->texts();
    EXPECT_TRUE(texts.empty()) << texts.front();
  }

  OpenEditor open() {
    OpenEditor editor;
    std::string error;
    editor.plugin = Plugin::create(*module_, error);
    EXPECT_NE(editor.plugin, nullptr) << error;
    if (!editor.plugin) return editor;
    vst::ERect* rect = nullptr;
    editor.plugin->dispatch(vst::effEditGetRect, 0, 0, &rect);
    EXPECT_NE(rect, nullptr);
    if (rect == nullptr) return editor;
    editor.window = TopLevelWindow::create(rect->right - rect->left, rect->bottom - rect->top,
                                           "Glimmerwick", error);
    EXPECT_NE(editor.window, nullptr) << error;
    if (!editor.window) return editor;
    editor.plugin->dispatch(vst::effEditOpen, 0, 0,
                            reinterpret_cast<void*>(editor.window->nativeHandle()));
    return editor;
  }

  static void idle(std::vector<OpenEditor*> editors, int frames) {
    for (int i = 0; i < frames; ++i) {
      for (OpenEditor* editor : editors) {
        editor->window->processEvents();
        editor->plugin->dispatch(vst::effEditIdle);
      }
      Sleep(30);
    }
  }

  // The editor's frame once it has drawn for half a second (the first frames may still
  // load), kept as GW_SCREENSHOT_DIR/name when that folder is given. False when nothing
  // was drawn within 30 s.
  static bool settledFrame(OpenEditor& editor, const char* name, gw::test::Frame& frame) {
    gw::host::Plugin::Frame grabbed;
    bool drawn = false;
    for (int i = 0; i < 300 && !drawn; ++i) {
      idle({&editor}, 3);
      drawn = editor.plugin->grabEditorFrame(grabbed);
    }
    if (!drawn) return false;
    idle({&editor}, 15);
    if (!editor.plugin->grabEditorFrame(grabbed)) return false;
    frame = {grabbed.width, grabbed.height, grabbed.rgba};
    char dir[MAX_PATH] = {};
    if (GetEnvironmentVariableA("GW_SCREENSHOT_DIR", dir, sizeof dir) > 0) {
      std::string error;
      EXPECT_TRUE(gw::test::writePngFrame(std::string(dir) + "/" + name, frame, error)) << error;
    }
    return true;
  }

  bool classRegistered(const std::string& name) const {
    WNDCLASSA info{};
    return GetClassInfoA(moduleInstance(), name.c_str(), &info) != 0;
  }
  HINSTANCE moduleInstance() const { return GetModuleHandleA("glimmerwick.dll"); }

  std::unique_ptr<Module> module_;
  std::unique_ptr<ErrorBoxWatcher> watcher_ = std::make_unique<ErrorBoxWatcher>();
};

// Sets one preference of the module's for a test and removes it after, so later tests
// in the same Wine prefix see the defaults.
class ScopedPreference {
 public:
  ScopedPreference(const char* name, std::int32_t value) : name_(name) {
    gw::platform::writePreference(name, value);
  }
  ~ScopedPreference() {
    HKEY key = nullptr;
    const std::string keyName(gw::platform::kAppId);
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyName.c_str(), 0, KEY_SET_VALUE, &key) ==
        ERROR_SUCCESS) {
      RegDeleteValueA(key, name_);
      RegCloseKey(key);
    }
  }

 private:
  const char* name_;
};

inline HWND editorWindowOf(const OpenEditor& editor) {
  const auto children = childrenOf(reinterpret_cast<HWND>(editor.window->nativeHandle()));
  return children.size() == 1 ? children[0] : nullptr;
}

// The pointer as a user moves it: input through Wine's server to the window under it.
class Pointer {
 public:
  Pointer(OpenEditor& editor, HWND child) : editor_(editor), child_(child) {}
  // Design point (x, y) of the editor, y upwards from the bottom of the 415-pixel view.
  void moveTo(int x, int y) {
    POINT point{x, 415 - y};
    ClientToScreen(child_, &point);
    SetCursorPos(point.x, point.y);
    send(MOUSEEVENTF_MOVE);
  }
  void button(bool down) { send(down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP); }

 private:
  void send(DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    EXPECT_EQ(SendInput(1, &input, sizeof input), 1u);
    for (int i = 0; i < 4; ++i) {
      editor_.window->processEvents();
      editor_.plugin->dispatch(vst::effEditIdle);
      Sleep(20);
    }
  }
  OpenEditor& editor_;
  HWND child_;
};

// Gives the editor's window a pixel format of its own before the editor sets one: a
// single-buffered format, which the editor never asks for.
inline HHOOK gHook = nullptr;
// Once the editor's window is shown, still inside its creation, before any render thread.
// Set with SetWindowsHookExA(WH_CALLWNDPROCRET, ...) on the host's thread.
inline LRESULT CALLBACK presetPixelFormat(int code, WPARAM wParam, LPARAM lParam) {
  const auto* message = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
  if (code == HC_ACTION && message->message == WM_SHOWWINDOW && message->wParam &&
      classOf(message->hwnd).rfind("glimmerwick", 0) == 0) {
    const HDC dc = GetDC(message->hwnd);
    PIXELFORMATDESCRIPTOR format{};
    const int count = DescribePixelFormat(dc, 1, sizeof format, &format);
    // A format the editor never asks for: single buffered.
    for (int i = 1; i <= count; ++i) {
      DescribePixelFormat(dc, i, sizeof format, &format);
      if ((format.dwFlags & PFD_DRAW_TO_WINDOW) && (format.dwFlags & PFD_SUPPORT_OPENGL) &&
          !(format.dwFlags & PFD_DOUBLEBUFFER)) {
        EXPECT_TRUE(SetPixelFormat(dc, i, &format));
        break;
      }
    }
    ReleaseDC(message->hwnd, dc);
  }
  return CallNextHookEx(gHook, code, wParam, lParam);
}

}  // namespace gw::dll_test
