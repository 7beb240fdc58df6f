#include "host/render/render.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "host/program_bank.h"
#include "host/render/parameters.h"
#include "params/parameter_ids.h"
#include "params/parameter_model.h"

namespace gw::render {
namespace {

// The fake module's right output is the number of held notes, constant per block; its
// left output is parameter 0, set to silence here.
class RenderWithFake : public testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    module_ = host::Module::load(GW_FAKE_MODULE, error);
    ASSERT_NE(module_, nullptr) << error;
    host::HostOptions options;
    options.sampleRate = 1000.0f;
    options.blockSize = 100;
    plugin_ = host::Plugin::create(*module_, error, options);
    ASSERT_NE(plugin_, nullptr) << error;
    plugin_->setParameter(0, 0.0f);
    settings_.sampleRate = 1000.0;
    settings_.blockSize = 100;
  }

  bool render(const Sequence& sequence, std::string& error) {
    left_.clear();
    right_.clear();
    auto sink = [this](const float* l, const float* r, std::int32_t n) {
      left_.insert(left_.end(), l, l + n);
      right_.insert(right_.end(), r, r + n);
      return true;
    };
    return renderSequence(*plugin_, sequence, settings_, sink, summary_, error);
  }

  std::unique_ptr<host::Module> module_;
  std::unique_ptr<host::Plugin> plugin_;
  RenderSettings settings_;
  RenderSummary summary_;
  std::vector<float> left_, right_;
};

Sequence oneNote(double offSeconds) {
  Sequence s;
  s.events.push_back({0.0, {0x90, 60, 100}, 3});
  if (offSeconds > 0) s.events.push_back({offSeconds, {0x80, 60, 0}, 3});
  s.endSeconds = 1.234;
  return s;
}

TEST_F(RenderWithFake, TailEndsAfterHalfASecondOfSilence) {
  std::string error;
  ASSERT_TRUE(render(oneNote(1.234), error)) << error;
  // The note-off falls in the block at 1200; five silent blocks later the tail is done.
  EXPECT_EQ(summary_.frames, 1700);
  EXPECT_FALSE(summary_.tailCapped);
  ASSERT_EQ(right_.size(), 1700u);
  EXPECT_EQ(right_[1199], 1.0f);
  EXPECT_EQ(right_[1200], 0.0f);
  EXPECT_EQ(summary_.levels[0].peak, 0.0f);
  EXPECT_EQ(summary_.levels[1].peak, 1.0f);
  EXPECT_NEAR(std::sqrt(summary_.levels[1].sumOfSquares / 1700.0), std::sqrt(1200.0 / 1700.0),
              1e-9);
  const std::string line = summaryLine("x.wav", summary_, 1000.0, SampleFormat::Float32);
  EXPECT_NE(line.find("1.70 s"), std::string::npos) << line;
  EXPECT_NE(line.find("peak L -inf R 0.0 dBFS"), std::string::npos) << line;
  EXPECT_NE(line.find("real time"), std::string::npos) << line;
}

// The gain scales what is written and measured; the tail still ends on the gained silence.
TEST_F(RenderWithFake, GainScalesTheOutputAndItsLevels) {
  settings_.gain = 0.25f;
  std::string error;
  ASSERT_TRUE(render(oneNote(1.234), error)) << error;
  EXPECT_EQ(summary_.frames, 1700);
  EXPECT_EQ(right_[1199], 0.25f);
  EXPECT_EQ(summary_.levels[1].peak, 0.25f);
  EXPECT_NE(summaryLine("x.wav", summary_, 1000.0, SampleFormat::Float32).find("R -12.0 dBFS"),
            std::string::npos);
}

TEST_F(RenderWithFake, AHungNoteStopsAtTheTailCap) {
  settings_.maxTailSeconds = 2.0;
  std::string error;
  ASSERT_TRUE(render(oneNote(0.0), error)) << error;
  EXPECT_EQ(summary_.frames, 3300);  // the first block end at or past 1.234 s + 2 s
  EXPECT_TRUE(summary_.tailCapped);
  EXPECT_NE(summaryLine("x.wav", summary_, 1000.0, SampleFormat::Pcm16).find("cap"),
            std::string::npos);
}

TEST_F(RenderWithFake, AFailingWriteStopsTheRender) {
  int blocks = 0;
  auto sink = [&blocks](const float*, const float*, std::int32_t) { return ++blocks < 3; };
  std::string error;
  EXPECT_FALSE(renderSequence(*plugin_, oneNote(1.0), settings_, sink, summary_, error));
  EXPECT_EQ(blocks, 3);
  EXPECT_FALSE(error.empty());
}

