#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include <unistd.h>

#include "platform/preferences.h"

namespace fs = std::filesystem;
using gw::platform::preferencesPath;
using gw::platform::readPreference;
using gw::platform::writePreference;

namespace {

// Each test gets its own configuration folder through XDG_CONFIG_HOME.
class PreferencesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ =
        fs::temp_directory_path() / ("gw-prefs-" + std::to_string(::getpid()) + "-" + info->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    saved_ = std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "";
    ::setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
  }
  void TearDown() override {
    if (saved_.empty()) {
      ::unsetenv("XDG_CONFIG_HOME");
    } else {
      ::setenv("XDG_CONFIG_HOME", saved_.c_str(), 1);
    }
    fs::remove_all(dir_);
  }
  fs::path file() const { return dir_ / "com.tarnwell.glimmerwick" / "preferences"; }
  void writeFile(const std::string& text) const {
    fs::create_directories(file().parent_path());
    std::ofstream(file(), std::ios::binary) << text;
  }
  std::string readFile() const {
    std::ifstream in(file(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }

  fs::path dir_;
  std::string saved_;
};

TEST_F(PreferencesTest, MissingFileGivesTheDefaultsAndXdgConfigHomeIsHonoured) {
  EXPECT_EQ(preferencesPath(), file().string());
  EXPECT_EQ(readPreference("GUI scale", 100), 100);
  EXPECT_EQ(readPreference("Enable eye candy", 1), 1);
  EXPECT_EQ(readPreference("Enable floating tooltip", 0), 0);
}

TEST_F(PreferencesTest, RelativeXdgConfigHomeFallsBackToHomeConfig) {
  const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
  ::setenv("HOME", dir_.c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", "relative/dir", 1);
  EXPECT_EQ(preferencesPath(), (dir_ / ".config/com.tarnwell.glimmerwick/preferences").string());
  writePreference("GUI scale", 150);
  EXPECT_EQ(readPreference("GUI scale", 100), 150);
  EXPECT_TRUE(fs::exists(dir_ / ".config/com.tarnwell.glimmerwick/preferences"));
  ::setenv("HOME", home.c_str(), 1);
}

TEST_F(PreferencesTest, WritesReadBackAndKeepOtherLines) {
  writeFile("# kept comment\nGUI scale=150\nsomething unreadable\n");
  writePreference("Enable floating tooltip", 1);
  writePreference("Enable floating tooltip", 0);
  writePreference("Enable eye candy", -7);
  EXPECT_EQ(readPreference("Enable floating tooltip", 5), 0);
  EXPECT_EQ(readPreference("Enable eye candy", 1), -7);
  EXPECT_EQ(readPreference("GUI scale", 100), 150);
  EXPECT_EQ(readFile(),
            "# kept comment\nGUI scale=150\nsomething unreadable\n"
            "Enable floating tooltip=0\nEnable eye candy=-7\n");
}

TEST_F(PreferencesTest, MalformedValuesGiveTheDefault) {
  writeFile(
      "GUI scale=abc\nEnable eye candy\n=5\nEnable floating tooltip=1 2\n"
      "Enable constant redraw=0x10\nA=\nB=12.5\n\xff\xfe=1\n");
  EXPECT_EQ(readPreference("GUI scale", 100), 100);
  EXPECT_EQ(readPreference("Enable eye candy", 1), 1);
  EXPECT_EQ(readPreference("Enable floating tooltip", 0), 0);
  EXPECT_EQ(readPreference("Enable constant redraw", 1), 1);
  EXPECT_EQ(readPreference("A", 3), 3);
  EXPECT_EQ(readPreference("B", 4), 4);
  // A malformed neighbour does not spoil a good line; spaces around parts are allowed.
  writeFile("junk\n  GUI scale =  125 \r\n");
  EXPECT_EQ(readPreference("GUI scale", 100), 125);
}

TEST_F(PreferencesTest, ValuesWiderThan32BitsGiveTheDefault) {
  writeFile("a=4294967296\nb=-2147483649\nc=4294967295\nd=-2147483648\ne=99999999999999999999\n");
  EXPECT_EQ(readPreference("a", 1), 1);
  EXPECT_EQ(readPreference("b", 2), 2);
  // The unsigned reading of a 32-bit value is the same bits.
  EXPECT_EQ(readPreference("c", 3), -1);
  EXPECT_EQ(readPreference("d", 4), INT32_MIN);
  EXPECT_EQ(readPreference("e", 5), 5);
}

TEST_F(PreferencesTest, OversizedOrUnreadableFilesGiveTheDefaults) {
  writeFile(std::string(200000, 'x') + "\nGUI scale=150\n");
  EXPECT_EQ(readPreference("GUI scale", 100), 100);
  fs::remove(file());
  fs::create_directories(file());  // a folder where the file should be
  EXPECT_EQ(readPreference("GUI scale", 100), 100);
  writePreference("GUI scale", 150);  // cannot replace a folder: ignored
  EXPECT_EQ(readPreference("GUI scale", 100), 100);
}

TEST_F(PreferencesTest, UnwritableLocationIsIgnored) {
  std::ofstream(dir_ / "plain-file") << "x";
  ::setenv("XDG_CONFIG_HOME", (dir_ / "plain-file").c_str(), 1);
  writePreference("GUI scale", 150);
  EXPECT_EQ(readPreference("GUI scale", 100), 100);
}

TEST_F(PreferencesTest, NamesThatCannotBeStoredAreRefused) {
  writePreference("a=b", 1);
  writePreference("line\nbreak", 1);
  writePreference("", 1);
  EXPECT_FALSE(fs::exists(file()));
}

TEST_F(PreferencesTest, RewritesAreAtomicForConcurrentReaders) {
  writePreference("GUI scale", 100);
  std::atomic<bool> stop{false};
  std::atomic<int> bad{0};
  std::thread reader([&] {
    while (!stop.load()) {
      const int v = readPreference("GUI scale", -1);
      if (v != 100 && v != 150) bad.fetch_add(1);
    }
  });
  for (int i = 0; i < 300; ++i) {
    writePreference("GUI scale", i % 2 ? 150 : 100);
    writePreference("Enable eye candy", i);
  }
  stop = true;
  reader.join();
  EXPECT_EQ(bad.load(), 0);
  // No temporary file is left behind.
  int files = 0;
  for (const auto& entry : fs::directory_iterator(file().parent_path())) {
    (void)entry;
    ++files;
  }
  EXPECT_EQ(files, 1);
}

}  // namespace
