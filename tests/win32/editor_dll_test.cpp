// glimmerwick.dll's editor in a host window under Wine, through our host library as a
// Windows host would drive it: the child window in the host's window, the render thread,
// the window class shared by two editors and removed with the last, and nothing left
// behind after many open/close cycles. Any "Error" message box the module shows is
// answered and fails the test.
#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "host/host_library.h"
#include "platform/top_level_window.h"

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

// An "Error" box of this process: other test programs run at the same time with boxes
// of their own.
HWND ownErrorBox() {
  for (HWND box = FindWindowExA(nullptr, nullptr, "#32770", "Error"); box != nullptr;
       box = FindWindowExA(nullptr, box, "#32770", "Error")) {
    DWORD process = 0;
    GetWindowThreadProcessId(box, &process);
    if (process == GetCurrentProcessId()) return box;
  }
  return nullptr;
}

// Answers every "Error" box the module opens, keeping its text.
class ErrorBoxWatcher {
 public:
  ErrorBoxWatcher()
      : thread_([this] {
          while (!stop_) {
            if (HWND box = ownErrorBox()) {
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

 private:
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<std::string> texts_;
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

}  // namespace
