// The loudness meter against the reference signals of EBU R 128: a 997 Hz sine in both
// channels reads as its level in dBFS, and its true peak as its amplitude.
#include "host/render/loudness.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

namespace gw::render {
namespace {

constexpr double kRate = 48000.0;

void addSine(LoudnessMeter& meter, double amplitude, double seconds, float poison = 0.0f) {
  std::vector<float> left(4800), right(4800);
  std::int64_t frame = 0;
  for (int block = 0; block < seconds * kRate / 4800; ++block) {
    for (std::size_t i = 0; i < left.size(); ++i, ++frame) {
      left[i] = right[i] = static_cast<float>(
          amplitude * std::sin(2.0 * std::numbers::pi * 997.0 * double(frame) / kRate));
    }
    left[7] = poison == 0.0f ? left[7] : poison;
    meter.add(left.data(), right.data(), static_cast<std::int32_t>(left.size()));
  }
}

TEST(LoudnessMeter, ReadsTheReferenceSineAtItsLevelAndItsTruePeakAtItsAmplitude) {
  LoudnessMeter meter;
  std::string error;
  ASSERT_TRUE(meter.start(kRate, error)) << error;
  addSine(meter, 0.1, 5.0);
  EXPECT_NEAR(meter.integratedLufs(), -20.0, 0.1);
  EXPECT_NEAR(20.0 * std::log10(meter.truePeak()), -20.0, 0.1);
}

TEST(LoudnessMeter, SilenceIsMinusInfinityAndNonFiniteSamplesCountAsSilence) {
  LoudnessMeter meter;
  std::string error;
  ASSERT_TRUE(meter.start(kRate, error)) << error;
  EXPECT_EQ(meter.integratedLufs(), -std::numeric_limits<double>::infinity());
  addSine(meter, 0.0, 1.0);
  EXPECT_EQ(meter.integratedLufs(), -std::numeric_limits<double>::infinity());
  addSine(meter, 0.1, 5.0, std::numeric_limits<float>::quiet_NaN());
  // The gate drops the silence; blocks across the start still count.
  EXPECT_NEAR(meter.integratedLufs(), -20.0, 0.2);
  // The zeroed sample is a step the oversampling rings on, but nothing turns NaN.
  EXPECT_TRUE(meter.truePeak() >= 0.1 && meter.truePeak() < 0.2) << meter.truePeak();
  EXPECT_EQ(decibelText(meter.integratedLufs() - 1e9), "-inf");
}

TEST(LoudnessMeter, RefusesARateTheLibraryCannotMeasure) {
  LoudnessMeter meter;
  std::string error;
  EXPECT_FALSE(meter.start(0.0, error));
  EXPECT_NE(error.find("0 Hz"), std::string::npos) << error;
  float sample = 0.5f;
  meter.add(&sample, &sample, 1);  // ignored, not a crash
  EXPECT_EQ(meter.truePeak(), 0.0);
}

}  // namespace
}  // namespace gw::render
