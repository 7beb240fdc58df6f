// Ardour 7 loads the module as it would on a user's machine: its scanner indexes the
// module, a headless session plays notes through it into an exported WAV, and the saved
// session, re-opened in a fresh Ardour, restores the instrument and plays the same. The
// LV2 bundle goes the same way, found by its URI and started from a factory preset.
// Built with GW_INSTALLED_PREFIX (tests/package), the same runs take the module and the
// bundle the Debian package installed, found on Ardour's own default paths: no path
// variable and no copy.
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
#include "tests/hosts/ardour_fixture.h"
#include "tests/hosts/child_process.h"
#include "tests/hosts/phrase_check.h"

namespace fs = std::filesystem;
using namespace gw::test;

namespace {

constexpr char kPresetUuid[] = "b7e2c4a1-5d6f-4e8a-9b0c-1d2e3f405162";
constexpr double kSessionSeconds = 4.0;
constexpr double kSecondsPerBeat = 0.5;  // a new session's 120 BPM

struct BeatNote {
  double start, length;
  int key, velocity;
};
const std::vector<BeatNote> kPhrase = {{1, 1.5, 57, 100}, {3, 1, 69, 64}, {5, 1.5, 76, 127}};

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
  if (pluginArgs.empty()) {
    // The module Ardour found on its path is the one the test put there (or installed).
    EXPECT_NE(created.output.find(" " + test.module().string() + "\n"), std::string::npos)
        << created.output;
  } else {
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
