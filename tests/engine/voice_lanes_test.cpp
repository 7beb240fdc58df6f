// The voice loop runs several voices side by side in vector lanes, four with SSE2 and
// eight with AVX. Its samples must not depend on the width, on how the voices fall into
// groups or on where segments, retirements and steals fall inside a block: the AVX build
// gives the SSE2 samples exactly, the AVX2 build with fused multiply-adds within 100 dB
// SNR of them. The wide builds must only be chosen where the processor and the operating
// system support them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "audio_measure.h"
#include "engine/voice_items.h"
#include "engine/voice_render.h"
#include "instruction_sets.h"
#include "test_program.h"

namespace gw {
namespace {

using test::send;

// With GW_ENGINE_PLAIN_INSTRUCTIONS set, the whole engine suite runs on the SSE2 path
// (ctest runs it that way too), so every listener test holds for both paths.
class PlainInstructionsEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (std::getenv("GW_ENGINE_PLAIN_INSTRUCTIONS") != nullptr)
      useInstructions(InstructionSet::kSse2);
  }
};
const ::testing::Environment* const kPlainEnvironment =
    ::testing::AddGlobalTestEnvironment(new PlainInstructionsEnvironment);

using test::defaultLimit;
using test::snrDb;
using test::usableSets;

InstructionSet usableHere() {
  return usableInstructions(processorFeatures());
}

const char* nameOf(InstructionSet set) {
  return set == InstructionSet::kSse2 ? "SSE2" : set == InstructionSet::kAvx ? "AVX" : "AVX2+FMA";
}

TEST(WideInstructions, ChosenOnlyWithProcessorAndOperatingSystemSupport) {
  ProcessorFeatures f;
  f.avx = true;
  f.osxsave = true;
  f.xcr0 = 0x7;  // x87, SSE and AVX state saved
  EXPECT_EQ(usableInstructions(f), InstructionSet::kAvx);
  f.avx2 = true;
  EXPECT_EQ(usableInstructions(f), InstructionSet::kAvx);  // no FMA
  f.fma = true;
  EXPECT_EQ(usableInstructions(f), InstructionSet::kAvx2Fma);
  f.xcr0 = 0x3;  // an OS that does not save the upper halves
  EXPECT_EQ(usableInstructions(f), InstructionSet::kSse2);
  f.xcr0 = 0x5;
  EXPECT_EQ(usableInstructions(f), InstructionSet::kSse2);
  f.xcr0 = 0x7;
  f.osxsave = false;  // XGETBV itself unavailable
  EXPECT_EQ(usableInstructions(f), InstructionSet::kSse2);
  f.osxsave = true;
  f.avx = false;
  EXPECT_EQ(usableInstructions(f), InstructionSet::kSse2);

  EXPECT_EQ(useInstructions(InstructionSet::kSse2), InstructionSet::kSse2);
  EXPECT_EQ(useInstructions(InstructionSet::kAvx), std::min(InstructionSet::kAvx, usableHere()));
  EXPECT_EQ(useInstructions(InstructionSet::kAvx2Fma), usableHere());
  useInstructions(defaultLimit());
}

// The busy setting with the effect on.
void makeBusyWithEffect(test::TestProgram& p) {
  test::makeBusy(p);
  p.set(param::kModulationOnOff, 1.0f);
  p.set(param::kModulationVoices, 4.0f);
  p.set(param::kModulationSweep, 5.0f);
  p.set(param::kModulationFeedback, 30.0f);
}

struct Played {
  std::vector<float> left, right;
  int mostVoices = 0;
  int retired = 0;  // voices that ended inside the playing
};

// Forty different notes, shifted a little in each round.
int noteOf(int v, int round) {
  return 24 + (v * 37 + round * 5) % 80;
}

