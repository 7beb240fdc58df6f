// The pointer on glimmerwick.dll's editor under Wine, as input a user makes: the cursor
// moved and the button pressed through Wine's server, reaching the window under the
// cursor. These tests run alone (RUN_SERIAL): another test's window over ours would take
// the input.
#include "tests/win32/dll_editor_fixture.h"

namespace gw::dll_test {
namespace {

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

// A window whose pixel format is already set to another one cannot take the editor's:
// the render thread says so in a message box, draws nothing, and the editor still idles,
// takes the pointer and closes in time; the next editor draws again.
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

}  // namespace
}  // namespace gw::dll_test
