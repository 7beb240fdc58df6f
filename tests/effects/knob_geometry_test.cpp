// The knob renderer's geometry without a display: the profile, the pointer where the
// value says, rotation against the direct formula, and knob registration.
#include <gtest/gtest.h>

#include <cmath>

#include "effects/ripple_knob_renderer.h"

namespace TW {
namespace {

using Renderer = RippleKnobRenderer;

KnobRecord knobAt(float cx, float cy, float radius) {
  KnobRecord record;
  record.red = 0.8f, record.green = 0.1f, record.blue = 0.9f, record.alpha = 1.0f;
  record.centreX = cx, record.centreY = cy, record.radius = radius;
  return record;
}

std::array<KnobVertex, 12> verticesFor(const KnobRecord& record) {
  std::array<KnobVertex, 12> v{};
  Renderer::writeKnob(Renderer::buildProfile(), record, v.data());
  return v;
}

// The pointer is rim vertices 1 and 11 (entries 0 and 10), both at the same place.
TEST(KnobGeometry, PointerIsUpAtHalfAnd135DegreesEitherSideAtTheEnds) {
  const float d = 20.0f * std::sqrt(0.5f);
  const struct {
    float value, x, y;
  } cases[] = {
      {0.5f, 100.0f, 220.0f}, {0.0f, 100.0f - d, 200.0f - d}, {1.0f, 100.0f + d, 200.0f - d}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    KnobRecord record = knobAt(100.0f, 200.0f, 20.0f);
    record.angle = Renderer::angleFor(c.value);
    const auto v = verticesFor(record);
    for (int vertex : {1, 11}) {
      EXPECT_NEAR(v[vertex].x, c.x, 1e-4f);
      EXPECT_NEAR(v[vertex].y, c.y, 1e-4f);
    }
  }
  EXPECT_FLOAT_EQ(Renderer::angleFor(0.0f), -2.3561945f);
  EXPECT_EQ(Renderer::angleFor(0.5f), 0.0f);
  EXPECT_FLOAT_EQ(Renderer::angleFor(1.0f), 2.3561945f);
}

TEST(KnobGeometry, CentreOpaqueRimTransparentButThePointer) {
  const auto v = verticesFor(knobAt(50.0f, 60.0f, 10.0f));
  EXPECT_EQ(v[0].x, 50.0f);
  EXPECT_EQ(v[0].y, 60.0f);
  EXPECT_EQ(v[0].nz, 1.0f);
  EXPECT_EQ(v[0].alpha, 1.0f);
  EXPECT_EQ(v[0].red, 0.8f);
  for (int vertex : {1, 11}) {
    EXPECT_EQ(v[vertex].alpha, 0.75f);
    EXPECT_EQ(v[vertex].red, 0.8f);
    EXPECT_EQ(v[vertex].green, 0.1f);
  }
  for (int vertex = 2; vertex <= 10; ++vertex) {
    EXPECT_EQ(v[vertex].alpha, 0.0f);
    EXPECT_EQ(v[vertex].red, 0.4f);
    EXPECT_EQ(v[vertex].green, 0.05f);
    EXPECT_EQ(v[vertex].blue, 0.9f);
  }
}

TEST(KnobGeometry, RotationEqualsTheDirectFormulaAndKeepsColours) {
  const Renderer::Profile profile = Renderer::buildProfile();
  for (float phi : {-2.3561945f, -1.0f, 0.3f, 2.0f, 2.3561945f}) {
    SCOPED_TRACE(phi);
    KnobRecord record = knobAt(300.0f, 120.0f, 15.0f);
    auto v = verticesFor(record);
    const auto before = v;
    Renderer::rotateRim(profile, record, phi, v.data());
    EXPECT_EQ(v[0].x, before[0].x);
    for (int j = 0; j <= 10; ++j) {
      const double a = 2.0 * j * 0.3141592653589793 + phi;
      const KnobVertex& r = v[1 + j];
      EXPECT_NEAR(r.x, 300.0 + 15.0 * std::sin(a), 1e-4);
      EXPECT_NEAR(r.y, 120.0 + 15.0 * std::cos(a), 1e-4);
      EXPECT_NEAR(r.nx, 0.7 * std::sin(a), 1e-6);
      EXPECT_NEAR(r.ny, 0.7 * std::cos(a), 1e-6);
      EXPECT_EQ(r.nz, 0.7f);
      EXPECT_EQ(r.alpha, before[1 + j].alpha);
      EXPECT_EQ(r.red, before[1 + j].red);
    }
  }
}

// Without a GL context the set-up finds no vertex program and only builds the array.
TEST(KnobRegistration, SetUpBuildsTwelveVerticesAKnobWithStoredAnglesAndColours) {
  Renderer renderer;
  EXPECT_TRUE(renderer.vertices().empty());
  const int first = renderer.addKnob();
  const int second = renderer.addKnob();
  EXPECT_EQ(first, 0);
  EXPECT_EQ(second, 1);
  renderer.setKnobColour(second, 0.2f, 0.2f, 0.9f, 1.0f);
  renderer.setKnobGeometry(second, 40.0f, 50.0f, 10.0f);
  renderer.setKnobAngle(second, Renderer::angleFor(1.0f));
  // Refused: unknown knobs and angles that are not numbers.
  renderer.setKnobAngle(2, 1.0f);
  renderer.setKnobAngle(-1, 1.0f);
  renderer.setKnobAngle(second, NAN);
  renderer.setKnobColour(7, 1, 1, 1, 1);
  renderer.setKnobGeometry(-3, 1, 1, 1);
  EXPECT_FLOAT_EQ(renderer.knobAngle(second), 2.3561945f);

  renderer.glSetUp();
  EXPECT_EQ(renderer.program(), 0u);
  ASSERT_EQ(renderer.vertices().size(), 24u);
  const KnobVertex* v = &renderer.vertices()[12];
  EXPECT_EQ(v[0].x, 40.0f);
  EXPECT_EQ(v[0].blue, 0.9f);
  const float d = 10.0f * std::sqrt(0.5f);
  EXPECT_NEAR(v[1].x, 40.0f + d, 1e-4f);
  EXPECT_NEAR(v[1].y, 50.0f - d, 1e-4f);
  // A knob never given a colour stays invisible.
  EXPECT_EQ(renderer.vertices()[0].alpha, 0.0f);
}

TEST(KnobRegistration, NoKnobsLeaveTheArrayEmpty) {
  Renderer renderer;
  renderer.glSetUp();
  EXPECT_TRUE(renderer.vertices().empty());
  EXPECT_EQ(renderer.knobCount(), 0);
}

TEST(KnobRegistrationDeathTest, AddingAKnobAfterSetUpIsRefused) {
  Renderer renderer;
  renderer.addKnob();
  renderer.glSetUp();
#ifdef NDEBUG
  EXPECT_EQ(renderer.addKnob(), -1);
  EXPECT_EQ(renderer.knobCount(), 1);
#else
  EXPECT_DEATH(renderer.addKnob(), "before the renderer's GL set-up");
#endif
}

}  // namespace
}  // namespace TW
