// glimmerwick-standalone end to end on a virtual display: a module's editor in its window,
// screenshots, and quitting by the close box or a signal.
#include <gtest/gtest.h>
#include <png.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "host/program_bank.h"
#include "tests/platform/x11_driver.h"

namespace fs = std::filesystem;
using gw::test::waitUntil;
using gw::test::X11Driver;

namespace {

struct Outcome {
  int code = -1;
  std::string err;
};

fs::path scratch(const std::string& name) {
  return fs::temp_directory_path() / ("gw-standalone-" + std::to_string(::getpid()) + "-" + name);
}

std::string slurp(const fs::path& path) {
  std::ifstream in(path);
  return {std::istreambuf_iterator<char>(in), {}};
}

Outcome standalone(const std::string& args) {
  const fs::path err = scratch("stderr");
  const std::string command = std::string(GW_STANDALONE) + " " + args + " 2>" + err.string();
  const int status = std::system(command.c_str());
  Outcome run{WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(err)};
  fs::remove(err);
  return run;
}

// The standalone keeps the user's programs in their data folder: every run here keeps them
// in a folder of this test's own.
const fs::path kDataHome = scratch("data");
const bool kDataHomeSet = [] {
  fs::remove_all(kDataHome);
  return ::setenv("XDG_DATA_HOME", kDataHome.c_str(), 1) == 0;
}();

std::vector<std::uint8_t> bytesOf(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

struct Image {
  png_uint_32 width = 0, height = 0;
  std::vector<unsigned char> rgba;
  const unsigned char* at(int x, int y) const { return &rgba[(y * width + x) * 4]; }
};

bool readPng(const fs::path& path, Image& image) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&png, path.c_str())) return false;
  png.format = PNG_FORMAT_RGBA;
  image.width = png.width;
  image.height = png.height;
  image.rgba.resize(PNG_IMAGE_SIZE(png));
  return png_image_finish_read(&png, nullptr, image.rgba.data(), 0, nullptr) != 0;
}

TEST(Standalone, ShowsTheEditorAndWritesAScreenshot) {
  const fs::path shot = scratch("fake.png");
  const Outcome run =
      standalone("--program 1 --screenshot " + shot.string() + " --after 0.5 " GW_FAKE_EDITOR);
  ASSERT_EQ(run.code, 0) << run.err;
  Image image;
  ASSERT_TRUE(readPng(shot, image));
  EXPECT_EQ(image.width, 320u);
  EXPECT_EQ(image.height, 200u);
  // The editor's render thread cleared its window to (0.1, 0.6, 0.3).
  const unsigned char* centre = image.at(160, 100);
  EXPECT_NEAR(centre[0], 26, 2);
  EXPECT_NEAR(centre[1], 153, 2);
  EXPECT_NEAR(centre[2], 77, 2);
  EXPECT_NE(run.err.find("fake editor closed\nfake effect closed\n"), std::string::npos) << run.err;
  fs::remove(shot);
}

TEST(Standalone, ShowsTheSynthesisersAnimatedBackground) {
  if (!fs::exists(GW_MODULE)) GTEST_SKIP() << "the module is not built: " << GW_MODULE;
  Image images[2];
  const char* after[2] = {"1.0", "2.0"};
  for (int i = 0; i < 2; ++i) {
    const fs::path shot = scratch("module.png");
    const Outcome run =
        standalone("--screenshot " + shot.string() + " --after " + after[i] + " " GW_MODULE);
    if (run.err.find("module has no editor") != std::string::npos) {
      GTEST_SKIP() << "the module has no editor yet";
    }
    ASSERT_EQ(run.code, 0) << run.err;
    ASSERT_TRUE(readPng(shot, images[i]));
    fs::remove(shot);
  }
  const Image& image = images[0];
  EXPECT_EQ(image.width, 610u);
  EXPECT_EQ(image.height, 415u);
  ASSERT_EQ(images[1].rgba.size(), image.rgba.size());
  // A dark blue field: blue around 0.2 dominates red across most of the window, and it
  // moves: a second later the picture is not the same.
  int bluish = 0, changed = 0, samples = 0;
  for (png_uint_32 y = 0; y < image.height; y += 8) {
    for (png_uint_32 x = 0; x < image.width; x += 8) {
      const unsigned char* p = image.at(static_cast<int>(x), static_cast<int>(y));
      const unsigned char* q = images[1].at(static_cast<int>(x), static_cast<int>(y));
      bluish += p[2] > p[0] + 20;
      changed += p[0] != q[0] || p[1] != q[1] || p[2] != q[2];
      ++samples;
    }
  }
  EXPECT_GT(bluish, samples / 2);
  EXPECT_GT(changed, samples / 4);
}

