// Preferences on disk, the display switches read from them, the About dialog's check
// box, and the embedded resources' lookup.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <string_view>

#include "editor/about_dialog.h"
#include "gfx/display_flags.h"
#include "gfx/resource_loader.h"
#include "platform/preferences.h"
#include "platform/system.h"
#include "resources/resource_table.h"

namespace gw {
namespace {

namespace fs = std::filesystem;

// Points the preferences at a fresh directory for each test.
class PreferencesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ =
        fs::path(::testing::TempDir()) /
        ("prefs-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
  }
  void write(std::string_view content) {
    const fs::path file = platform::preferencesPath();
    fs::create_directories(file.parent_path());
    std::ofstream(file) << content;
  }
  fs::path dir_;
};

TEST_F(PreferencesTest, MissingFileGivesTheDefaults) {
  loadDisplayFlags();
  EXPECT_TRUE(displayFlags().eyeCandy.load());
  EXPECT_TRUE(displayFlags().constantRedraw.load());
  EXPECT_FALSE(displayFlags().floatingTooltip.load());
  EXPECT_EQ(guiScalePercent(), 100);
}

TEST_F(PreferencesTest, StoredValuesAreReadAndMalformedOnesFallBack) {
  write("GUI scale=150\nEnable eye candy=0\nEnable floating tooltip=1\n");
  loadDisplayFlags();
  EXPECT_EQ(guiScalePercent(), 150);
  EXPECT_FALSE(displayFlags().eyeCandy.load());
  EXPECT_TRUE(displayFlags().floatingTooltip.load());

  write("GUI scale=huge\n\x01\x02garbage\nEnable eye candy=\n");
  loadDisplayFlags();
  EXPECT_EQ(guiScalePercent(), 100);
  EXPECT_TRUE(displayFlags().eyeCandy.load());
}

TEST_F(PreferencesTest, UnusableScalesAreRefused) {
  for (const char* scale : {"0", "-100", "5", "100000"}) {
    write(std::string("GUI scale=") + scale + "\n");
    EXPECT_EQ(guiScalePercent(), 100) << scale;
  }
}

// The dialog as the procedure sees it.
class RecordingDialog : public platform::DialogHandle {
 public:
  void setItemText(int id, const std::string& text) override { texts[id] = text; }
  void setChecked(int id, bool checked) override { checks[id] = checked; }
  bool isChecked(int id) const override { return checks.count(id) && checks.at(id); }
  void end(int result) override { ended = result; }
  std::map<int, std::string> texts;
  std::map<int, bool> checks;
  int ended = -100;
};

TEST_F(PreferencesTest, TooltipCheckBoxWritesAtOnceAndTwiceRestores) {
  loadDisplayFlags();
  const platform::DialogProcedure procedure = aboutDialogProcedure();
  RecordingDialog dialog;
  procedure.initDialog(dialog);
  EXPECT_EQ(dialog.texts[resources::about::kProduct], "Glimmerwick");
  EXPECT_EQ(dialog.texts[resources::about::kVersion], "1.0.11");
  EXPECT_FALSE(dialog.checks[resources::about::kFloatingTooltip]);

  procedure.command(dialog, resources::about::kFloatingTooltip);
  EXPECT_TRUE(displayFlags().floatingTooltip.load()) << "the next frame sees it";
  EXPECT_EQ(platform::readPreference(kPrefFloatingTooltip, -1), 1) << "stored at once";
  procedure.command(dialog, resources::about::kFloatingTooltip);
  EXPECT_FALSE(displayFlags().floatingTooltip.load());
  EXPECT_EQ(platform::readPreference(kPrefFloatingTooltip, -1), 0);
  EXPECT_EQ(dialog.ended, -100);

  procedure.command(dialog, resources::about::kCancel);
  EXPECT_EQ(dialog.ended, resources::about::kCancel);
  procedure.command(dialog, resources::about::kOk);
  EXPECT_EQ(dialog.ended, resources::about::kOk);
}

TEST(Resources, EmbeddedBlobsCarryTheirMagicAndUnknownOnesAreReported) {
  const auto program =
      resources::find(resources::kTypeVertexProgram, resources::kKnobVertexProgramId);
  const std::string_view text(reinterpret_cast<const char*>(program.data()), program.size());
  EXPECT_TRUE(text.starts_with("!!ARBvp1.0"));
  EXPECT_NE(text.find("END"), std::string_view::npos);
  const auto image = resources::find(resources::kTypeImage, resources::kRippleImageId);
  ASSERT_GE(image.size(), 8u);
  EXPECT_EQ(std::to_integer<int>(image[1]), 'P');

  std::string caption, message;
  platform::setMessageSink([&](std::string_view t, std::string_view c) {
    message = t;
    caption = c;
  });
  const ResourceText missing = loadResourceText(resources::kTypeImage, 999);
  platform::setMessageSink({});
  EXPECT_EQ(missing.size, 0u);
  EXPECT_EQ(caption, "Error");
  EXPECT_NE(message.find("999"), std::string::npos);
}

}  // namespace
}  // namespace gw
