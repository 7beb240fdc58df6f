// Ardour 7 loads the module as it would on a user's machine: its scanner indexes the
// module, a headless session plays notes through it into an exported WAV, and the saved
// session, re-opened in a fresh Ardour, restores the instrument and plays the same. The
// LV2 bundle goes the same way, found by its URI and started from a factory preset.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "params/parameter_model.h"
#include "tests/hosts/child_process.h"
#include "tests/hosts/phrase_check.h"

namespace fs = std::filesystem;
using namespace gw::test;

namespace {

constexpr char kArdourLibs[] = "/usr/lib/ardour7";
constexpr char kScanner[] = "/usr/lib/ardour7/ardour-vst-scanner";
constexpr char kLuaWrapper[] = "/usr/bin/ardour7-lua";
constexpr char kLuaSession[] = "/usr/lib/ardour7/luasession";
constexpr char kArdourData[] = "/usr/share/ardour7";
// This Ardour's Lua session tool dies now and then inside Ardour, at random steps and as
// often with Ardour's own instrument as with ours (its event loop runs cross-thread
// requests directly on the calling thread). A run that dies of a signal is repeated;
// a script that fails its own checks never is.
constexpr int kLuaAttempts = 8;
constexpr char kPresetUuid[] = "b7e2c4a1-5d6f-4e8a-9b0c-1d2e3f405162";
constexpr double kSessionSeconds = 4.0;
constexpr double kSecondsPerBeat = 0.5;  // a new session's 120 BPM

struct BeatNote {
  double start, length;
  int key, velocity;
};
const std::vector<BeatNote> kPhrase = {{1, 1.5, 57, 100}, {3, 1, 69, 64}, {5, 1.5, 76, 127}};

std::string slurp(const fs::path& path) {
  std::ifstream in(path);
  return {std::istreambuf_iterator<char>(in), {}};
}

fs::path onlyFileWithExtension(const fs::path& dir, const std::string& extension) {
  fs::path found;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(dir, ec)) {
    if (entry.path().extension() == extension) {
      if (!found.empty()) return {};
      found = entry.path();
    }
  }
  return found;
}

class ArdourTest : public testing::Test {
 public:
  const fs::path& root() const { return root_; }

 protected:
  void SetUp() override {
    if (!fs::exists(kScanner) || !fs::exists(kLuaWrapper) || !fs::exists(kLuaSession)) {
      GTEST_SKIP() << "Ardour 7 is not installed (scripts/install-deps hosts)";
    }
    root_ = makeScratchDirectory("gw-ardour");
    ASSERT_FALSE(root_.empty());
    // A private plug-in folder, configuration and cache for every run: a persistent
    // configuration keeps the first plug-in path it ever saw.
    fs::create_directories(root_ / "lxvst");
    fs::create_directories(root_ / "lv2");
#ifdef GW_LV2_BUNDLE
    fs::create_directory_symlink(GW_LV2_BUNDLE, root_ / "lv2" / "glimmerwick.lv2");
#endif
    fs::create_directories(root_ / "config/ardour7/export");
    fs::create_directories(root_ / "cache");
    module_ = root_ / "lxvst/glimmerwick.so";
    fs::copy_file(GW_MODULE, module_);
    // Ardour trusts a cache entry only when the module is older, in whole seconds.
    fs::last_write_time(module_, fs::file_time_type::clock::now() - std::chrono::seconds(10));
    for (const char* name : {"glimmerwick-float.format", "glimmerwick-float.preset"}) {
      fs::copy_file(fs::path(GW_HOSTS_SOURCE_DIR) / "export" / name,
                    root_ / "config/ardour7/export" / name);
    }
    // Ardour's data without the MIDI name documents: a background thread parses those
    // with libxml2 while the session's thread uses it too, which corrupts the heap.
    fs::create_directories(root_ / "data/patchfiles");
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(kArdourData, ec)) {
      if (entry.path().filename() != "patchfiles") {
        fs::create_directory_symlink(entry.path(), root_ / "data" / entry.path().filename());
      }
    }
  }

  void TearDown() override {
    std::error_code ec;
    if (HasFailure()) {
      std::cerr << "Ardour's files are kept in " << root_ << "\n";
    } else if (!root_.empty()) {
      fs::remove_all(root_, ec);
    }
  }

  std::vector<std::string> environment() const {
    return {"XDG_CONFIG_HOME=" + (root_ / "config").string(),
            "XDG_CACHE_HOME=" + (root_ / "cache").string(),
            "LXVST_PATH=" + (root_ / "lxvst").string(),
            "LV2_PATH=" + (root_ / "lv2").string() + ":/usr/lib/lv2", "HOME=" + root_.string()};
  }

  RunResult scan() const {
    std::vector<std::string> env = environment();
    env.push_back(std::string("LD_LIBRARY_PATH=") + kArdourLibs);
    return runProgram({kScanner, "-f", module_.string()}, env, 120);
  }

 public:
  // ardour7-lua's own settings, but our data folder.
  // Before every attempt the folders in `fresh` are removed and `exportDir` made anew.
  RunResult lua(const std::string& script, const std::vector<std::string>& args,
                const std::vector<fs::path>& fresh, const fs::path& exportDir) const {
    std::vector<std::string> argv = {kLuaSession,
                                     (fs::path(GW_HOSTS_SOURCE_DIR) / script).string()};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<std::string> env = environment();
    for (const std::string& e : {std::string("LD_LIBRARY_PATH=") + kArdourLibs,
                                 "ARDOUR_DATA_PATH=" + (root_ / "data").string(),
                                 std::string("ARDOUR_CONFIG_PATH=/etc/ardour7"),
                                 std::string("ARDOUR_DLL_PATH=") + kArdourLibs,
                                 std::string("VAMP_PATH=") + kArdourLibs + "/vamp"}) {
      env.push_back(e);
    }
    RunResult result;
    for (int attempt = 1; attempt <= kLuaAttempts; ++attempt) {
      std::error_code ec;
      for (const fs::path& dir : fresh) fs::remove_all(dir, ec);
      fs::remove_all(exportDir, ec);
      fs::create_directories(exportDir);
      result = runProgram(argv, env, 300);
      if (result.timedOut || result.exitCode != -1) break;
      std::cerr << script << ": Ardour died in attempt " << attempt << ", running it again\n";
    }
    return result;
  }

 protected:
  fs::path root_;
  fs::path module_;
};