TEST(Standalone, QuitsCleanlyOnTheCloseBoxAndOnSigterm) {
  X11Driver x;
  const fs::path err = scratch("bg-stderr"), rc = scratch("bg-rc"), pid = scratch("bg-pid");
  const auto startInBackground = [&] {
    fs::remove(rc);
    fs::remove(pid);
    const std::string command = "sh -c '" + std::string(GW_STANDALONE) + " " GW_FAKE_EDITOR +
                                " 2>" + err.string() + " & echo $! >" + pid.string() +
                                "; wait $!; echo $? >" + rc.string() + "' &";
    return std::system(command.c_str()) == 0;
  };
  const auto finished = [&] { return fs::exists(rc) && !slurp(rc).empty(); };

  ASSERT_TRUE(startInBackground());
  Window window = 0;
  // The window carries the plug-in's name, or the product's when the plug-in has none.
  ASSERT_TRUE(waitUntil([&] { return (window = x.findByName("Glimmerwick")) != 0; }));
  x.closeBox(window);
  ASSERT_TRUE(waitUntil(finished));
  EXPECT_EQ(slurp(rc), "0\n");
  EXPECT_TRUE(slurp(err).ends_with("fake editor closed\nfake effect closed\n")) << slurp(err);

  ASSERT_TRUE(startInBackground());
  ASSERT_TRUE(waitUntil([&] { return x.findByName("Glimmerwick") != 0; }));
  ASSERT_TRUE(waitUntil([&] { return !slurp(pid).empty(); }));
  ASSERT_EQ(::kill(std::stoi(slurp(pid)), SIGTERM), 0);
  ASSERT_TRUE(waitUntil(finished));
  EXPECT_EQ(slurp(rc), "0\n");
  EXPECT_TRUE(slurp(err).ends_with("fake editor closed\nfake effect closed\n")) << slurp(err);
  for (const auto& f : {err, rc, pid}) fs::remove(f);
}

TEST(Standalone, PrintsTheEditsTheEditorReportsToTheHost) {
  X11Driver x;
  const fs::path out = scratch("automation"), rc = scratch("automation-rc");
  const std::string command = "sh -c '" + std::string(GW_STANDALONE) +
                              " --print-automation " GW_FAKE_EDITOR " >" + out.string() +
                              " 2>/dev/null; echo $? >" + rc.string() + "' &";
  ASSERT_EQ(std::system(command.c_str()), 0);
  Window window = 0;
  ASSERT_TRUE(waitUntil([&] { return (window = x.findByName("Glimmerwick")) != 0; }));
  // Wait for the editor's child window, then click a quarter of the way across it.
  ASSERT_TRUE(waitUntil([&] {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    XQueryTree(x.display(), window, &root, &parent, &children, &count);
    if (children != nullptr) XFree(children);
    return count > 0;
  }));
  int wx = 0, wy = 0;
  x.rootPosition(window, wx, wy);
  x.click(wx + 80, wy + 100);
  ASSERT_TRUE(waitUntil([&] { return slurp(out).find("end-edit 0") != std::string::npos; }))
      << slurp(out);
  x.closeBox(window);
  ASSERT_TRUE(waitUntil([&] { return fs::exists(rc) && !slurp(rc).empty(); }));
  EXPECT_EQ(slurp(out), "begin-edit 0\nautomate 0 0.25\nend-edit 0\n");
  fs::remove(out);
  fs::remove(rc);
}

