// glimmerwick.dll's editor in host windows under Wine: the child window with its render
// thread, the window class shared by two editors and removed with the last, nothing left
// behind after many open/close cycles or a close with a busy render thread, a refused
// window reported once a process, and the frame it draws against the Linux module's.
#include "tests/win32/dll_editor_fixture.h"

namespace gw::dll_test {
namespace {

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
  gw::test::Frame frame;
  ASSERT_TRUE(settledFrame(editor, "editor-frame-wine.png", frame)) << "no frame within 30 s";
  gw::test::Frame reference;
  ASSERT_TRUE(gw::test::readPngFrame(GW_REFERENCE_FRAME, reference)) << GW_REFERENCE_FRAME;
  const auto distance = gw::test::frameDistance(frame, reference);
  std::printf("against the Linux reference frame: mean %.3f, far %.4f\n", distance.mean,
              distance.farFraction);
  // Measured here: mean 1.4, far 0.4 % (the title line and the button texts). The mean
  // leaves room for the background's drift on a loaded machine; a missing face would
  // have shown its message box.
  EXPECT_LT(distance.mean, 6.0);
  EXPECT_LT(distance.farFraction, 0.015);
  editor.plugin->dispatch(vst::effEditClose);
}

// A host window that is none: the box stops the host's thread at the first opening only,
// also after the host unloads the module and loads it again (a rescan); each opening
// still says why on standard error, and the editor draws nothing.
TEST_F(DllEditor, AWindowTheSystemRefusesIsReportedOnceAProcess) {
  std::string error;
  for (int load = 0; load < 2; ++load) {
    for (int opening = 0; opening < 2; ++opening) {
      auto plugin = Plugin::create(*module_, error);
      ASSERT_NE(plugin, nullptr) << error;
      plugin->dispatch(vst::effEditOpen, 0, 0, reinterpret_cast<void*>(0x1234));
      for (int i = 0; i < 10; ++i) {
        plugin->dispatch(vst::effEditIdle);
        Sleep(30);
      }
      gw::host::Plugin::Frame frame;
      EXPECT_FALSE(plugin->grabEditorFrame(frame));
      plugin->dispatch(vst::effEditClose);
    }
    module_.reset();
    module_ = Module::load(GW_MODULE_PATH, error);
    ASSERT_NE(module_, nullptr) << error;
  }
  for (int i = 0; i < 20 && watcher_->texts().empty(); ++i) Sleep(30);
  const auto texts = watcher_->takeTexts();
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_NE(texts[0].find("not usable"), std::string::npos) << texts[0];
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
}  // namespace gw::dll_test