std::string notesArgument() {
  std::ostringstream text;
  for (const BeatNote& n : kPhrase) {
    text << n.start << ':' << n.length << ':' << n.key << ':' << n.velocity << ',';
  }
  return text.str();
}

std::vector<PhraseNote> phraseInSeconds() {
  std::vector<PhraseNote> notes;
  for (const BeatNote& n : kPhrase) {
    notes.push_back(
        {n.start * kSecondsPerBeat, (n.start + n.length) * kSecondsPerBeat, n.key, n.velocity});
  }
  return notes;
}

TEST_F(ArdourTest, ScannerIndexesTheModuleAsAMidiInstrumentWithTwoOutputs) {
  const RunResult run = scan();
  ASSERT_EQ(run.exitCode, 0) << run.output;
  const fs::path cache = onlyFileWithExtension(root_ / "cache/ardour7/vst", ".v2i");
  ASSERT_FALSE(cache.empty()) << "no single cache entry\n" << run.output;
  const std::string entry = slurp(cache);
  for (const char* attribute :
       {"id=\"1415014263\"", "name=\"Glimmerwick\"", "creator=\"Tarnwell\"",
        "category=\"Instrument\"", "n_inputs=\"0\"", "n_outputs=\"2\"", "n_midi_inputs=\"1\"",
        "is_instrument=\"1\"", "can_process_replace=\"1\"", "has_editor=\"1\""}) {
    EXPECT_NE(entry.find(attribute), std::string::npos) << attribute << " missing in\n" << entry;
  }
}

