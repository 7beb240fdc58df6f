// The 3-D background: faint points that appear at random and swirl away into the depth
// around a centre far behind the window, and small lit cubes that controls launch when
// pressed, tumbling along the same swirl. Drawn in fog, so both fade as they recede.
#pragma once

#include <array>
#include <cstdint>

#include "effects/effect.h"
#include "effects/request_queue.h"
#include "toolkit/effect_requests.h"

namespace TW {

struct VortexPoint {
  float x = 0.0f, y = 0.0f, z = 0.0f;
  float vx = 0.0f, vy = 0.0f, vz = 0.0f;
  float lifetime = 0.0f, age = 0.0f;  // seconds
};

struct VortexCube {
  float x = 0.0f, y = 0.0f, z = 0.0f;
  float vx = 0.0f, vy = 0.0f, vz = 0.0f;
  float axisX = 0.0f, axisY = 0.0f, axisZ = 1.0f;  // unit length
  float angle = 0.0f;                              // degrees
  float lifetime = 0.0f, age = 0.0f;               // seconds
};

// One vertex of the shared cube mesh, as GL_N3F_V3F lays it out.
struct CubeVertex {
  float nx, ny, nz;
  float x, y, z;
};
using CubeMesh = std::array<CubeVertex, 24>;
// Edge 12 centred at the origin; faces +x, -x, +y, -y, +z, -z, counter-clockwise seen
// from outside, so back-face culling keeps the outer faces.
CubeMesh buildCubeMesh();

class Vortex : public Effect, public CubeSink {
 public:
  static constexpr int kPointSlots = 128;
  static constexpr int kCubeSlots = 16;
  static constexpr std::uint32_t kRequestCapacity = 32;
  static constexpr float kCentreX = 400.0f, kCentreY = 200.0f, kCentreZ = -5000.0f;

  // 0..32767; tests hand in a known sequence.
  using RandomSource = int (*)();
  // The C library's rand() brought to 0..32767 whatever its RAND_MAX.
  static int libraryRandom();

  explicit Vortex(RandomSource random = &libraryRandom);

  // Thread: UI. Asks for a cube at (x, y); it lands at the next step, with a random axis,
  // when fewer than 16 are live, and is dropped otherwise or when a frame's requests
  // overflow. A position that is not finite is refused.
  void addCube(float x, float y) override;

  // Thread: render. Takes the waiting cube requests (also with eye candy off), then ages,
  // swirls and spawns.
  void step() override;
  void draw3D() override;

  // Thread: render.
  int pointCount() const { return pointCount_; }
  int cubeCount() const { return cubeCount_; }
  const VortexPoint& point(int slot) const { return points_[slot]; }
  const VortexCube& cube(int slot) const { return cubes_[slot]; }
  const CubeMesh& mesh() const { return mesh_; }

 private:
  struct CubeRequest {
    float x, y;
  };
  void land(const CubeRequest& request);
  void spawnPoint();

  RandomSource random_;
  std::array<VortexPoint, kPointSlots> points_{};
  int pointCount_ = 0;
  std::array<VortexCube, kCubeSlots> cubes_{};
  int cubeCount_ = 0;
  RequestQueue<CubeRequest, kRequestCapacity> requests_;
  CubeMesh mesh_;
};

}  // namespace TW
