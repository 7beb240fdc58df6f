#include <gtest/gtest.h>

#include <cmath>

#include "engine/envelope.h"
#include "test_program.h"

namespace gw {
namespace {

// Runs a segment for count samples from start, as the render loop does.
float runSegment(Segment s, float start, std::uint32_t count) {
  float level = start;
  for (std::uint32_t i = 0; i < count; ++i) {
    level += s.increment;
    s.increment += s.curve;
  }
  return level;
}

TEST(Segment, ReachesItsTargetInTimeTimesRateSamplesForEveryShape) {
  for (float shape : {0.0f, 0.3f, 1.0f}) {
    for (float delta : {1.0f, -0.7f}) {
      const Segment s = makeSegment(delta, 0.5f, shape, 44100.0f);
      EXPECT_EQ(s.remaining, 22050u);
      // Float accumulation over 22050 steps drifts by a few 1e-4 at most.
      EXPECT_NEAR(runSegment(s, 0.2f, s.remaining), 0.2f + delta, 5e-4f)
          << "shape " << shape << " delta " << delta;
    }
  }
}

TEST(Segment, ShapeOneIsStraightAndShapeZeroRisesSlowlyAndFallsFast) {
  const Segment straight = makeSegment(1.0f, 0.01f, 1.0f, 44100.0f);
  EXPECT_EQ(straight.curve, 0.0f);
  EXPECT_NEAR(runSegment(straight, 0.0f, 221), 221.0f / 441.0f, 1e-5f);
  // Shape 0 rise: level = (i/N)², a quarter at half time.
  const Segment rise = makeSegment(1.0f, 0.5f, 0.0f, 44100.0f);
  EXPECT_NEAR(runSegment(rise, 0.0f, 11025), 0.25f, 1e-3f);
  // Shape 0 fall from 1 to 0.7: three quarters of the way at half time.
  const Segment fall = makeSegment(-0.3f, 0.5f, 0.0f, 44100.0f);
  EXPECT_NEAR(runSegment(fall, 1.0f, 11025), 1.0f - 0.3f * 0.75f, 1e-3f);
}

TEST(Segment, TimeZeroIsOneSampleAndAbsurdTimesStayCounted) {
  const Segment jump = makeSegment(0.8f, 0.0f, 0.0f, 44100.0f);
  EXPECT_EQ(jump.remaining, 1u);
  EXPECT_FLOAT_EQ(runSegment(jump, 0.0f, 1), 0.8f);
  EXPECT_EQ(makeSegment(1.0f, std::nanf(""), 0.0f, 44100.0f).remaining, 1u);
  EXPECT_LT(makeSegment(1.0f, 1e30f, 0.0f, 44100.0f).remaining, Segment::kUnlimited);
}

class HarmonicRelease : public ::testing::Test {
 protected:
  void SetUp() override {
    program.set(param::envSustain(1), 0.6f);
    program.set(param::envLevelR1(1), 0.4f);
    program.set(param::envTimeR1(1), 0.01f);
    program.set(param::envTimeR2(1), 0.02f);
    program.set(param::envShapeR1(1), 1.0f);
    program.set(param::envShapeR2(1), 1.0f);
  }
  test::TestProgram program;
  Envelope env;
};

TEST_F(HarmonicRelease, FromSustainMovesToR1ThenToZero) {
  startHarmonic(env, program.view(), 1, 44100.0f);
  env.stage = 3;
  env.level = 0.6f;
  releaseHarmonic(env, program.view(), 1, 44100.0f);
  EXPECT_EQ(env.stage, 2);
  EXPECT_NEAR(runSegment(env.segments[2], 0.6f, env.segments[2].remaining), 0.4f, 1e-5f);
  EXPECT_NEAR(runSegment(env.segments[1], 0.4f, env.segments[1].remaining), 0.0f, 1e-5f);
  EXPECT_EQ(env.segments[1].remaining, 882u);
}

TEST_F(HarmonicRelease, BelowSustainScalesBothMovesAndAboveKeepsThemWhole) {
  startHarmonic(env, program.view(), 1, 44100.0f);
  env.level = 0.3f;  // let go halfway up to the sustain: I = 0.5
  releaseHarmonic(env, program.view(), 1, 44100.0f);
  float level = runSegment(env.segments[2], 0.3f, env.segments[2].remaining);
  EXPECT_NEAR(level, 0.2f, 1e-5f);
  EXPECT_NEAR(runSegment(env.segments[1], level, env.segments[1].remaining), 0.0f, 1e-5f);

  startHarmonic(env, program.view(), 1, 44100.0f);
  env.level = 0.9f;  // above the sustain: full moves, ending at 0.9 - 0.6
  releaseHarmonic(env, program.view(), 1, 44100.0f);
  level = runSegment(env.segments[2], 0.9f, env.segments[2].remaining);
  EXPECT_NEAR(runSegment(env.segments[1], level, env.segments[1].remaining), 0.3f, 1e-5f);
}

TEST_F(HarmonicRelease, FiveSecondsHoldsAndJustBelowFades) {
  program.set(param::envTimeR2(1), 5.0f);
  startHarmonic(env, program.view(), 1, 44100.0f);
  env.level = 0.6f;
  releaseHarmonic(env, program.view(), 1, 44100.0f);
  EXPECT_EQ(env.segments[1].remaining, Segment::kUnlimited);
  EXPECT_EQ(env.segments[1].increment, 0.0f);

  program.set(param::envTimeR2(1), 4.99f);
  releaseHarmonic(env, program.view(), 1, 44100.0f);
  EXPECT_EQ(env.segments[1].remaining, static_cast<std::uint32_t>(4.99f * 44100.0));
}

TEST(LinearEnvelopes, ReleaseOfFiveHoldsAndSustainIsPeakTimesSustain) {
  test::TestProgram program;
  program.set(param::kVelocityFilterEnvAmount, 1.0f);
  program.set(param::kFilterEnvRelease, 5.0f);
  Envelope env;
  startLinear(env, program.view(), filterEnvelopeIds(), 0.5f, 44100.0f);
  EXPECT_FLOAT_EQ(env.peak, 0.5f);
  const float top = runSegment(env.segments[4], 0.0f, env.segments[4].remaining);
  const float sustain = runSegment(env.segments[3], top, env.segments[3].remaining);
  EXPECT_NEAR(sustain, linearSustain(env, program.view(), filterEnvelopeIds()), 2e-4f);
  EXPECT_NEAR(sustain, 0.35f, 2e-4f);
  env.level = sustain;
  releaseLinear(env, program.view(), filterEnvelopeIds(), 44100.0f);
  EXPECT_EQ(env.segments[1].remaining, Segment::kUnlimited);
}

}  // namespace
}  // namespace gw
