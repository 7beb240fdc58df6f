// glimmerwick.dll's editor in a host window under Wine, through our host library as a
// Windows host would drive it: the child window in the host's window, the render thread,
// the window class shared by two editors and removed with the last, and nothing left
// behind after many open/close cycles. Any "Error" message box the module shows is
// answered and fails the test.
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

namespace {

using gw::host::Module;
using gw::host::Plugin;
using gw::platform::TopLevelWindow;

int countThreads() {
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

BOOL CALLBACK collectChild(HWND window, LPARAM out) {
  reinterpret_cast<std::vector<HWND>*>(out)->push_back(window);
  return TRUE;
}

std::vector<HWND> childrenOf(HWND parent) {
  std::vector<HWND> children;
  EnumChildWindows(parent, &collectChild, reinterpret_cast<LPARAM>(&children));
  return children;
}

std::string classOf(HWND window) {
  char name[128] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

// An "Error" box of this process not yet answered: other test programs run at the same
// time with boxes of their own, and an answered box takes a moment to go.
HWND ownErrorBox(const std::vector<HWND>& answered) {
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

  bool classRegistered(const std::string& name) const {
    WNDCLASSA info{};
    return GetClassInfoA(moduleInstance(), name.c_str(), &info) != 0;
  }
  HINSTANCE moduleInstance() const { return GetModuleHandleA("glimmerwick.dll"); }

  std::unique_ptr<Module> module_;
  std::unique_ptr<ErrorBoxWatcher> watcher_ = std::make_unique<ErrorBoxWatcher>();
};

TEST_F(DllEditor, OpensAChildWindowWithARenderThreadAndClosesWithoutLeftovers) {
  const int threadsBefore = countThreads();
  OpenEditor editor = open();
  ASSERT_TRUE(editor.window);
  idle({&editor}, 20);
  const auto children = childrenOf(reinterpret_cast<HWND>(editor.window->nativeHandle()));
  ASSERT_EQ(children.size(), 1u);
  const std::string className = classOf(children[0]);
  EXPECT_EQ(className.rfind("glimmerwick", 0), 0u) << className;
  char title[32] = {};
  GetWindowTextA(children[0], title, sizeof title);
  EXPECT_STREQ(title, "Window");
  RECT client{};
  GetClientRect(children[0], &client);
  EXPECT_EQ(client.right, 610);
  EXPECT_EQ(client.bottom, 415);
  EXPECT_TRUE(classRegistered(className));
  EXPECT_GE(countThreads(), threadsBefore + 1) << "the render thread runs";

  const auto start = std::chrono::steady_clock::now();
  editor.plugin->dispatch(vst::effEditClose);
  const auto closing = std::chrono::steady_clock::now() - start;
  EXPECT_LT(closing, std::chrono::milliseconds(5500))
      << "the wait for the render thread is bounded";
  EXPECT_TRUE(childrenOf(reinterpret_cast<HWND>(editor.window->nativeHandle())).empty());
  EXPECT_FALSE(classRegistered(className));
}

TEST_F(DllEditor, TwentyCyclesLeaveNothingBehindAndTwoEditorsShareTheClass) {
  const int threadsBefore = countThreads();
  std::string className;
  for (int cycle = 0; cycle < 20; ++cycle) {
    OpenEditor editor = open();
    ASSERT_TRUE(editor.window);
    idle({&editor}, 1);
    const auto children = childrenOf(reinterpret_cast<HWND>(editor.window->nativeHandle()));
    ASSERT_EQ(children.size(), 1u);
    className = classOf(children[0]);
    editor.plugin->dispatch(vst::effEditClose);
    ASSERT_FALSE(classRegistered(className));
  }
  // Wine's own helper threads may come and go; render threads must not pile up.
  EXPECT_LE(countThreads(), threadsBefore + 2);

  OpenEditor first = open();
  OpenEditor second = open();
  ASSERT_TRUE(first.window && second.window);
  idle({&first, &second}, 3);
  ASSERT_EQ(childrenOf(reinterpret_cast<HWND>(first.window->nativeHandle())).size(), 1u);
  const auto children = childrenOf(reinterpret_cast<HWND>(second.window->nativeHandle()));
  ASSERT_EQ(children.size(), 1u);
  EXPECT_EQ(classOf(children[0]), className);
  first.plugin->dispatch(vst::effEditClose);
  EXPECT_TRUE(classRegistered(className)) << "the second editor still uses it";
  idle({&second}, 1);
  second.plugin->dispatch(vst::effEditClose);
  EXPECT_FALSE(classRegistered(className));
  EXPECT_LE(countThreads(), threadsBefore + 2);
}

// Sets one preference of the module's for a test and removes it after, so later tests
// in the same Wine prefix see the defaults.
class ScopedPreference {
 public:
  ScopedPreference(const char* name, std::int32_t value) : name_(name) {
    gw::platform::writePreference(name, value);
  }
  ~ScopedPreference() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "com.tarnwell.glimmerwick", 0, KEY_SET_VALUE, &key) ==
        ERROR_SUCCESS) {
      RegDeleteValueA(key, name_);
      RegCloseKey(key);
    }
  }