TEST(RenderParameters, FullNamesIndicesAndRefusals) {
  std::string error;
  EXPECT_EQ(findTableParameter("Filter Cutoff", error), param::kFilterCutoff);
  EXPECT_EQ(findTableParameter("velocity filter env amount", error), 157);  // past 15 chars
  EXPECT_EQ(findTableParameter("160", error), param::kCoarseTune);
  EXPECT_EQ(findTableParameter("180", error), -1);
  EXPECT_EQ(findTableParameter("u", error), -1);  // the reserved rows have no name to give
  EXPECT_NE(error.find("no parameter"), std::string::npos) << error;
  // The host's cut name starts two full names; a unique start is enough.
  EXPECT_EQ(findTableParameter("Velocity Filter", error), -1);
  EXPECT_NE(error.find("Velocity Filter Amount, Velocity Filter Env Amount"), std::string::npos)
      << error;
  EXPECT_EQ(findTableParameter("velocity filter e", error), 157);
  EXPECT_EQ(findTableParameter("Attack", error), param::kAttack);  // whole, though it starts others

  ParameterChange change;
  ASSERT_TRUE(resolveOwnUnits({"Filter Cutoff", "774.6", false}, change, error)) << error;
  EXPECT_NEAR(change.normalised, 0.5f, 1e-4f);  // the geometric middle of 50..12000 Hz
  ASSERT_TRUE(resolveOwnUnits({"Env Select 1", "2", false}, change, error));
  EXPECT_NEAR(change.normalised, 2.0f / 3.0f, 1e-6f);
  ASSERT_TRUE(resolveOwnUnits({"Modulation On/Off", "on", false}, change, error));
  EXPECT_EQ(change.normalised, 1.0f);
  EXPECT_FALSE(resolveOwnUnits({"Filter Cutoff", "20000", false}, change, error));
  EXPECT_NE(error.find("50 to 12000 Hz"), std::string::npos) << error;
  EXPECT_FALSE(resolveOwnUnits({"Fine Tune", "lots", false}, change, error));
  EXPECT_FALSE(resolveOwnUnits({"39", "0", false}, change, error));  // unused row
}

// Every name --info prints is taken back by --set, and so is every word a parameter shows,
// meaning the value it is shown for.
TEST(RenderParameters, EveryNameAndEveryShownWordRoundTrips) {
  std::string error;
  for (int i = 0; i < param::kCount; ++i) {
    if (isInert(i)) continue;
    EXPECT_EQ(findTableParameter(kParameterTable[i].name, error), i) << error;
    const auto words = valueWords(i);
    for (const auto& [word, value] : words) {
      ParameterChange change;
      ASSERT_TRUE(resolveOwnUnits({kParameterTable[i].name, word, false}, change, error)) << error;
      EXPECT_EQ(change.index, i);
      // A word shown for two values ("Thru" at both ends of Filter Type) means the first.
      const auto first =
          std::find_if(words.begin(), words.end(), [&](const auto& w) { return w.first == word; });
      EXPECT_EQ(toInternal(i, change.normalised), first->second)
          << kParameterTable[i].name << "=" << word;
    }
  }
  ParameterChange change;
  ASSERT_TRUE(resolveOwnUnits({"Filter Type", "low", false}, change, error)) << error;
  EXPECT_EQ(toInternal(param::kFilterType, change.normalised), 1.0f);
  // "10" is what LFO Multiplier shows for its second value, not the number 10.
  ASSERT_TRUE(resolveOwnUnits({"LFO 1 Multiplier", "10", false}, change, error)) << error;
  EXPECT_EQ(toInternal(param::lfoMultiplier(1), change.normalised), 1.0f);
  EXPECT_FALSE(resolveOwnUnits({"Filter Type", "Lowish", false}, change, error));
  EXPECT_EQ(error,
            "--set 'Filter Type=Lowish': Filter Type (141) takes a number from 0 to 4 or "
            "one of Thru, Low, Band, High, not 'Lowish'");
}

TEST_F(RenderWithFake, ProgramsAndNormalisedValuesOfAnyModule) {
  int program = -1;
  std::string error;
  EXPECT_TRUE(host::findProgram("deep bass", *plugin_, program, error));
  EXPECT_EQ(program, 2);
  EXPECT_TRUE(host::findProgram("Deep", *plugin_, program, error));  // a unique start
  EXPECT_EQ(program, 2);
  // Numbered from 1, as every tool and the LV2 presets count.
  EXPECT_TRUE(host::findProgram("1", *plugin_, program, error));
  EXPECT_EQ(program, 0);
  EXPECT_TRUE(host::findProgram("3", *plugin_, program, error));
  EXPECT_EQ(program, 2);
  EXPECT_FALSE(host::findProgram("0", *plugin_, program, error));
  EXPECT_FALSE(host::findProgram("4", *plugin_, program, error));
  EXPECT_EQ(error,
            "--program takes a number from 1 to 3 or a program's name (--info lists them), "
            "not '4'");
  EXPECT_FALSE(host::findProgram("Shimmer", *plugin_, program, error));

  std::vector<ParameterChange> changes;
  ASSERT_TRUE(
      resolveParameters({{"gain", "0.25", true}, {"1", "1", true}}, *plugin_, changes, error))
      << error;
  ASSERT_EQ(changes.size(), 2u);
  EXPECT_EQ(changes[0].index, 0);
  EXPECT_EQ(changes[0].normalised, 0.25f);
  EXPECT_FALSE(resolveParameters({{"Gain", "1.5", true}}, *plugin_, changes, error));
  EXPECT_FALSE(resolveParameters({{"2", "0", true}}, *plugin_, changes, error));
  // Own units need our table, which does not describe this module.
  EXPECT_FALSE(resolveParameters({{"Gain", "0.5", false}}, *plugin_, changes, error));
}

}  // namespace
}  // namespace gw::render