// Rounds of chords on overlapping notes (more notes than voices steal), each partly
// released so that voices retire while others sound.
Played playRounds(InstructionSet set, int notes, int block) {
  useInstructions(set);
  test::TestProgram program;
  makeBusyWithEffect(program);
  auto engine = test::makeEngine();
  Played played;
  auto take = [&](int frames) {
    const int before = engine->voiceCount();
    const auto out = test::render(*engine, program, 44100.0f, frames, block);
    played.left.insert(played.left.end(), out.left.begin(), out.left.end());
    played.right.insert(played.right.end(), out.right.begin(), out.right.end());
    played.retired += std::max(0, before - engine->voiceCount());
  };
  for (int round = 0; round < 3; ++round) {
    for (int v = 0; v < notes; ++v)
      if ((v + round) % 5 != 1) send(*engine, 0x90, noteOf(v, round), 20 + v * 2);
    played.mostVoices = std::max(played.mostVoices, engine->voiceCount());
    take(2000);
    played.mostVoices = std::max(played.mostVoices, engine->voiceCount());
    for (int v = 0; v < notes; v += 2) send(*engine, 0x80, noteOf(v, round), 0);
    take(900);
  }
  useInstructions(defaultLimit());
  return played;
}

class PathAgreement : public ::testing::TestWithParam<std::tuple<int, int>> {};

