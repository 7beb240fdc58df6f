// The voice filter heard through the engine, against the state-variable filter's
// analytic response.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>

#include "audio_measure.h"
#include "engine/voice_render.h"
#include "test_program.h"

namespace gw {
namespace {

using test::send;
constexpr float kRate = 44100.0f;

double noteHz(int note) {
  return 440.0 * std::pow(2.0, (note - 69) / 12.0);
}

// |H| of the filter's low (1), band (2) or high (3) output at frequency hz.
double analyticGain(int type, double cutoff, double q, double hz) {
  const double f =
      2.0 * std::sin(std::min(cutoff * std::numbers::pi / kRate, std::numbers::pi / 4));
  double d = 2.0 * (1.0 - std::pow(q, 0.25));
  if (f > 0) d = std::min(d, 2.0 / f - f / 2.0);
  const std::complex<double> zi = std::polar(1.0, -2.0 * std::numbers::pi * hz / kRate);  // z^-1
  const std::complex<double> u = 1.0 - zi;
  const std::complex<double> den = u * u + d * f * zi * u + f * f * zi;
  const std::complex<double> h = type == 1   ? f * f * zi / den
                                 : type == 2 ? f * u / den
                                             : u * u / den;
  return std::abs(h);
}

class FilterTest : public ::testing::Test {
 protected:
  void SetUp() override { program.makeOrgan(); }
  std::vector<float> play(int note, int frames = 44100, std::uint8_t velocity = 127) {
    engine = test::makeEngine();
    send(*engine, 0x90, note, velocity);
    return test::render(*engine, program, kRate, frames).left;
  }
  double level(int note) {
    const auto out = play(note);
    return test::toneAmplitude(out, kRate, noteHz(note), 22050, 44100);
  }
  test::TestProgram program;
  std::unique_ptr<SynthEngine> engine;
};

TEST_F(FilterTest, ThruAtBothEndsPassesTheOscillatorWhateverTheCutoff) {
  program.set(param::kFilterCutoff, 50.0f);
  const auto thru0 = play(69);
  program.set(param::kFilterType, 4.0f);
  program.set(param::kFilterCutoff, 12000.0f);
  EXPECT_EQ(play(69), thru0);
  EXPECT_NEAR(test::peak(thru0, 1000, 44100), 1.0f, 2e-3f);
}

TEST_F(FilterTest, LowBandAndHighFollowTheAnalyticResponse) {
  program.set(param::kFilterCutoff, 1000.0f);
  program.set(param::kFilterQ, 0.3f);
  for (int type : {1, 2, 3}) {
    program.set(param::kFilterType, static_cast<float>(type));
    for (int note : {45, 69, 83, 93, 105}) {  // 110 Hz .. 3.5 kHz
      const double expected = analyticGain(type, 1000.0, 0.3, noteHz(note));
      EXPECT_NEAR(level(note), expected, 0.02 * expected + 2e-4)
          << "type " << type << " note " << note;
    }
  }
  // Low-pass: 12 dB per octave above the cutoff; band-pass peaks at the cutoff.
  program.set(param::kFilterType, 1.0f);
  EXPECT_LT(level(105), 0.1 * level(45));
  program.set(param::kFilterType, 2.0f);
  const double atCutoff = level(83);  // 987.8 Hz
  EXPECT_GT(atCutoff, level(71));
  EXPECT_GT(atCutoff, level(95));
}

TEST_F(FilterTest, TypeOneAndAHalfMixesLowAndBandHalfAndHalf) {
  program.set(param::kFilterType, 1.0f);
  const auto low = play(81, 8192);
  program.set(param::kFilterType, 2.0f);
  const auto band = play(81, 8192);
  program.set(param::kFilterType, 1.5f);
  const auto mixed = play(81, 8192);
  for (size_t i = 0; i < mixed.size(); ++i)
    ASSERT_NEAR(mixed[i], 0.5f * low[i] + 0.5f * band[i], 1e-6f) << i;
}

TEST_F(FilterTest, EnvelopeAmountZeroIsInaudibleAndFourSweepsTheCoefficient) {
  program.set(param::kFilterType, 1.0f);
  program.set(param::kFilterCutoff, 200.0f);
  const auto plain = play(91, 8192);
  program.set(param::kFilterEnvAttack, 0.05f);
  program.set(param::kFilterEnvSustain, 0.2f);
  EXPECT_EQ(play(91, 8192), plain);

  program.set(param::kFilterEnvAmount, 4.0f);
  program.set(param::kFilterEnvSustain, 1.0f);
  program.set(param::kFilterEnvAttack, 0.1f);
  const auto swept = play(91, 16384);  // 1.76 kHz, three octaves above the cutoff
  const double early = test::rms(swept, 0, 400);
  const double late = test::rms(swept, 8192, 16384);
  EXPECT_GT(late, 8.0 * early);
  const double f1 = 2.0 * std::sin(200.0 * std::numbers::pi / kRate);
  const double f2 = 2.0 * std::sin(200.0 * 16.0 * std::numbers::pi / kRate);
  EXPECT_NEAR(engine->voice(0).filterCoefBase, f1, 1e-6);
  EXPECT_NEAR(engine->voice(0).filterCoefRange, f2 - f1, 1e-6);
}

TEST_F(FilterTest, VelocityFilterAmountOpensLouderNotes) {
  program.set(param::kFilterType, 1.0f);
  program.set(param::kFilterCutoff, 200.0f);
  program.set(param::kVelocityFilterAmount, 3.0f);
  const double soft = test::rms(play(91, 8192, 20), 4096, 8192);
  const double loud = test::rms(play(91, 8192, 127), 4096, 8192);
  EXPECT_GT(loud, 4.0 * soft);
}

TEST_F(FilterTest, FullQRingsWithoutBlowingUp) {
  program.set(param::kFilterType, 2.0f);
  program.set(param::kFilterQ, 1.0f);
  program.set(param::kFilterCutoff, 300.0f);
  const auto out = play(69, 44100 * 3);
  EXPECT_TRUE(test::allFinite(out));
  EXPECT_LT(test::peak(out, 0, out.size()), 50.0f);
  EXPECT_GT(test::peak(out, 44100 * 2, out.size()), 0.1f);
}

// Undamped, a harmonic sitting on the cutoff is fed in phase on every cycle and its
// resonance would grow for as long as the note is held (past 80000 after a minute); the
// integrators stop at 10000.
TEST_F(FilterTest, FullQWithAHarmonicOnTheCutoffStaysBoundedForAMinute) {
  constexpr float kCeiling = 1.0e4f;
  program.set(param::kFilterQ, 1.0f);
  program.set(param::kFilterCutoff, 440.0f);
  for (float type : {1.0f, 2.0f, 3.0f}) {
    program.set(param::kFilterType, type);
    for (InstructionSet set :
         {InstructionSet::kAvx2Fma, InstructionSet::kAvx, InstructionSet::kSse2}) {
      useInstructions(set);
      engine = test::makeEngine();
      send(*engine, 0x90, 69, 127);
      float loudest = 0.0f;
      for (int second = 0; second < 60; ++second) {
        const auto out = test::render(*engine, program, kRate, 44100).left;
        ASSERT_TRUE(test::allFinite(out)) << "second " << second;
        loudest = std::max(loudest, test::peak(out, 0, out.size()));
        const Voice& v = engine->voice(0);
        ASSERT_LE(std::abs(v.filterLow), kCeiling);
        ASSERT_LE(std::abs(v.filterBand), kCeiling);
      }
      // The note did run away (a stable filter stays near 1) and was stopped at the limit;
      // the high output adds at most the input to it.
      EXPECT_GT(loudest, 1000.0f) << type;
      EXPECT_LE(loudest, kCeiling + 1.0f) << type;
    }
  }
  useInstructions(InstructionSet::kAvx2Fma);
}

TEST_F(FilterTest, ACutoffSwingThroughZeroHertzStaysFiniteAndKeepsTheDamping) {
  program.set(param::kFilterType, 1.0f);
  program.set(param::kFilterCutoff, 50.0f);
  program.set(param::kFilterLfoAmount, 3.0f);
  program.set(param::kFilterLfoSpeed, 20.0f);
  engine = test::makeEngine();
  send(*engine, 0x90, 60, 127);
  const double d = 2.0 * (1.0 - std::pow(0.1, 0.25));
  bool sawZero = false;
  for (int block = 0; block < 200; ++block) {
    const auto out = test::render(*engine, program, kRate, 256);
    ASSERT_TRUE(test::allFinite(out.left));
    if (engine->voice(0).filterCoefBase == 0.0f) {
      sawZero = true;
      EXPECT_NEAR(engine->voice(0).filterDamping, d, 1e-6);
    }
  }
  EXPECT_TRUE(sawZero);
}

}  // namespace
}  // namespace gw