 private:
  const char* name_;
};

HWND editorWindowOf(const OpenEditor& editor) {
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

TEST_F(DllEditor, AKnobDragWithThePointerReachesTheHostAsBeginAutomateEnd) {
  OpenEditor editor = open();
  ASSERT_TRUE(editor.window);
  idle({&editor}, 10);
  const HWND child = editorWindowOf(editor);
  ASSERT_NE(child, nullptr);
  const float before = editor.plugin->getParameter(0);
  editor.plugin->clearCallbacks();

  // "Volume" in "Misc" at (568.8, 355), 20 units: drag down 100 units.
  Pointer pointer(editor, child);
  pointer.moveTo(579, 365);
  pointer.button(true);
  pointer.moveTo(579, 315);
  pointer.moveTo(579, 265);
  pointer.button(false);
  EXPECT_EQ(editor.plugin->countCallbacks(vst::audioMasterBeginEdit), 1u);
  EXPECT_EQ(editor.plugin->countCallbacks(vst::audioMasterEndEdit), 1u);
  EXPECT_GE(editor.plugin->countCallbacks(vst::audioMasterAutomate), 1u);
  float automated = -1.0f;
  std::vector<std::int32_t> order;
  for (const auto& call : editor.plugin->callbacks()) {
    if (call.opcode == vst::audioMasterAutomate) {
      EXPECT_EQ(call.index, 0);
      automated = call.opt;
    }
    order.push_back(call.opcode);
  }
  ASSERT_FALSE(order.empty());
  EXPECT_EQ(order.front(), vst::audioMasterBeginEdit) << "begin-edit comes first";
  EXPECT_LT(editor.plugin->getParameter(0), before - 0.1f) << "dragged down";
  EXPECT_FLOAT_EQ(automated, editor.plugin->getParameter(0)) << "the host heard the last value";
  editor.plugin->dispatch(vst::effEditClose);
}

// The DLL's editor draws the same first frame as the Linux module's (the reference frame,
// tests/editor/reference-frame.png): program 1, no eye candy, the pointer away. Screen
// copies under Wine cannot see into a GL child window, so the frame comes through the
// module's frame grab. The faces differ (Wine's Tahoma, DejaVu Sans on Linux): the text
// is where the two frames may part.
TEST_F(DllEditor, DrawsTheFrameTheLinuxEditorDraws) {
  ScopedPreference noEyeCandy("Enable eye candy", 0);
  SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
  OpenEditor editor = open();
  ASSERT_TRUE(editor.window);
  gw::host::Plugin::Frame grabbed;
  bool drawn = false;
  for (int i = 0; i < 300 && !drawn; ++i) {
    idle({&editor}, 3);
    drawn = editor.plugin->grabEditorFrame(grabbed);
  }
  ASSERT_TRUE(drawn) << "no frame within 30 s";
  idle({&editor}, 15);
  ASSERT_TRUE(editor.plugin->grabEditorFrame(grabbed));
  const gw::test::Frame frame{grabbed.width, grabbed.height, grabbed.rgba};
  std::string error;
  char dir[MAX_PATH] = {};
  if (GetEnvironmentVariableA("GW_SCREENSHOT_DIR", dir, sizeof dir) > 0) {
    EXPECT_TRUE(gw::test::writePngFrame(std::string(dir) + "/editor-frame-wine.png", frame, error))
        << error;
  }
  gw::test::Frame reference;
  ASSERT_TRUE(gw::test::readPngFrame(GW_REFERENCE_FRAME, reference)) << GW_REFERENCE_FRAME;
  const auto distance = gw::test::frameDistance(frame, reference);
  std::printf("against the Linux reference frame: mean %.3f, far %.4f\n", distance.mean,
              distance.farFraction);
  EXPECT_LT(distance.mean, 4.0);
  EXPECT_LT(distance.farFraction, 0.03);
  editor.plugin->dispatch(vst::effEditClose);
}

// A window whose pixel format is already set to another one cannot take the editor's:
// the render thread says so in a message box, draws nothing, and the editor still idles,
// takes the pointer and closes in time; the next editor draws again.
HHOOK gHook = nullptr;
// Once the editor's window is shown, still inside its creation, before any render thread.
LRESULT CALLBACK presetPixelFormat(int code, WPARAM wParam, LPARAM lParam) {
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

TEST_F(DllEditor, APixelFormatThatCannotBeSetIsReportedAndTheEditorCarriesOn) {
  gHook = SetWindowsHookExA(WH_CALLWNDPROCRET, &presetPixelFormat, nullptr, GetCurrentThreadId());
  ASSERT_NE(gHook, nullptr);
  OpenEditor editor = open();
  UnhookWindowsHookEx(gHook);
  ASSERT_TRUE(editor.window);
  const HWND child = editorWindowOf(editor);
  ASSERT_NE(child, nullptr);
  std::vector<std::string> texts;
  for (int i = 0; i < 100 && texts.empty(); ++i) {
    idle({&editor}, 3);
    texts = watcher_->takeTexts();
  }
  ASSERT_EQ(texts.size(), 1u) << "one message box";
  EXPECT_EQ(texts[0].rfind("SetPixelFormat failed: the window already has another pixel format", 0),
            0u)
      << texts[0];
  gw::host::Plugin::Frame grabbed;
  EXPECT_FALSE(editor.plugin->grabEditorFrame(grabbed)) << "nothing is drawn";

  editor.plugin->clearCallbacks();
  Pointer pointer(editor, child);
  pointer.moveTo(579, 365);
  pointer.button(true);
  pointer.moveTo(579, 315);
  pointer.button(false);
  EXPECT_EQ(editor.plugin->countCallbacks(vst::audioMasterBeginEdit), 1u);
  EXPECT_EQ(editor.plugin->countCallbacks(vst::audioMasterEndEdit), 1u);
  const auto start = std::chrono::steady_clock::now();
  editor.plugin->dispatch(vst::effEditClose);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(5500));

  OpenEditor next = open();
  ASSERT_TRUE(next.window);
  bool drawn = false;
  for (int i = 0; i < 300 && !drawn; ++i) {
    idle({&next}, 3);
    drawn = next.plugin->grabEditorFrame(grabbed);
  }
  EXPECT_TRUE(drawn);
  next.plugin->dispatch(vst::effEditClose);
}

// A render thread that does not stop: it waits in its message box while the host closes
// the editor. Closing returns within its bound and the editor's window leaves the host's
// window at once; once the box is answered the thread ends, and the next editor opens in
// the same class as ever.
TEST_F(DllEditor, ClosingWithABusyRenderThreadKeepsItsBoundAndLeavesNothingBehind) {
  const int threadsBefore = countThreads();
  watcher_->hold(true);
  gHook = SetWindowsHookExA(WH_CALLWNDPROCRET, &presetPixelFormat, nullptr, GetCurrentThreadId());
  ASSERT_NE(gHook, nullptr);
  OpenEditor editor = open();
  UnhookWindowsHookEx(gHook);
  ASSERT_TRUE(editor.window);
  const HWND host = reinterpret_cast<HWND>(editor.window->nativeHandle());
  const std::string className = classOf(editorWindowOf(editor));
  bool boxShown = false;
  for (int i = 0; i < 300 && !boxShown; ++i) {
    idle({&editor}, 1);
    boxShown = ownErrorBox({}) != nullptr;
  }
  ASSERT_TRUE(boxShown);

  const auto start = std::chrono::steady_clock::now();
  editor.plugin->dispatch(vst::effEditClose);
  const auto closing = std::chrono::steady_clock::now() - start;
  EXPECT_GE(closing, std::chrono::milliseconds(4900)) << "it waited for the thread";
  EXPECT_LT(closing, std::chrono::milliseconds(5500));
  EXPECT_TRUE(childrenOf(host).empty()) << "the editor's window left the host's at close";

  EXPECT_TRUE(classRegistered(className)) << "the late thread still holds it";

  watcher_->hold(false);
  for (int i = 0; i < 300 && classRegistered(className); ++i) Sleep(30);
  EXPECT_FALSE(classRegistered(className)) << "the late thread ended and let it go";
  EXPECT_LE(countThreads(), threadsBefore + 2);
  EXPECT_EQ(watcher_->takeTexts().size(), 1u);

  OpenEditor next = open();
  ASSERT_TRUE(next.window);
  idle({&next}, 5);
  const HWND child = editorWindowOf(next);
  ASSERT_NE(child, nullptr) << "the next editor opens";
  EXPECT_EQ(classOf(child), className);
  next.plugin->dispatch(vst::effEditClose);
}

}  // namespace
