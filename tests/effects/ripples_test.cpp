// Ripples: ageing in 32-bit steps, swap removal, the slot limit, the envelope, the quads,
// and requests made with eye candy off.
#include <gtest/gtest.h>

#include <cmath>

#include "effects/ripples.h"
#include "tests/effects/eye_candy_switch.h"
#include "tests/support/counting_allocator.h"

namespace TW {
namespace {

using gw::test::EyeCandySwitch;

constexpr float kColour[4] = {0.2f, 0.6f, 0.8f, 0.6f};

void add(Ripples& ripples, float x, float lifetime = 2.0f, float growth = 30.0f) {
  ripples.addRipple(x, 50.0f, kColour, 10.0f, lifetime, growth);
}

TEST(RipplesAgeing, LifetimeTwoSurvivesSixtyStepsAndGoesAtTheSixtyFirst) {
  EyeCandySwitch on(true);
  Ripples ripples(nullptr);
  add(ripples, 100.0f);
  for (int i = 0; i < 60; ++i) ripples.step();
  ASSERT_EQ(ripples.count(), 1);
  EXPECT_LT(ripples.ripple(0).age, 2.0f);
  EXPECT_GT(ripples.ripple(0).age, 1.99f);
  // Grown by 30 pixels a second for 60 steps.
  EXPECT_NEAR(ripples.ripple(0).radius, 10.0f + 60.0f, 1e-3f);
  ripples.step();
  EXPECT_EQ(ripples.count(), 0);
}

TEST(RipplesAgeing, RemovalMovesTheLastRippleInAndStepsItInTheSamePass) {
  EyeCandySwitch on(true);
  Ripples ripples(nullptr);
  add(ripples, 0.0f, 1.0f / 30.0f);  // expires at its first step
  add(ripples, 1.0f);
  add(ripples, 2.0f);
  ripples.step();
  ASSERT_EQ(ripples.count(), 2);
  EXPECT_EQ(ripples.ripple(0).x, 2.0f);
  EXPECT_EQ(ripples.ripple(1).x, 1.0f);
  // The moved ripple was aged and grown once, like the one that kept its slot.
  EXPECT_EQ(ripples.ripple(0).age, Effect::kStepSeconds);
  EXPECT_EQ(ripples.ripple(0).radius, ripples.ripple(1).radius);
  EXPECT_GT(ripples.ripple(0).radius, 10.0f);
}

TEST(RipplesSlots, TheThirtyThirdRequestIsIgnoredWhileThirtyTwoLive) {
  EyeCandySwitch on(true);
  Ripples ripples(nullptr);
  for (int i = 0; i < 33; ++i) add(ripples, static_cast<float>(i));
  ripples.step();
  ASSERT_EQ(ripples.count(), Ripples::kSlots);
  for (int i = 0; i < Ripples::kSlots; ++i) EXPECT_EQ(ripples.ripple(i).x, static_cast<float>(i));
  add(ripples, 99.0f);
  ripples.step();
  EXPECT_EQ(ripples.count(), Ripples::kSlots);
  for (int i = 0; i < Ripples::kSlots; ++i) EXPECT_NE(ripples.ripple(i).x, 99.0f);
}

TEST(RipplesSlots, BadRequestsAreRefusedAndAnOverflowingFrameIsHarmless) {
  EyeCandySwitch on(true);
  Ripples ripples(nullptr);
  ripples.addRipple(1.0f, 1.0f, nullptr, 10.0f, 2.0f, 30.0f);
  // These would never expire, or never draw anything sensible.
  ripples.addRipple(1.0f, 1.0f, kColour, 10.0f, NAN, 30.0f);
  ripples.addRipple(1.0f, 1.0f, kColour, 10.0f, 0.0f, 30.0f);
  ripples.addRipple(1.0f, 1.0f, kColour, 10.0f, -1.0f, 30.0f);
  ripples.addRipple(INFINITY, 1.0f, kColour, 10.0f, 2.0f, 30.0f);
  ripples.addRipple(1.0f, 1.0f, kColour, NAN, 2.0f, 30.0f);
  ripples.step();
  EXPECT_EQ(ripples.count(), 0);
  // More requests than one frame can queue: the surplus is lost, later ones still land.
  for (std::uint32_t i = 0; i < 3 * Ripples::kRequestCapacity; ++i) add(ripples, 1.0f, 0.01f);
  ripples.step();
  EXPECT_EQ(ripples.count(), 0);
  add(ripples, 7.0f);
  ripples.step();
  ASSERT_EQ(ripples.count(), 1);
  EXPECT_EQ(ripples.ripple(0).x, 7.0f);
}

TEST(RipplesSlots, StepAllocatesNothing) {
  EyeCandySwitch on(true);
  Ripples ripples(nullptr);
  gw::test::AllocationCount allocations;
  for (int i = 0; i < 40; ++i) add(ripples, static_cast<float>(i));
  for (int i = 0; i < 70; ++i) ripples.step();
  EXPECT_EQ(allocations.count(), 0);
}

TEST(RipplesEyeCandyOff, RequestsLandButNeitherAgeNorShow) {
  EyeCandySwitch off(false);
  Ripples ripples(nullptr);
  for (int i = 0; i < 33; ++i) add(ripples, static_cast<float>(i));
  for (int i = 0; i < 100; ++i) ripples.step();
  ASSERT_EQ(ripples.count(), Ripples::kSlots);
  EXPECT_EQ(ripples.ripple(0).age, 0.0f);
  EXPECT_EQ(ripples.ripple(0).radius, 10.0f);
  // Drawing needs no GL context here: with eye candy off it touches nothing.
  ripples.draw2D();
}

TEST(RipplesEnvelope, RisesOverTheFirstSixthAndReachesZeroAtTheEnd) {
  const float lifetime = 2.0f;
  EXPECT_EQ(Ripples::envelope(0.0f, lifetime), 0.0f);
  EXPECT_FLOAT_EQ(Ripples::envelope(lifetime / 12.0f, lifetime), 0.5f);
  // h = 1 is the peak, reached from both sides.
  EXPECT_FLOAT_EQ(Ripples::envelope(lifetime / 6.0f, lifetime), 1.0f);
  EXPECT_NEAR(Ripples::envelope(std::nextafter(lifetime / 6.0f, 0.0f), lifetime), 1.0f, 1e-6f);
  EXPECT_NEAR(Ripples::envelope(std::nextafter(lifetime / 6.0f, 2.0f), lifetime), 1.0f, 1e-6f);
  EXPECT_NEAR(Ripples::envelope(lifetime, lifetime), 0.0f, 1e-6f);
  EXPECT_FLOAT_EQ(Ripples::envelope(lifetime / 2.0f, lifetime), 0.6f);
}

TEST(RipplesEnvelope, QuadCornersTextureAndFadedColour) {
  Ripple ripple;
  ripple.x = 100.0f;
  ripple.y = 60.0f;
  ripple.radius = 8.0f;
  ripple.red = 0.1f, ripple.green = 0.2f, ripple.blue = 0.3f, ripple.alpha = 0.6f;
  ripple.lifetime = 2.0f;
  ripple.age = 1.0f;  // h = 3: envelope 0.6
  RippleVertex quad[4];
  Ripples::writeQuad(ripple, quad);
  const float expected[4][4] = {{0, 0, 92, 52}, {0, 1, 108, 52}, {1, 1, 108, 68}, {1, 0, 92, 68}};
  for (int k = 0; k < 4; ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(quad[k].s, expected[k][0]);
    EXPECT_EQ(quad[k].t, expected[k][1]);
    EXPECT_EQ(quad[k].x, expected[k][2]);
    EXPECT_EQ(quad[k].y, expected[k][3]);
    EXPECT_EQ(quad[k].red, 0.1f);
    EXPECT_EQ(quad[k].blue, 0.3f);
    EXPECT_FLOAT_EQ(quad[k].alpha, 0.36f);
  }
}

}  // namespace
}  // namespace TW
