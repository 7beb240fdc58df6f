// glimmerwick.dll's editor in a Wine prefix as a user's own is: no tahoma.ttf in the
// Windows fonts folder, the face only through GDI's font mapper. Run by fresh-prefix-run
// in a prefix made for the run; in any other prefix it fails its first check.
#include "platform/font_file.h"
#include "tests/win32/dll_editor_fixture.h"

namespace gw::dll_test {
namespace {

// Design units of the title line in a frame, rows from the top: "tarnwell : glimmerwick
// 1.0.11" from x = 60 on the top line.
constexpr int kTitleX = 60, kTitleY = 5, kTitleWidth = 200, kTitleHeight = 20;

TEST(FreshPrefix, HasNoTahomaFileButGdiHandsOutAFace) {
  EXPECT_FALSE(platform::isReadableFile(platform::editorFontPath()))
      << platform::editorFontPath() << " exists: this prefix proves nothing";
  const platform::FontData data = platform::editorFontData();
  std::printf("GDI's face for \"Tahoma\" in a fresh prefix: \"%s\", %zu bytes\n",
              data.faceName.c_str(), data.bytes.size());
  EXPECT_FALSE(data.bytes.empty());
}

// Opened twice, as a user opens and closes it: no box either time (the fixture's watcher
// fails the test on any), and the title line drawn in the system's face where the Linux
// module draws it.
TEST_F(DllEditor, OpensWithoutAMessageBoxAndDrawsTheTitleInTheSystemsFace) {
  ASSERT_FALSE(platform::isReadableFile(platform::editorFontPath()));
  ScopedPreference noEyeCandy("Enable eye candy", 0);
  SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
  gw::test::Frame reference;
  ASSERT_TRUE(gw::test::readPngFrame(GW_REFERENCE_FRAME, reference)) << GW_REFERENCE_FRAME;
  for (int opening = 0; opening < 2; ++opening) {
    SCOPED_TRACE("opening " + std::to_string(opening + 1));
    OpenEditor editor = open();
    ASSERT_TRUE(editor.window);
    gw::test::Frame frame;
    const bool drawn = settledFrame(editor, "editor-frame-wine-gdi-face.png", frame);
    editor.plugin->dispatch(vst::effEditClose);
    ASSERT_TRUE(drawn) << "no frame within 30 s";
    const int grey = gw::test::greyPixels(frame, kTitleX, kTitleY, kTitleWidth, kTitleHeight);
    const auto title = gw::test::frameDistance(
        gw::test::cropFrame(frame, kTitleX, kTitleY, kTitleWidth, kTitleHeight),
        gw::test::cropFrame(reference, kTitleX, kTitleY, kTitleWidth, kTitleHeight));
    const auto whole = gw::test::frameDistance(frame, reference);
    std::printf(
        "title line: %d grey pixels, against the reference mean %.3f, far %.4f; "
        "the frame: mean %.3f, far %.4f\n",
        grey, title.mean, title.farFraction, whole.mean, whole.farFraction);
    // Measured here: 589 grey pixels; the title against the reference's a mean of 0.07 to
    // 0.2 and nothing far (both DejaVu Sans). Without its text the title part is 11 % far
    // apart, in Wine's Tahoma 14 %.
    EXPECT_GT(grey, 150) << "the title line is drawn";
    EXPECT_LT(title.mean, 6.0);
    EXPECT_LT(title.farFraction, 0.02);
    EXPECT_LT(whole.mean, 6.0);
    EXPECT_LT(whole.farFraction, 0.015);
  }
}

}  // namespace
}  // namespace gw::dll_test