// Plays the phrase through the instrument in a new session with `params` (index and value
// as Ardour takes them), saves, re-opens, and checks the values came back and the second
// export sounds as the first. `pluginArgs`: none for the LinuxVST module, or an LV2 URI and
// the label of a preset to start from.
void playSaveAndReopen(ArdourTest& test, const std::vector<std::string>& pluginArgs,
                       const std::vector<std::pair<int, double>>& params) {
  const PhraseSettings settings;
  const fs::path& root = test.root();
  const std::string session = (root / "session").string();
  const std::string seconds = std::to_string(kSessionSeconds);
  std::ostringstream paramText;
  paramText.precision(9);
  for (const auto& [index, value] : params) paramText << index << '=' << value << ',';
  std::vector<std::string> args = {session,        "phrase", (root / "first").string(),
                                   kPresetUuid,    seconds,  paramText.str(),
                                   notesArgument()};
  args.insert(args.end(), pluginArgs.begin(), pluginArgs.end());
  const RunResult created =
      test.lua("ardour_session.lua", args, {root / "session"}, root / "first");
  ASSERT_EQ(created.exitCode, 0) << created.output;
  ASSERT_NE(created.output.find("session ready"), std::string::npos) << created.output;
  // Notes every half second at 48 kHz are off this grid: each must still start on its own
  // sample, not at the start of the block that holds it.
  EXPECT_NE(created.output.find("block 1024"), std::string::npos) << created.output;
  if (!pluginArgs.empty()) {
    EXPECT_NE(created.output.find("plugin Glimmerwick Tarnwell " + pluginArgs[0]),
              std::string::npos)
        << created.output;
    EXPECT_NE(created.output.find("preset " + pluginArgs[1] + " " + pluginArgs[0] + ":preset:"),
              std::string::npos)
        << created.output;
  }
  const fs::path firstWav = onlyFileWithExtension(root / "first", ".wav");
  ASSERT_FALSE(firstWav.empty()) << created.output;
  const LoadedAudio first = loadAudio(firstWav.string());
  ASSERT_EQ(first.rate, 48000.0);
  EXPECT_GE(first.left.size(), static_cast<std::size_t>(kSessionSeconds * 48000));
  std::vector<long> firstOnsets;
  {
    SCOPED_TRACE("first export");
    firstOnsets = expectPhrase(first, phraseInSeconds(), settings, PhraseTolerance{});
  }

  std::string indices;
  for (const auto& [index, value] : params) indices += std::to_string(index) + ",";
  const RunResult reopened =
      test.lua("ardour_reopen.lua",
               {session, "phrase", (root / "second").string(), kPresetUuid, seconds, indices},
               std::vector<fs::path>{}, root / "second");
  ASSERT_EQ(reopened.exitCode, 0) << reopened.output;
  ASSERT_NE(reopened.output.find("reopened"), std::string::npos) << reopened.output;
  for (const auto& [index, value] : params) {
    const std::string key = "param " + std::to_string(index) + " ";
    const std::size_t at = reopened.output.find(key);
    ASSERT_NE(at, std::string::npos) << reopened.output;
    EXPECT_NEAR(std::stod(reopened.output.substr(at + key.size())), value, 1e-4)
        << "parameter " << index << " after re-opening";
  }
  const fs::path secondWav = onlyFileWithExtension(root / "second", ".wav");
  ASSERT_FALSE(secondWav.empty()) << reopened.output;
  const LoadedAudio second = loadAudio(secondWav.string());
  ASSERT_EQ(second.left.size(), first.left.size());
  std::vector<long> secondOnsets;
  {
    SCOPED_TRACE("export after re-opening");
    secondOnsets = expectPhrase(second, phraseInSeconds(), settings, PhraseTolerance{});
  }
  EXPECT_EQ(firstOnsets, secondOnsets) << "the notes start on their own samples both times";
  float difference = 0.0f;
  for (std::size_t i = 0; i < first.left.size(); ++i) {
    difference = std::max({difference, std::fabs(first.left[i] - second.left[i]),
                           std::fabs(first.right[i] - second.right[i])});
  }
  EXPECT_LT(difference, 1e-6f) << "the re-opened session renders differently";
}

TEST_F(ArdourTest, SessionPlaysNotesAndPlaysTheSameAfterReopening) {
  const RunResult scanned = scan();
  ASSERT_EQ(scanned.exitCode, 0) << scanned.output;
  playSaveAndReopen(*this, {}, PhraseSettings().normalisedParameters());
}

// LV2 control ports carry the parameters' own units: the same settings, converted.
TEST_F(ArdourTest, Lv2SessionFromAPresetPlaysNotesAndPlaysTheSameAfterReopening) {
#ifndef GW_LV2_BUNDLE
  GTEST_SKIP() << "no LV2 bundle was built (scripts/install-deps lv2)";
#else
  std::vector<std::pair<int, double>> params;
  for (const auto& [index, normalised] : PhraseSettings().normalisedParameters()) {
    params.push_back({index, gw::toInternal(index, static_cast<float>(normalised))});
  }
  playSaveAndReopen(*this, {"urn:tarnwell:glimmerwick", "01 Defaults"}, params);
#endif
}

}  // namespace
