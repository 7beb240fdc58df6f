// The designed factory programs (2 to 31) heard side by side: the demo phrase at 0 dB
// gain measured by EBU R 128 must put each within 2 LU of their median loudness with
// its true peak at -1 dBTP or below, and every single note of the 88-key range at full
// velocity, held 2 s and released, must stay under full scale. "Defaults" and "Simple
// Pad" keep the values they are given and are not levelled.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "host/render/loudness.h"
#include "host/render/phrase.h"
#include "host/render/render.h"
#include "tests/module/module_fixture.h"

namespace gw {
namespace {

constexpr int kFirstDesigned = 2;
constexpr int kPrograms = 32;
// The phrase at the demo's rate, so the figures are the demo's; the sweep at half of it,
// where a single voice's peak is the same within a few hundredths of a dB.
constexpr double kPhraseRate = 44100.0;
constexpr double kSweepRate = 44100.0;
constexpr int kLowestKey = 21, kHighestKey = 108;
constexpr double kHoldSeconds = 2.0;

struct ProgramLevels {
  std::string name;
  double lufs = 0.0;
  double truePeakDb = 0.0;
  double sweepPeakDb = 0.0;  // the loudest single note's sample peak
  int loudestKey = 0;
};

double toDb(double linear) {
  return 20.0 * std::log10(linear);
}

render::RenderSettings settingsAt(double rate) {
  render::RenderSettings settings;
  settings.sampleRate = rate;
  settings.maxTailSeconds = 10.0;
  return settings;
}

void measurePhrase(host::Plugin& plugin, ProgramLevels& levels) {
  const render::Sequence phrase = render::builtInPhrase();
  render::LoudnessMeter meter;
  std::string error;
  ASSERT_TRUE(meter.start(kPhraseRate, error)) << error;
  render::RenderSummary summary;
  const auto sink = [&](const float* l, const float* r, std::int32_t n) {
    meter.add(l, r, n);
    return true;
  };
  ASSERT_TRUE(render::renderSequence(plugin, phrase, settingsAt(kPhraseRate), sink, summary, error))
      << error;
  levels.lufs = meter.integratedLufs();
  levels.truePeakDb = toDb(meter.truePeak());
}

void measureSweep(host::Plugin& plugin, ProgramLevels& levels) {
  render::RenderSettings settings = settingsAt(kSweepRate);
  // Only the peak matters here: a short silence ends each note's tail.
  settings.silenceSeconds = 0.05;
  const auto sink = [](const float*, const float*, std::int32_t) { return true; };
  float loudest = 0.0f;
  for (int key = kLowestKey; key <= kHighestKey; ++key) {
    render::Sequence note;
    note.events.push_back({0.0, {0x90, static_cast<std::uint8_t>(key), 127}, 3});
    note.events.push_back({kHoldSeconds, {0x80, static_cast<std::uint8_t>(key), 0}, 3});
    note.endSeconds = kHoldSeconds;
    render::RenderSummary summary;
    std::string error;
    ASSERT_TRUE(render::renderSequence(plugin, note, settings, sink, summary, error)) << error;
    ASSERT_EQ(summary.levels[0].nonFinite + summary.levels[1].nonFinite, 0) << key;
    const float peak = std::max(summary.levels[0].peak, summary.levels[1].peak);
    if (peak > loudest) {
      loudest = peak;
      levels.loudestKey = key;
    }
  }
  levels.sweepPeakDb = toDb(loudest);
}

ProgramLevels measureProgram(int program) {
  ProgramLevels levels;
  host::HostOptions options;
  options.sampleRate = static_cast<float>(kPhraseRate);
  auto plugin = test::createPlugin(options);
  if (!plugin) return levels;
  plugin->dispatch(vst::effSetProgram, 0, program);
  levels.name = plugin->programName();
  measurePhrase(*plugin, levels);
  // A fresh instance: nothing of the phrase may ring into the first note.
  options.sampleRate = static_cast<float>(kSweepRate);
  plugin = test::createPlugin(options);
  if (!plugin) return levels;
  plugin->dispatch(vst::effSetProgram, 0, program);
  measureSweep(*plugin, levels);
  return levels;
}

// Every designed program, measured once per process on two threads (the CI machine's
// cores), and printed as the table the demo shows.
const std::vector<ProgramLevels>& designedLevels() {
  static const std::vector<ProgramLevels> all = [] {
    std::vector<ProgramLevels> levels(kPrograms - kFirstDesigned);
    std::atomic<int> next{0};
    const auto work = [&] {
      for (int i; (i = next.fetch_add(1, std::memory_order_relaxed)) < int(levels.size());)
        levels[i] = measureProgram(kFirstDesigned + i);
    };
    std::thread helper(work);
    work();
    helper.join();
    std::printf("%3s  %-20s %7s %7s %12s\n", "#", "name", "LUFS", "dBTP", "sweep dBFS");
    for (std::size_t i = 0; i < levels.size(); ++i) {
      const ProgramLevels& l = levels[i];
      std::printf("%3zu  %-20s %7.1f %7.1f %7.1f (%d)\n", kFirstDesigned + i, l.name.c_str(),
                  l.lufs, l.truePeakDb, l.sweepPeakDb, l.loudestKey);
    }
    return levels;
  }();
  return all;
}

double medianLoudness(const std::vector<ProgramLevels>& levels) {
  std::vector<double> lufs;
  for (const ProgramLevels& l : levels) lufs.push_back(l.lufs);
  std::sort(lufs.begin(), lufs.end());
  const std::size_t n = lufs.size();
  return n % 2 ? lufs[n / 2] : (lufs[n / 2 - 1] + lufs[n / 2]) / 2.0;
}

TEST(FactoryLevels, DesignedProgramsSitWithinTwoLuOfTheirMedianOnThePhrase) {
  const auto& levels = designedLevels();
  const double median = medianLoudness(levels);
  RecordProperty("median_lufs", std::to_string(median));
  for (const ProgramLevels& l : levels) EXPECT_NEAR(l.lufs, median, 2.0) << l.name;
}

TEST(FactoryLevels, NoDesignedProgramsTruePeakOnThePhraseIsAboveMinusOneDbtp) {
  for (const ProgramLevels& l : designedLevels()) EXPECT_LE(l.truePeakDb, -1.0) << l.name;
}

TEST(FactoryLevels, EverySingleNoteOfTheKeyboardStaysUnderFullScale) {
  for (const ProgramLevels& l : designedLevels())
    EXPECT_LT(l.sweepPeakDb, 0.0) << l.name << ", key " << l.loudestKey;
}

}  // namespace
}  // namespace gw