// AVX: sample-for-sample equality, the same IEEE operations lane by lane. AVX2 with FMA:
// within 100 dB SNR, on each channel.
TEST_P(PathAgreement, WideEqualsPlainAcrossVoiceCountsAndBlockSizes) {
  const auto [notes, block] = GetParam();
  const Played plain = playRounds(InstructionSet::kSse2, notes, block);
  EXPECT_GT(test::peak(plain.left, 0, plain.left.size()), 0.01f);
  EXPECT_GT(plain.retired, 0);
  if (notes > SynthEngine::kMaxVoices) {
    EXPECT_EQ(plain.mostVoices, SynthEngine::kMaxVoices);
  }
  for (InstructionSet set : usableSets()) {
    if (set == InstructionSet::kSse2) continue;
    const Played wide = playRounds(set, notes, block);
    ASSERT_EQ(wide.left.size(), plain.left.size());
    if (set == InstructionSet::kAvx) {
      for (size_t i = 0; i < plain.left.size(); ++i) {
        ASSERT_EQ(wide.left[i], plain.left[i]) << "left sample " << i;
        ASSERT_EQ(wide.right[i], plain.right[i]) << "right sample " << i;
      }
    } else {
      EXPECT_TRUE(test::allFinite(wide.left) && test::allFinite(wide.right));
      EXPECT_GE(snrDb(plain.left, wide.left), 100.0) << nameOf(set);
      EXPECT_GE(snrDb(plain.right, wide.right), 100.0) << nameOf(set);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(VoicesAndBlocks, PathAgreement,
                         ::testing::Combine(::testing::Values(1, 2, 3, 5, 8, 9, 13, 32, 40),
                                            ::testing::Values(1, 64, 256, 1000)));

// With the upper harmonics silent the loop sums fewer lane groups; each count is its own
// code path on the AVX side.
TEST(PathAgreementByHarmonics, WideEqualsPlainWithFewerSoundingGroups) {
  for (int top : {0, 3, 6, 10}) {
    test::TestProgram program;
    for (int k = 1; k <= 16; ++k) {
      program.set(param::level(k), k <= top ? (k % 2 ? 0.8f : -0.6f) / k : 0.0f);
      program.set(param::envSelect(k), static_cast<float>(k % 4));
    }
    for (int k = 1; k <= 4; ++k) program.set(param::lfoAmount(k), 0.5f);
    program.set(param::kPwLfoAmount, 0.2f);
    program.set(param::kFilterType, 2.5f);
    auto play = [&](InstructionSet set) {
      useInstructions(set);
      auto engine = test::makeEngine();
      for (int n : {45, 60, 76}) send(*engine, 0x90, n, 100);
      return test::render(*engine, program, 48000.0f, 6000, 250).left;
    };
    const auto plain = play(InstructionSet::kSse2);
    for (InstructionSet set : usableSets()) {
      if (set == InstructionSet::kAvx) {
        EXPECT_EQ(play(set), plain) << top << " harmonics";
      } else if (set == InstructionSet::kAvx2Fma && top > 0) {
        EXPECT_GE(snrDb(plain, play(set)), 100.0) << top << " harmonics";
      }
    }
  }
  useInstructions(defaultLimit());
}

// A voice sounds the same whether it shares its lane group with others or plays alone:
// the group's output is the voices' own outputs added in index order. Eleven voices
// leave partly filled groups at both widths.
TEST(VoiceLanes, VoicesInOneGroupDoNotInfluenceEachOther) {
  const int notes[] = {33, 40, 47, 52, 58, 61, 66, 70, 77, 81, 90};
  for (InstructionSet set : usableSets()) {
    useInstructions(set);
    test::TestProgram program;
    makeBusyWithEffect(program);
    program.set(param::kModulationOnOff, 0.0f);  // the effect mixes the sum, not the voices
    auto play = [&](std::vector<int> chord) {
      auto engine = test::makeEngine();
      for (size_t k = 0; k < chord.size(); ++k) send(*engine, 0x90, chord[k], 40 + 7 * k);
      auto out = test::render(*engine, program, 44100.0f, 1500, 173).left;
      // Release half-way through, so that the release segments run too.
      for (int n : chord) send(*engine, 0x80, n, 0);
      const auto tail = test::render(*engine, program, 44100.0f, 800, 173).left;
      out.insert(out.end(), tail.begin(), tail.end());
      return out;
    };
    const std::vector<int> chord(std::begin(notes), std::end(notes));
    const auto together = play(chord);
    std::vector<float> sum(together.size(), 0.0f);
    for (size_t k = 0; k < chord.size(); ++k) {
      auto engine = test::makeEngine();
      // Each voice alone, with the velocity it had in the chord.
      send(*engine, 0x90, chord[k], 40 + 7 * k);
      auto alone = test::render(*engine, program, 44100.0f, 1500, 173).left;
      send(*engine, 0x80, chord[k], 0);
      const auto tail = test::render(*engine, program, 44100.0f, 800, 173).left;
      alone.insert(alone.end(), tail.begin(), tail.end());
      for (size_t i = 0; i < sum.size(); ++i) sum[i] += alone[i];
    }
    for (size_t i = 0; i < sum.size(); ++i)
      ASSERT_EQ(together[i], sum[i]) << nameOf(set) << " sample " << i;
  }
  useInstructions(defaultLimit());
}

// The organ through an undamped band-pass filter, whose output is the resonance itself:
// a note on the cutoff drives it without bound but for the integrators' limit.
void makeUndamped(test::TestProgram& p, float cutoff) {
  p.makeOrgan();
  p.set(param::kFilterQ, 1.0f);
  p.set(param::kFilterType, 2.0f);
  p.set(param::kFilterCutoff, cutoff);
}

// Every layout runs its filter without the limits and checks afterwards that they would
// have changed nothing, running the samples again with them where they would. Driven at
// its resonance, an undamped filter runs into them, and a voice alone must still sound as
// it does in a full group and in a group of three (the eight-lane builds' narrow layout).
TEST(VoiceLanes, AVoiceAloneAtItsFilterLimitSoundsAsInAGroup) {
  for (const std::vector<int>& chord :
       {std::vector<int>{93, 45, 52, 57, 64, 76, 81, 88}, std::vector<int>{93, 57, 76}})
    for (InstructionSet set : usableSets()) {
      useInstructions(set);
      test::TestProgram program;
      makeUndamped(program, 1760.0f);
      bool limited = false;  // the lone voice at the cutoff swung up to the limit
      auto play = [&](const std::vector<int>& notes) {
        auto engine = test::makeEngine();
        for (int n : notes) send(*engine, 0x90, n, 127);
        std::vector<float> out;
        for (int b = 0; b < 200; ++b) {
          const auto block = test::render(*engine, program, 44100.0f, 1000, 1000).left;
          out.insert(out.end(), block.begin(), block.end());
          const Voice& v = engine->voice(0);
          if (notes.size() == 1 && notes[0] == 93)
            limited |= std::max(std::fabs(v.filterBand), std::fabs(v.filterLow)) >=
                       0.98f * kFilterStateLimit;
        }
        return out;
      };
      const auto together = play(chord);
      std::vector<float> sum(together.size(), 0.0f);
      for (int n : chord) {
        const auto alone = play({n});
        for (size_t i = 0; i < sum.size(); ++i) sum[i] += alone[i];
      }
      EXPECT_TRUE(limited) << nameOf(set);
      for (size_t i = 0; i < sum.size(); ++i)
        ASSERT_EQ(together[i], sum[i]) << nameOf(set) << " sample " << i;
    }
  useInstructions(defaultLimit());
}

// An undamped filter driven at its own resonance grows until its integrators reach their
// limit, on every path, and stays finite there.
TEST(VoiceLanes, UndampedFilterStaysBoundedOnEveryPath) {
  for (InstructionSet set : usableSets()) {
    useInstructions(set);
    test::TestProgram program;
    makeUndamped(program, 440.0f);
    auto engine = test::makeEngine();
    send(*engine, 0x90, 69, 127);  // 440 Hz, right on the cutoff
    const auto out = test::render(*engine, program, 44100.0f, 44100 * 20, 512).left;
    EXPECT_TRUE(test::allFinite(out)) << nameOf(set);
    const Voice& v = engine->voice(0);
    EXPECT_LE(std::fabs(v.filterLow), kFilterStateLimit);
    EXPECT_LE(std::fabs(v.filterBand), kFilterStateLimit);
  }
  useInstructions(defaultLimit());
}

// A group's filter runs without its integrators' limits and checks them after each run;
// a run in which a lane left them runs again with them. Either way each voice's samples
// are the limited filter's, step by step: here three voices, the middle one driven far
// past the limit part-way through the run, the others quiet, the fourth lane empty.
TEST(GroupFilter, ARunThatLeavesTheLimitGivesTheLimitedSamples) {
  constexpr int kCount = 3, kN = 64;
  alignas(16) float x[kN * kCount + 4] = {}, coef[kN * 4] = {}, amp[kN * 4] = {};
  alignas(16) float y[kN * 4], out[kN] = {};
  for (int i = 0; i < kN; ++i) {
    for (int v = 0; v < kCount; ++v) {
      x[i * kCount + v] = v == 1 ? 9000.0f : 0.25f * std::sin(0.3f * i + v);
      coef[i * 4 + v] = 0.2f + 0.05f * v;
      amp[i * 4 + v] = 0.5f;
    }
  }
  const FilterWeights mix{0.1f, 0.5f, 0.3f, 0.2f};
  SvfState<Float4> state{};
  const FilterJob job{x, coef, amp, y, out, kN};
  filterJob<false>(state, Float4(), TypeWeights<Float4>(mix), job, kCount);

  float reference[kN] = {};
  bool reached = false;
  for (int v = 0; v < kCount; ++v) {
    SvfState<float> s{0.0f, 0.0f, 0.0f};
    for (int i = 0; i < kN; ++i) {
      const float yv =
          filterSample(s, x[i * kCount + v], coef[i * 4 + v], 0.0f, TypeWeights<float>(mix)) *
          amp[i * 4 + v];
      reference[i] += yv;
      reached = reached || std::fabs(s.low) == kFilterStateLimit;
    }
  }
  ASSERT_TRUE(reached) << "the drive must reach the limit";
  for (int i = 0; i < kN; ++i) ASSERT_EQ(out[i], reference[i]) << "sample " << i;
  EXPECT_EQ(state.low.lane(3), 0.0f);  // the empty lane
}

}  // namespace
}  // namespace gw
