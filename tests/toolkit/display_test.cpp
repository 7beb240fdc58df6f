// The waveform and envelope pictures: what their curves show for given parameter values.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

#include "engine/oscillator.h"
#include "tests/toolkit/fake_plugin.h"
#include "toolkit/additive_waveform.h"
#include "toolkit/element_host.h"
#include "toolkit/env_display.h"

namespace gw {
namespace {

using TW::AdditiveWaveform;
using TW::EnvDisplay;
using Curve = std::array<float, AdditiveWaveform::kPoints>;
using Levels = std::array<float, AdditiveWaveform::kHarmonics>;

float phaseOf(int i) {
  return 1e-10f + static_cast<float>(i) / 255.0f;
}

TEST(WaveformCurve, AllZeroLevelsGiveAFlatLine) {
  Curve y;
  const float peak = AdditiveWaveform::computeCurve(Levels{}, 0.5f, y);
  EXPECT_LE(peak, 1e-6f) << "drawn with a zero scale: a flat line at mid-height";
  for (float v : y) EXPECT_EQ(v, 0.0f);
}

TEST(WaveformCurve, LevelOneAloneIsOneSineCycleReachingFullHeight) {
  Levels levels{};
  levels[0] = 1.0f;
  Curve y;
  const float peak = AdditiveWaveform::computeCurve(levels, 0.5f, y);
  for (int i = 0; i < AdditiveWaveform::kPoints; ++i) {
    EXPECT_NEAR(y[i], std::sin(2.0 * std::numbers::pi * phaseOf(i)), 2e-6) << i;
  }
  EXPECT_NEAR(peak, 1.0f, 1e-4);
}

TEST(WaveformCurve, IsTheEnginesOwnSumOfWarpedSines) {
  Levels levels;
  for (int k = 0; k < 16; ++k) levels[k] = (k % 3 == 0 ? 1.0f : -0.5f) / static_cast<float>(k + 1);
  Curve y;
  AdditiveWaveform::computeCurve(levels, 0.3f, y);
  for (int i = 0; i < AdditiveWaveform::kPoints; i += 17) {
    const float m = phaseWarp(phaseOf(i), 0.3f);
    float sum = 0.0f;
    for (int k = 0; k < 16; ++k) sum += levels[k] * fastSine(static_cast<float>(k + 1) * m);
    EXPECT_NEAR(y[i], sum, 1e-5) << i;
  }
}

TEST(WaveformCurve, PulseWidthSkewsTheCycleWithoutChangingItsHeight) {
  Levels levels{};
  levels[0] = 1.0f;
  Curve even, narrow;
  const float evenPeak = AdditiveWaveform::computeCurve(levels, 0.5f, even);
  const float narrowPeak = AdditiveWaveform::computeCurve(levels, 0.25f, narrow);
  EXPECT_NEAR(narrowPeak, evenPeak, 1e-3);
  const auto crest = [](const Curve& c) {
    return std::max_element(c.begin(), c.end()) - c.begin();
  };
  EXPECT_NEAR(crest(even), 64, 1);
  EXPECT_NEAR(crest(narrow), 32, 1) << "the first half squeezed into a quarter of the cycle";
  // The middle zero crossing moves from half the cycle to the pulse width.
  EXPECT_GT(narrow[63], 0.0f);
  EXPECT_LT(narrow[65], 0.0f);
}

class DisplayTest : public ::testing::Test {
 protected:
  PendingChanges pending;
  test::FakePlugin plugin{pending};
  ElementHost host{plugin, pending};
};

TEST_F(DisplayTest, WaveformStoresRawValuesAndRecomputesOnlyAfterAChange) {
  auto& waveform = host.create<AdditiveWaveform>(232.0f, 60.0f, 95.0f);
  EXPECT_TRUE(waveform.refreshCurve());
  EXPECT_FALSE(waveform.refreshCurve()) << "nothing changed";
  plugin.hostSets(1, 1.0f);  // "Level 1", in its own unit (the fake's row is -24..24)
  plugin.hostSets(127, 0.5f);
  host.dispatcher().flush();
  EXPECT_TRUE(waveform.refreshCurve());
  EXPECT_FALSE(waveform.refreshCurve());
  EXPECT_NEAR(waveform.curve()[64], 1.0f, 1e-4);
  EXPECT_NEAR(waveform.peak(), 1.0f, 1e-4);
  host.dispatcher().prime();
  EXPECT_TRUE(waveform.refreshCurve()) << "priming delivers values too";
}

// The harmonic envelopes: three attack and two release stages, 110 units wide.
struct EnvValues {
  std::array<float, 5> times{};
  std::array<float, 5> shapes{1, 1, 1, 1, 1};
  std::array<float, 5> levels{1.0f, 0.5f, 0.8f, 0.3f, 0.0f};

