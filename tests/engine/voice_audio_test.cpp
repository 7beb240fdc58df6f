// What a listener hears from single notes: pitch, level, envelope timing, LFO motion.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <numbers>
#include <tuple>

#include "audio_measure.h"
#include "engine/float4.h"
#include "engine/lfo.h"
#include "engine/voice_render.h"
#include "test_program.h"

namespace gw {
namespace {

using test::send;

double noteHz(int note) {
  return 440.0 * std::pow(2.0, (note - 69) / 12.0);
}

// The oscillator's own sine at sample i of a voice started at phase 0.
double carrier(int note, double sr, size_t i) {
  const double inc = static_cast<float>(noteHz(note) / sr);
  return std::sin(2.0 * std::numbers::pi * inc * i);
}

// The gain applied to the carrier, read where the carrier is strong.
std::vector<std::pair<size_t, double>> demodulate(const std::vector<float>& x, int note,
                                                  double sr) {
  std::vector<std::pair<size_t, double>> out;
  for (size_t i = 0; i < x.size(); ++i) {
    const double c = carrier(note, sr, i);
    if (std::fabs(c) > 0.8) out.emplace_back(i, x[i] / c);
  }
  return out;
}

class PureSine : public ::testing::TestWithParam<std::tuple<int, float>> {};

TEST_P(PureSine, ProgramZeroPlaysTheNoteFrequency) {
  const auto [note, sr] = GetParam();
  test::TestProgram program;
  program.makeOrgan();
  auto engine = test::makeEngine();
  send(*engine, 0x90, note, 127);
  const int frames = static_cast<int>(sr);
  const auto out = test::render(*engine, program, sr, frames);
  const double f = test::zeroCrossingFrequency(out.left, sr, frames / 10, frames);
  EXPECT_NEAR(f, noteHz(note), noteHz(note) * 2e-5);
  EXPECT_NEAR(test::peak(out.left, frames / 2, frames), 1.0f, 2e-3f);
  EXPECT_LT(test::toneAmplitude(out.left, sr, 2 * noteHz(note), frames / 2, frames), 1e-4);
  EXPECT_EQ(out.left, out.right);
}

INSTANTIATE_TEST_SUITE_P(NotesAndRates, PureSine,
                         ::testing::Combine(::testing::Values(33, 60, 69, 93),
                                            ::testing::Values(44100.0f, 48000.0f, 96000.0f)));

TEST(VoiceLevel, VolumeIsCubedAndNegativeLevelsInvert) {
  test::TestProgram program;
  program.makeOrgan();
  auto play = [&] {
    auto engine = test::makeEngine();
    send(*engine, 0x90, 69, 127);
    return test::render(*engine, program, 44100.0f, 4410).left;
  };
  const auto full = play();
  program.set(param::kVolume, 0.5f);
  EXPECT_NEAR(test::peak(play(), 100, 4410), 0.125f, 1e-4f);
  program.set(param::kVolume, 1.0f);
  program.set(param::level(1), -1.0f);
  const auto inverted = play();
  for (size_t i = 0; i < full.size(); ++i) ASSERT_EQ(inverted[i], -full[i]);
}

TEST(VoiceLevel, PulseWidthQuarterPutsTheFirstHalfCycleIntoTheFirstQuarterPeriod) {
  test::TestProgram program;
  program.makeOrgan();
  program.set(param::kPulseWidth, 0.25f);
  auto engine = test::makeEngine();
  send(*engine, 0x90, 45, 127);  // 110 Hz: 400.9 samples per period
  const auto out = test::render(*engine, program, 44100.0f, 44100).left;
  // Upward crossings one period apart, downward crossing a quarter period after each.
  const double period = 44100.0 / 110.0;
  int up = -1, down = -1;
  for (int i = 4000; i < 8000 && down < 0; ++i) {
    if (up < 0 && out[i - 1] < 0.0f && out[i] >= 0.0f) up = i;
    if (up >= 0 && out[i - 1] > 0.0f && out[i] <= 0.0f) down = i;
  }
  ASSERT_GT(down, up);
  EXPECT_NEAR(down - up, period / 4, 2.0);
}

TEST(AmpEnvelope, StraightAttackAndReleaseLastTheirTimeInSamples) {
  test::TestProgram program;
  program.set(param::kAttack, 0.01f);  // 441 samples
  program.set(param::kAttackShape, 1.0f);
  program.set(param::kSustain, 1.0f);
  program.set(param::kVelocityEnvAmount, 0.0f);
  program.set(param::kRelease, 0.1f);  // 4410 samples
  program.set(param::kReleaseShape, 1.0f);
  auto engine = test::makeEngine();
  send(*engine, 0x90, 69, 127);
  const auto attack = test::render(*engine, program, 44100.0f, 2048, 2048).left;
  for (const auto& [i, gain] : demodulate(attack, 69, 44100.0)) {
    const double expected = i < 441 ? (i + 1) / 441.0 : 1.0;
    ASSERT_NEAR(gain, expected, 2e-3) << "sample " << i;
  }
  send(*engine, 0x80, 69, 0);
  const auto release = test::render(*engine, program, 44100.0f, 8192, 8192).left;
  EXPECT_GT(test::peak(release, 4000, 4405), 0.002f);
  // Rests where the release ended: 0 up to the float rounding of 4410 steps.
  EXPECT_LT(test::peak(release, 4410, 8192), 1e-4f);
  EXPECT_EQ(engine->voiceCount(), 0);
}

TEST(AmpEnvelope, VelocityScalesThePeakEitherWay) {
  test::TestProgram program;
  program.makeOrgan();
  for (float amount : {1.0f, -1.0f}) {
    program.set(param::kVelocityEnvAmount, amount);
    auto engine = test::makeEngine();
    send(*engine, 0x90, 69, 32);
    const auto out = test::render(*engine, program, 44100.0f, 4410).left;
    const float v = 32 * kVelocityScale;
    EXPECT_NEAR(test::peak(out, 100, 4410), amount > 0 ? v : 1.0f - v, 1e-3f);
  }
}

TEST(AmpEnvelope, SustainKnobMovesHeldNotesAtTheNextBlock) {
  test::TestProgram program;
  program.makeOrgan();
  auto engine = test::makeEngine();
  send(*engine, 0x90, 69, 127);
  test::render(*engine, program, 44100.0f, 512);
  program.set(param::kSustain, 0.25f);
  const auto out = test::render(*engine, program, 44100.0f, 512).left;
  EXPECT_NEAR(test::peak(out, 0, 512), 0.25f, 1e-3f);
}

TEST(HarmonicEnvelope, ReleaseTimeFiveHoldsUntilTheVoiceEnds) {
  test::TestProgram program;
  program.makeOrgan();
  program.set(param::kRelease, 0.5f);
  program.set(param::kReleaseShape, 1.0f);
  program.set(param::envSelect(1), 1.0f);
  program.set(param::envLevelR1(1), 0.5f);
  program.set(param::envTimeR1(1), 0.0f);
  program.set(param::envTimeR2(1), 5.0f);
  auto engine = test::makeEngine();
  send(*engine, 0x90, 69, 127);
  auto out = test::render(*engine, program, 44100.0f, 1024, 1024).left;
  send(*engine, 0x80, 69, 0);
  const auto tail = test::render(*engine, program, 44100.0f, 22000, 22000).left;
  out.insert(out.end(), tail.begin(), tail.end());
  // Gain after the note-off: the held Env 1 level 0.5 times the straight amplitude release.
  for (const auto& [i, gain] : demodulate(out, 69, 44100.0)) {
    if (i < 1026) continue;
    const double amp = 1.0 - (i - 1024 + 1) / 22050.0;
    ASSERT_NEAR(gain, 0.5 * amp, 2e-3) << "sample " << i;
  }
  EXPECT_EQ(engine->voice(0).harmonicEnvelope[0].level, 0.5f);
  EXPECT_EQ(engine->voice(0).harmonicEnvelope[0].stage, 1);
}

TEST(VoiceLfo, RatesMultiplierCapAndKeyboardTracking) {
  test::TestProgram program;
  program.set(param::lfoSpeed(2), 100.0f);
  program.set(param::lfoMultiplier(2), 2.0f);
  program.set(param::lfoSpeed(1), 3.0f);
  program.set(param::lfoMultiplier(1), 0.5f);
  const Float4 inc = voiceLfoIncrements(program.view(), 44100.0f);
  EXPECT_FLOAT_EQ(inc.lane(1), 30.0f * 0.5f / 44100.0f);
  // 10 kHz: 2·sin(π·f/sr); an octave higher through keyboard tracking it is held at a
  // quarter of the rate: 2·sin(π/4).
  EXPECT_NEAR(voiceLfoCoefficients(inc, 0.0, program.view()).lane(2),
              2.0 * std::sin(std::numbers::pi * 10000.0 / 44100.0), 2e-6);
  program.set(param::lfoKbTrack(2), 1.0f);
  EXPECT_NEAR(voiceLfoCoefficients(inc, 1.0, program.view()).lane(2), std::sqrt(2.0), 2e-6);
  EXPECT_EQ(lfoMultiplierFactor(0.0f), 1.0f);
  EXPECT_EQ(lfoMultiplierFactor(1.0f), 10.0f);
  EXPECT_EQ(lfoMultiplierFactor(1.5f), 100.0f);
  EXPECT_EQ(lfoMultiplierFactor(1e30f), 1e12f);
}

// LFO 4 as the only gain of a "None" harmonic: the carrier swings with the LFO.
double heardLfoRate(int note, float kbTrack) {
  test::TestProgram program;
  program.makeOrgan();
  program.set(param::lfoSpeed(4), 4.0f);
  program.set(param::lfoAmount(4), 1.0f);
  program.set(param::lfoOffset(4), 0.0f);
  program.set(param::lfoKbTrack(4), kbTrack);
  auto engine = test::makeEngine();
  send(*engine, 0x90, note, 127);
  const auto out = test::render(*engine, program, 44100.0f, 88200).left;
  const auto gains = demodulate(out, note, 44100.0);
  std::vector<float> trace(out.size(), 0.0f);
  double first = -1, last = -1;
  int crossings = 0;
  for (size_t k = 1; k < gains.size(); ++k) {
    if (gains[k - 1].second < 0 && gains[k].second >= 0 && gains[k].first > 2000) {
      const double t = 0.5 * (gains[k - 1].first + gains[k].first);
      if (first < 0) first = t;
      last = t;
      ++crossings;
    }
  }
  return crossings > 1 ? (crossings - 1) * 44100.0 / (last - first) : 0.0;
}

TEST(VoiceLfo, HeardRateFollowsSpeedAndKeyboard) {
  EXPECT_NEAR(heardLfoRate(60, 0.0f), 4.0, 0.05);
  EXPECT_NEAR(heardLfoRate(72, 1.0f), 8.0, 0.1);
  EXPECT_NEAR(heardLfoRate(48, 1.0f), 2.0, 0.05);
}

TEST(PitchWheel, BendsByTheRangeInSemitones) {
  for (float range : {0.0f, 2.0f, 12.0f}) {
    for (std::uint8_t msb : {0, 64, 127}) {
      test::TestProgram program;
      program.makeOrgan();
      program.set(param::kPitchWheelRange, range);
      auto engine = test::makeEngine();
      send(*engine, 0xE3, msb == 127 ? 127 : 0, msb);
      send(*engine, 0x90, 69, 127);
      const auto out = test::render(*engine, program, 44100.0f, 22050).left;
      const double bend = msb == 127 ? 1.0 : msb == 0 ? -1.0 : 0.0;
      const double expected = 440.0 * std::pow(2.0, bend * range / 12.0);
      EXPECT_NEAR(test::zeroCrossingFrequency(out, 44100.0, 2000, 22050), expected, expected * 5e-5)
          << "range " << range << " msb " << int(msb);
    }
  }
}

// Rounding, masks and flush modes; not the six sticky exception flags, which any inexact
// operation sets, inside a block or out.
std::uint32_t controlBits() {
  return readControlRegister() & ~0x3Fu;
}

TEST(RenderBlock, LeavesTheControlRegisterAsItFoundItAndFlushesDenormals) {
  test::TestProgram program;
  program.set(param::kFilterQ, 1.0f);
  program.set(param::kFilterType, 2.0f);
  program.set(param::kRelease, 0.05f);
  auto engine = test::makeEngine();
  const std::uint32_t before = controlBits();
  send(*engine, 0x90, 40, 127);
  test::render(*engine, program, 44100.0f, 4096);
  EXPECT_EQ(controlBits(), before);
  send(*engine, 0x80, 40, 0);
  // Long quiet tails would sink into denormals without the flush.
  program.set(param::kModulationOnOff, 1.0f);
  program.set(param::kModulationFeedback, 50.0f);
  const auto out = test::render(*engine, program, 44100.0f, 44100 * 5, 512);
  EXPECT_EQ(controlBits(), before);
  for (float v : out.left) ASSERT_TRUE(v == 0.0f || std::fabs(v) >= FLT_MIN);
}

// Every parameter at the end of its range, in many combinations, with the busiest
// playing: the outputs stay finite.
TEST(RenderBlock, ExtremeParameterValuesGiveFiniteOutput) {
  for (unsigned seed = 1; seed <= 24; ++seed) {
    test::TestProgram program;
    unsigned bits = seed * 2654435761u;
    for (int i = 0; i < param::kCount; ++i) {
      bits = bits * 1664525u + 1013904223u;
      const auto& row = kParameterTable[i];
      program.set(i, (bits >> 16) & 1 ? row.maximum : row.minimum);
    }
    program.set(param::kVolume, 1.0f);
    program.set(param::kFilterQ, 1.0f);  // undamped: the hardest case for the filter
    auto engine = test::makeEngine();
    for (int n = 0; n < 8; ++n) send(*engine, 0x90, 10 + n * 15, 1 + n * 18);
    send(*engine, 0xE0, 0x7F, 0x7F);
    for (float sr : {22050.0f, 44100.0f, 192000.0f}) {
      const auto out = test::render(*engine, program, sr, 8192, 300);
      ASSERT_TRUE(test::allFinite(out.left) && test::allFinite(out.right))
          << "seed " << seed << " rate " << sr;
    }
  }
}

}  // namespace
}  // namespace gw
