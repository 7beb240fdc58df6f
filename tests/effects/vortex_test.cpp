// The vortex: slot limits, lifetimes summed in 32-bit steps, spawning driven by a known
// random sequence, cube axes, and the shared mesh's faces.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "effects/vortex.h"
#include "tests/effects/eye_candy_switch.h"
#include "tests/effects/scripted_random.h"

namespace TW {
namespace {

using gw::test::EyeCandySwitch;
using gw::test::scriptedValues;

class VortexTest : public ::testing::Test {
 protected:
  void SetUp() override { scriptedValues.clear(); }
  EyeCandySwitch on_{true};
  Vortex vortex_{&gw::test::scriptedRandom};
};

TEST_F(VortexTest, TheSeventeenthCubeIsIgnored) {
  for (int i = 0; i < 17; ++i) vortex_.addCube(static_cast<float>(i), 5.0f);
  vortex_.step();
  ASSERT_EQ(vortex_.cubeCount(), Vortex::kCubeSlots);
  for (int i = 0; i < Vortex::kCubeSlots; ++i) EXPECT_NE(vortex_.cube(i).lifetime, 0.0f);
  vortex_.addCube(99.0f, 5.0f);
  vortex_.step();
  EXPECT_EQ(vortex_.cubeCount(), Vortex::kCubeSlots);
}

TEST_F(VortexTest, CubesAtPositionsThatAreNotNumbersAreRefused) {
  vortex_.addCube(NAN, 5.0f);
  vortex_.addCube(5.0f, -INFINITY);
  vortex_.step();
  EXPECT_EQ(vortex_.cubeCount(), 0);
}

TEST_F(VortexTest, ACubeLivesOneHundredFiftyStepsAndGoesAtTheNext) {
  vortex_.addCube(100.0f, 200.0f);
  vortex_.step();
  ASSERT_EQ(vortex_.cubeCount(), 1);
  EXPECT_EQ(vortex_.cube(0).angle, 3.3333335f);
  for (int i = 1; i < 150; ++i) vortex_.step();
  ASSERT_EQ(vortex_.cubeCount(), 1);
  EXPECT_LT(vortex_.cube(0).age, 5.0f);
  vortex_.step();
  EXPECT_EQ(vortex_.cubeCount(), 0);
}

TEST_F(VortexTest, APointLivesOneHundredFiftyStepsAfterTheStepThatSpawnedIt) {
  scriptedValues = {0, 0, 0};  // spawn at the first step, at x = y = its lowest
  vortex_.step();
  ASSERT_EQ(vortex_.pointCount(), 1);
  EXPECT_EQ(vortex_.point(0).age, 0.0f);
  for (int i = 0; i < 150; ++i) vortex_.step();
  ASSERT_EQ(vortex_.pointCount(), 1);
  EXPECT_LT(vortex_.point(0).age, 5.0f);
  vortex_.step();
  EXPECT_EQ(vortex_.pointCount(), 0);
}

TEST_F(VortexTest, SpawnsWhenRandIsAtMost16883) {
  scriptedValues = {16884};
  vortex_.step();
  EXPECT_EQ(vortex_.pointCount(), 0);
  scriptedValues = {16883, 0, 0};
  vortex_.step();
  ASSERT_EQ(vortex_.pointCount(), 1);
  const VortexPoint& p = vortex_.point(0);
  EXPECT_EQ(p.x, -0.008545183f);
  EXPECT_EQ(p.y, -0.006103702f);
  EXPECT_EQ(p.z, -1.0f);
  EXPECT_EQ(p.vx, 0.0f);
  EXPECT_EQ(p.lifetime, 5.0f);
}

TEST_F(VortexTest, SpawnedPointsSpanTheWindowAndStopAt128) {
  scriptedValues = {0, 32767, 32767};
  vortex_.step();
  ASSERT_EQ(vortex_.pointCount(), 1);
  EXPECT_NEAR(vortex_.point(0).x, 560.0f, 0.01f);
  EXPECT_NEAR(vortex_.point(0).y, 400.0f, 0.01f);
  // One a step; none dies before its 151st step.
  for (int i = 1; i < Vortex::kPointSlots; ++i) {
    scriptedValues = {0, 100, 100};
    vortex_.step();
  }
  EXPECT_EQ(vortex_.pointCount(), Vortex::kPointSlots);
  // A full vortex draws no random number.
  scriptedValues = {0, 100, 100};
  vortex_.step();
  EXPECT_EQ(scriptedValues.size(), 3u);
}

TEST(VortexRandom, TheLibrarySourceSpansFifteenBitsAndSpawnsAboutHalfTheSteps) {
  EyeCandySwitch on(true);
  int lowest = 32767, highest = 0;
  for (int i = 0; i < 100000; ++i) {
    const int r = Vortex::libraryRandom();
    lowest = std::min(lowest, r);
    highest = std::max(highest, r);
  }
  EXPECT_GE(lowest, 0);
  EXPECT_LT(lowest, 100);
  EXPECT_LE(highest, 32767);
  EXPECT_GT(highest, 32667);
  // 51.5 % of 140 steps (before any point expires) is 72, with a spread of about 6.
  Vortex vortex;
  for (int i = 0; i < 140; ++i) vortex.step();
  EXPECT_GT(vortex.pointCount(), 50);
  EXPECT_LT(vortex.pointCount(), 95);
}

TEST_F(VortexTest, CubeAxisIsUnitLengthFromZThenYThenX) {
  scriptedValues = {32767, 16384, 16384};  // the first draw is z
  vortex_.addCube(10.0f, 20.0f);
  vortex_.step();
  ASSERT_EQ(vortex_.cubeCount(), 1);
  const VortexCube& c = vortex_.cube(0);
  EXPECT_FLOAT_EQ(c.axisZ, 1.0f);
  EXPECT_EQ(c.axisX, 0.0f);
  EXPECT_EQ(c.axisY, 0.0f);

  scriptedValues = {100, 20000, 31000};
  vortex_.addCube(10.0f, 20.0f);
  vortex_.step();
  ASSERT_EQ(vortex_.cubeCount(), 2);
  const VortexCube& d = vortex_.cube(1);
  EXPECT_NEAR(std::sqrt(d.axisX * d.axisX + d.axisY * d.axisY + d.axisZ * d.axisZ), 1.0f, 1e-6f);
  EXPECT_LT(d.axisZ, 0.0f);
  EXPECT_GT(d.axisX, d.axisY);
  EXPECT_GT(d.axisY, 0.0f);
}

TEST_F(VortexTest, AZeroAxisDrawFallsBackToAUsableAxis) {
  scriptedValues = {16384, 16384, 16384};
  vortex_.addCube(10.0f, 20.0f);
  vortex_.step();
  ASSERT_EQ(vortex_.cubeCount(), 1);
  const VortexCube& c = vortex_.cube(0);
  EXPECT_TRUE(std::isfinite(c.axisX) && std::isfinite(c.axisY) && std::isfinite(c.axisZ));
  EXPECT_FLOAT_EQ(c.axisX * c.axisX + c.axisY * c.axisY + c.axisZ * c.axisZ, 1.0f);
}

TEST_F(VortexTest, WithEyeCandyOffCubesLandButNothingMovesOrSpawns) {
  EyeCandySwitch off(false);
  scriptedValues = {0, 0, 0, 0, 0, 0};
  vortex_.addCube(10.0f, 20.0f);
  for (int i = 0; i < 10; ++i) vortex_.step();
  ASSERT_EQ(vortex_.cubeCount(), 1);
  EXPECT_EQ(vortex_.cube(0).age, 0.0f);
  EXPECT_EQ(vortex_.cube(0).z, -6.0f);
  EXPECT_EQ(vortex_.pointCount(), 0);
}

TEST_F(VortexTest, SwirlDrawsPointsIntoTheDepth) {
  scriptedValues = {0, 16000, 16000};
  vortex_.step();
  const float z0 = vortex_.point(0).z;
  for (int i = 0; i < 30; ++i) vortex_.step();
  EXPECT_LT(vortex_.point(0).z, z0 - 100.0f);
}

TEST(VortexMesh, FacesAreOutwardCounterClockwiseSquaresOfEdge12) {
  const CubeMesh mesh = buildCubeMesh();
  const float normals[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
  for (int f = 0; f < 6; ++f) {
    SCOPED_TRACE(f);
    const CubeVertex* v = &mesh[4 * f];
    for (int k = 0; k < 4; ++k) {
      EXPECT_EQ(v[k].nx, normals[f][0]);
      EXPECT_EQ(v[k].ny, normals[f][1]);
      EXPECT_EQ(v[k].nz, normals[f][2]);
      EXPECT_EQ(std::fabs(v[k].x), 6.0f);
      EXPECT_EQ(std::fabs(v[k].y), 6.0f);
      EXPECT_EQ(std::fabs(v[k].z), 6.0f);
      // On the face's own plane.
      EXPECT_EQ(v[k].x * normals[f][0] + v[k].y * normals[f][1] + v[k].z * normals[f][2], 6.0f);
    }
    // Each turn of the quad winds counter-clockwise about the outward normal.
    for (int k = 0; k < 4; ++k) {
      const CubeVertex& a = v[k];
      const CubeVertex& b = v[(k + 1) % 4];
      const CubeVertex& c = v[(k + 2) % 4];
      const float e1[3] = {b.x - a.x, b.y - a.y, b.z - a.z};
      const float e2[3] = {c.x - b.x, c.y - b.y, c.z - b.z};
      const float cross[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                              e1[0] * e2[1] - e1[1] * e2[0]};
      EXPECT_EQ(cross[0] * normals[f][0] + cross[1] * normals[f][1] + cross[2] * normals[f][2],
                144.0f);
    }
  }
}

}  // namespace
}  // namespace TW