TEST(Standalone, TheModulesSawButtonWritesTheSixteenLevelsThroughTheHost) {
  if (!fs::exists(GW_MODULE)) GTEST_SKIP() << "the module is not built: " << GW_MODULE;
  X11Driver x;
  const fs::path out = scratch("saw"), rc = scratch("saw-rc");
  const std::string command = "sh -c '" + std::string(GW_STANDALONE) +
                              " --no-audio --print-automation " GW_MODULE " >" + out.string() +
                              " 2>/dev/null; echo $? >" + rc.string() + "' &";
  ASSERT_EQ(std::system(command.c_str()), 0);
  Window window = 0;
  ASSERT_TRUE(waitUntil([&] { return (window = x.findByName("Glimmerwick")) != 0; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // the editor's first frames
  int wx = 0, wy = 0;
  x.rootPosition(window, wx, wy);
  // "Saw": design (498, 105) to (533, 130), y upwards in the 415-pixel window.
  x.click(wx + 515, wy + 415 - 117);
  ASSERT_TRUE(waitUntil([&] { return slurp(out).find("automate 16 ") != std::string::npos; }))
      << slurp(out);
  x.closeBox(window);
  ASSERT_TRUE(waitUntil([&] { return fs::exists(rc) && !slurp(rc).empty(); }));
  std::string expected;
  for (int n = 1; n <= 16; ++n) {
    char line[64];
    std::snprintf(line, sizeof line, "automate %d %.9g\n", n,
                  static_cast<double>((1.0f / static_cast<float>(n) + 1.0f) / 2.0f));
    expected += line;
  }
  EXPECT_EQ(slurp(out).substr(0, slurp(out).find("update-display")), expected);
  EXPECT_EQ(slurp(rc), "0\n");
  fs::remove(out);
  fs::remove(rc);
}

TEST(Standalone, RefusesBadInputWithAOneLineError) {
  Outcome run = standalone("/nonexistent/glimmerwick.so");
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.err.rfind("glimmerwick-standalone: cannot load /nonexistent/glimmerwick.so", 0), 0u)
      << run.err;
  run = standalone("--program 5 " GW_FAKE_EDITOR);
  EXPECT_EQ(run.code, 2);
  EXPECT_EQ(run.err.rfind("glimmerwick-standalone: --program takes a number from 1 to 1 or a "
                          "program's name (--info lists them), not '5'\n",
                          0),
            0u)
      << run.err;
  run = standalone("--after 2");
  EXPECT_EQ(run.code, 2);
  run = standalone("--program -1");
  EXPECT_EQ(run.code, 2);
}

// Starts the standalone on the module without sound, clicks the editor's "Saw" button when
// asked to, and closes the window; returns its standard error.
std::string editAndQuit(const std::string& args, bool clickSaw) {
  X11Driver x;
  const fs::path out = scratch("bank-out"), err = scratch("bank-err"), rc = scratch("bank-rc");
  fs::remove(rc);
  const std::string command = "sh -c '" + std::string(GW_STANDALONE) +
                              " --no-audio --print-automation " + args + " " GW_MODULE " >" +
                              out.string() + " 2>" + err.string() + "; echo $? >" + rc.string() +
                              "' &";
  EXPECT_EQ(std::system(command.c_str()), 0);
  Window window = 0;
  EXPECT_TRUE(waitUntil([&] { return (window = x.findByName("Glimmerwick")) != 0; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // the editor's first frames
  if (clickSaw) {
    int wx = 0, wy = 0;
    x.rootPosition(window, wx, wy);
    x.click(wx + 515, wy + 415 - 117);
    EXPECT_TRUE(waitUntil([&] { return slurp(out).find("automate 16 ") != std::string::npos; }));
  }
  x.closeBox(window);
  EXPECT_TRUE(waitUntil([&] { return fs::exists(rc) && !slurp(rc).empty(); }));
  EXPECT_EQ(slurp(rc), "0\n") << slurp(err);
  const std::string text = slurp(err);
  for (const auto& f : {out, err, rc}) fs::remove(f);
  return text;
}

// An edit made in the editor is in the user's bank after quitting, comes back at the next
// start (which saves it again) and can be loaded by any host that reads VST banks.
TEST(Standalone, KeepsTheUsersProgramsAcrossAQuitAndARestart) {
  if (!fs::exists(GW_MODULE)) GTEST_SKIP() << "the module is not built: " << GW_MODULE;
  ASSERT_TRUE(kDataHomeSet);
  const fs::path bank = kDataHome / "com.tarnwell.glimmerwick" / "TWgw.fxb";
  fs::remove(bank);
  editAndQuit("--program 'Octaves'", true);
  ASSERT_TRUE(fs::exists(bank));
  gw::host::ProgramBank saved;
  std::string error;
  ASSERT_TRUE(gw::host::decodeBank(bytesOf(bank), saved, error)) << error;
  EXPECT_EQ(saved.uniqueId, ('T' << 24) | ('W' << 16) | ('g' << 8) | 'w');
  ASSERT_EQ(saved.programs.size(), 32u);
  EXPECT_EQ(saved.currentProgram, 3);
  EXPECT_EQ(saved.programs[3].name, "Octaves");
  for (int n = 1; n <= 16; ++n) {
    EXPECT_FLOAT_EQ(saved.programs[3].values[n], (1.0f / static_cast<float>(n) + 1.0f) / 2.0f) << n;
  }

  // Restarted without choosing a program: the edited one is current and saved again as it
  // was restored.
  editAndQuit("", false);
  gw::host::ProgramBank again;
  ASSERT_TRUE(gw::host::decodeBank(bytesOf(bank), again, error)) << error;
  EXPECT_EQ(again.currentProgram, 3);
  for (int n = 1; n <= 16; ++n)
    EXPECT_NEAR(again.programs[3].values[n], saved.programs[3].values[n], 1e-6);
}

// A damaged bank, or one of another plug-in, is refused with one line; the module's own
// programs play and the file is never saved over.
TEST(Standalone, RefusesADamagedOrForeignBankWithoutOverwritingIt) {
  if (!fs::exists(GW_MODULE)) GTEST_SKIP() << "the module is not built: " << GW_MODULE;
  const fs::path damaged = scratch("damaged.fxb");
  std::ofstream(damaged, std::ios::binary)
      << std::string("CcnK\0\0\0\x10", 8) << "FxBk and then nothing useful";
  const auto before = bytesOf(damaged);
  std::string err = editAndQuit("--bank " + damaged.string(), true);
  EXPECT_NE(err.find("glimmerwick-standalone: the bank " + damaged.string() + " is refused: "),
            std::string::npos)
      << err;
  EXPECT_NE(err.find("will not be saved over"), std::string::npos) << err;
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  EXPECT_EQ(bytesOf(damaged), before);

  gw::host::ProgramBank foreign;
  foreign.uniqueId = ('F' << 24) | ('a' << 16) | ('k' << 8) | 'e';
  foreign.programs = {{"Other", std::vector<float>(180, 0.5f)}};
  const auto foreignBytes = gw::host::encodeBank(foreign);
  std::ofstream(damaged, std::ios::binary)
      .write(reinterpret_cast<const char*>(foreignBytes.data()),
             static_cast<std::streamsize>(foreignBytes.size()));
  err = editAndQuit("--bank " + damaged.string(), false);
  EXPECT_NE(err.find("another plug-in ('Fake', not 'TWgw')"), std::string::npos) << err;
  EXPECT_EQ(bytesOf(damaged), foreignBytes);
  fs::remove(damaged);
}

}  // namespace
