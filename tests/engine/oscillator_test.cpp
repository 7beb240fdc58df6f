#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <numbers>

#include "engine/oscillator.h"
#include "engine/voice_render.h"

namespace gw {
namespace {

TEST(FastSine, EveryLaneMatchesItsScalarTwinAndTheLibrarySine) {
  double maxError = 0.0, sumSq = 0.0;
  int count = 0;
  for (int i = 0; i < 40000; ++i) {
    // Different arguments in every lane, covering 0..20 cycles.
    alignas(16) float a[4] = {i * 0.0005f, 20.0f - i * 0.0005f, i * 0.000123f + 0.25f,
                              std::fmod(i * 0.7071f, 16.0f)};
    alignas(16) float out[4];
    fastSine(Float4::load(a)).store(out);
    for (int lane = 0; lane < 4; ++lane) {
      ASSERT_EQ(out[lane], fastSine(a[lane])) << "lane " << lane << " a=" << a[lane];
      const double err = std::fabs(out[lane] - std::sin(2.0 * std::numbers::pi * double(a[lane])));
      maxError = std::max(maxError, err);
      sumSq += err * err;
      ++count;
    }
  }
  const double rmsError = std::sqrt(sumSq / count);
  std::printf("fastSine vs sin(2πa): max error %.3g, rms error %.3g\n", maxError, rmsError);
  RecordProperty("max_error", std::to_string(maxError));
  EXPECT_LT(maxError, 6e-7);
  EXPECT_LT(rmsError, 1.5e-7);
}

TEST(PhaseWarp, HalfWidthLeavesThePhaseAndQuarterWidthCompressesTheFirstHalf) {
  for (float phi = 0.0f; phi < 1.0f; phi += 1.0f / 64) EXPECT_FLOAT_EQ(phaseWarp(phi, 0.5f), phi);
  // pw 0.25: the first half-cycle of the pattern fits into the first quarter period.
  EXPECT_FLOAT_EQ(phaseWarp(0.125f, 0.25f), 0.25f);
  EXPECT_FLOAT_EQ(phaseWarp(0.25f, 0.25f), 0.5f);
  EXPECT_FLOAT_EQ(phaseWarp(0.625f, 0.25f), 0.75f);
  EXPECT_NEAR(phaseWarp(0.999f, 0.25f), 1.0f, 1e-3f);
}

TEST(PhaseWarp, VectorTwinMatchesAndStaysFiniteForUnclampedWidths) {
  const float widths[] = {-0.5f, -0.01f, 0.0f, 0.01f, 0.25f, 0.5f, 0.99f, 1.0f, 1.5f};
  for (float pw : widths) {
    for (int i = 0; i < 256; i += 4) {
      alignas(16) float phi[4] = {i / 256.0f, (i + 1) / 256.0f, (i + 2) / 256.0f, (i + 3) / 256.0f};
      alignas(16) float out[4];
      phaseWarp(Float4::load(phi), Float4::splat(pw)).store(out);
      for (int lane = 0; lane < 4; ++lane) {
        ASSERT_TRUE(std::isfinite(out[lane])) << "pw " << pw << " phase " << phi[lane];
        ASSERT_EQ(out[lane], phaseWarp(phi[lane], pw)) << "pw " << pw << " phase " << phi[lane];
      }
    }
  }
}

TEST(EnvSelection, TruncatesAndStaysWithinTheFourSources) {
  EXPECT_EQ(envSelection(0.0f), 0);
  EXPECT_EQ(envSelection(0.999f), 0);
  EXPECT_EQ(envSelection(2.999f), 2);
  EXPECT_EQ(envSelection(3.0f), 3);
  EXPECT_EQ(envSelection(-2.0f), 0);
  EXPECT_EQ(envSelection(1e9f), 3);
  EXPECT_EQ(envSelection(std::nanf("")), 0);
}

}  // namespace
}  // namespace gw