  std::vector<Point> curve(int attack = 3, int release = 2, float tmax = 5.0f,
                           float width = 110.0f) const {
    std::array<float, 15> values{};
    const int n = attack + release;
    for (int i = 0; i < n; ++i) {
      values[i] = times[i];
      values[n + i] = shapes[i];
      values[2 * n + i] = levels[i];
    }
    std::vector<Point> out(static_cast<size_t>(attack + static_cast<int>(width) + release + 1));
    const EnvDisplay::Shape shape{attack, release, tmax, {values.data(), size_t(3 * n)}};
    out.resize(static_cast<size_t>(EnvDisplay::computeCurve(shape, width, out)));
    return out;
  }
};

TEST(EnvelopeCurve, AllZeroTimesRiseAtZeroHoldTheWholeWidthAndDrop) {
  const std::vector<Point> c = EnvValues{}.curve();
  const std::vector<std::array<float, 2>> expected{{0, 0},      {0, 1},      {0, 0.5f}, {0, 0.8f},
                                                   {110, 0.8f}, {110, 0.3f}, {110, 0}};
  ASSERT_EQ(c.size(), expected.size());
  for (size_t i = 0; i < c.size(); ++i) {
    EXPECT_FLOAT_EQ(c[i].x, expected[i][0]) << i;
    EXPECT_FLOAT_EQ(c[i].y, expected[i][1]) << i;
  }
}

TEST(EnvelopeCurve, ALastStageAtTmaxIsLeftOutAndTheOthersWiden) {
  EnvValues env;
  env.times = {1, 1, 1, 1, 5.0f};
  const std::vector<Point> c = env.curve();
  // Four stages and the plateau share the width: 22 units each.
  EXPECT_NEAR(c.back().x, 110.0f, 1e-4);
  EXPECT_FLOAT_EQ(c.back().y, 0.3f) << "ends at the first release level";
  env.times[4] = 4.99f;
  EXPECT_FLOAT_EQ(env.curve().back().y, 0.0f);
}

TEST(EnvelopeCurve, StraightStagesLieOnTheirLineAndAShapeBendsOnlyItsStage) {
  EnvValues env;
  env.times = {1, 1, 1, 1, 1};  // six equal spans of 110 / 6 units
  const std::vector<Point> straight = env.curve();
  const float span = 110.0f / 6.0f;
  for (const Point& p : straight) {
    if (p.x > span && p.x < 2 * span) {
      EXPECT_NEAR(p.y, 1.0f - 0.5f * (p.x - span) / span, 1e-5) << p.x;
    }
  }
  env.shapes[1] = 0.0f;  // the falling A2 stage: fast at first
  const std::vector<Point> bent = env.curve();
  ASSERT_EQ(bent.size(), straight.size());
  int changed = 0;
  for (size_t i = 0; i < bent.size(); ++i) {
    const bool inStage = bent[i].x > span + 1e-3f && bent[i].x < 2 * span - 1e-3f;
    if (inStage) {
      changed += bent[i].y < straight[i].y - 1e-3f;
    } else {
      EXPECT_NEAR(bent[i].y, straight[i].y, 1e-6) << "x " << bent[i].x;
    }
  }
  EXPECT_GE(changed, 15);
}

TEST(EnvelopeCurve, TheAmplitudeEnvelopeRisesToFullHeightWhateverTheSustain) {
  EnvValues env;
  env.times = {0.5f, 0.5f, 0.5f};
  for (float sustain : {0.0f, 0.2f, 1.0f}) {
    env.levels = {1.0f, sustain, 0.0f};
    const std::vector<Point> c = env.curve(2, 1, -1.0f, 88.0f);
    float top = 0.0f;
    for (const Point& p : c) top = std::max(top, p.y);
    EXPECT_FLOAT_EQ(top, 1.0f);
    EXPECT_FLOAT_EQ(c.front().y, 0.0f);
    EXPECT_NEAR(c.back().x, 88.0f, 1e-4);
    EXPECT_FLOAT_EQ(c.back().y, 0.0f);
  }
}

TEST(EnvelopeCurve, NeverWritesPastTheSpaceItIsGiven) {
  EnvValues env;
  env.times = {5, 5, 5, 5, 4};
  std::array<float, 15> values{};
  std::copy(env.times.begin(), env.times.end(), values.begin());
  std::vector<Point> out(10, Point{-1, -1});
  const EnvDisplay::Shape shape{3, 2, 5.0f, values};
  EXPECT_EQ(EnvDisplay::computeCurve(shape, 110.5f, std::span(out).first(8)), 8);
  EXPECT_EQ(out[8].x, -1.0f);
  const EnvDisplay::Shape tooFew{3, 2, 5.0f, std::span(values).first(10)};
  EXPECT_EQ(EnvDisplay::computeCurve(tooFew, 110.0f, out), 0);
}

TEST_F(DisplayTest, EnvelopeDisplayListensToItsRowsAndHoldsValuesSetByItsGroup) {
  // Rows 20..33 of the fake are 0..1: times of 0 except what is set here.
  auto& display = host.create<EnvDisplay>(20, 3, 2, 66.0f, 110.0f, 20.0f, 5.0f);
  EXPECT_EQ(display.box().minY, 66.0f);
  EXPECT_EQ(display.box().maxX, 110.0f);
  host.dispatcher().prime();  // every row of the fake holds 0.5
  ASSERT_TRUE(display.refreshCurve());
  EXPECT_FALSE(display.refreshCurve());
  EXPECT_NEAR(display.curve().back().x, 110.0f, 1e-4);
  EXPECT_FLOAT_EQ(display.curve().back().y, 0.0f) << "the last level is no parameter";
  plugin.hostSets(34, 0.9f);  // beyond the display's rows: ignored
  host.dispatcher().flush();
  EXPECT_FALSE(display.refreshCurve());
  display.setValue(10, 1.0f);
  EXPECT_TRUE(display.refreshCurve());
}

}  // namespace
}  // namespace gw
