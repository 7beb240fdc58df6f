#include "effects/vortex.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdlib>

#include "effects/eye_candy.h"

namespace TW {

namespace {

// One step of the swirl for anything with a position and a velocity: the 0.002 terms
// pull towards the centre, the 0.01 terms turn the motion around it.
template <class Body>
void swirl(Body& body) {
  const float dx = Vortex::kCentreX - body.x;
  const float dy = Vortex::kCentreY - body.y;
  const float dz = Vortex::kCentreZ - body.z;
  body.vx += 0.002f * dx + 0.01f * dy;
  body.vy += -0.01f * dx + 0.002f * dy;
  body.vz += 0.002f * dz;
  body.x += body.vx * Effect::kStepSeconds;
  body.y += body.vy * Effect::kStepSeconds;
  body.z += body.vz * Effect::kStepSeconds;
}

// (2r - 32768) / 32767: a rand() value spread over -1..1.
float spread(int r) {
  return static_cast<float>(2 * r - 32768) / 32767.0f;
}

}  // namespace

CubeMesh buildCubeMesh() {
  CubeMesh mesh{};
  for (int k = 0; k < 4; ++k) {
    const float p = (k + k / 2) % 2 == 1 ? 6.0f : -6.0f;
    const float q = (k & 2) != 0 ? 6.0f : -6.0f;
    mesh[0 + k] = {1, 0, 0, 6, p, q};
    mesh[4 + k] = {-1, 0, 0, -6, -p, q};
    mesh[8 + k] = {0, 1, 0, -p, 6, q};
    mesh[12 + k] = {0, -1, 0, p, -6, q};
    mesh[16 + k] = {0, 0, 1, p, q, 6};
    mesh[20 + k] = {0, 0, -1, -p, q, -6};
  }
  return mesh;
}

int Vortex::libraryRandom() {
  // The spawning and axis formulas assume rand() of 0..32767; glibc's reaches 2^31 - 1.
  return std::rand() / (RAND_MAX / 32768 + 1);
}

Vortex::Vortex(RandomSource random)
    : random_(random != nullptr ? random : &libraryRandom), mesh_(buildCubeMesh()) {}

void Vortex::addCube(float x, float y) {
  if (std::isfinite(x) && std::isfinite(y)) requests_.push(CubeRequest{x, y});
}

void Vortex::land(const CubeRequest& request) {
  if (cubeCount_ >= kCubeSlots) return;
  VortexCube cube;
  cube.x = request.x;
  cube.y = request.y;
  cube.z = -6.0f;
  // Drawn in this order: z, y, x.
  const float z = spread(random_());
  const float y = spread(random_());
  const float x = spread(random_());
  const float length = std::sqrt(x * x + y * y + z * z);
  // Three draws of 16384 give a zero vector, about which no rotation exists.
  if (length > 0.0f) {
    cube.axisX = x / length;
    cube.axisY = y / length;
    cube.axisZ = z / length;
  }
  cube.lifetime = 5.0f;
  cubes_[cubeCount_++] = cube;
}

void Vortex::spawnPoint() {
  if (pointCount_ >= kPointSlots) return;
  const int r = random_();
  // About 51.5 % of the steps bring a point: r <= 16883.
  if (2 * r - 32768 >= 1000) return;
  VortexPoint& point = points_[pointCount_++];
  point = VortexPoint{};
  // Spans 0..560 by 0..400 pixels.
  point.x = static_cast<float>(2 * random_() - 1) * 0.008545183f;
  point.y = static_cast<float>(2 * random_() - 1) * 0.006103702f;
  point.z = -1.0f;
  point.lifetime = 5.0f;
}

void Vortex::step() {
  requests_.drain([this](const CubeRequest& request) { land(request); });
  if (!eyeCandyOn()) return;
  ageSlots(points_.data(), pointCount_, [](VortexPoint& point) { swirl(point); });
  ageSlots(cubes_.data(), cubeCount_, [](VortexCube& cube) {
    swirl(cube);
    cube.angle += 3.3333335f;  // 100 degrees a second
  });
  spawnPoint();
}

void Vortex::draw3D() {
  if (!eyeCandyOn() || (pointCount_ == 0 && cubeCount_ == 0)) return;
  constexpr GLfloat kFogColour[4] = {0.0f, 0.0f, 0.1f, 0.0f};
  glFogi(GL_FOG_MODE, GL_LINEAR);
  glFogfv(GL_FOG_COLOR, kFogColour);
  glFogf(GL_FOG_START, 300.0f);
  glFogf(GL_FOG_END, 2000.0f);
  glEnable(GL_FOG);

  if (pointCount_ > 0) {
    glDisable(GL_LIGHTING);
    glColor4f(0.8f, 0.8f, 1.0f, 1.0f);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, sizeof(VortexPoint), &points_[0].x);
    glDrawArrays(GL_POINTS, 0, pointCount_);
    glDisableClientState(GL_VERTEX_ARRAY);
    glEnable(GL_LIGHTING);
  }

  if (cubeCount_ > 0) {
    glColor4f(0.4f, 0.4f, 0.6f, 1.0f);
    glInterleavedArrays(GL_N3F_V3F, 0, mesh_.data());
    for (int i = 0; i < cubeCount_; ++i) {
      const VortexCube& cube = cubes_[i];
      glPushMatrix();
      glTranslatef(cube.x, cube.y, cube.z);
      glRotatef(cube.angle, cube.axisX, cube.axisY, cube.axisZ);
      glDrawArrays(GL_QUADS, 0, static_cast<GLsizei>(mesh_.size()));
      glPopMatrix();
    }
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
  }

  glDisable(GL_FOG);
}

}  // namespace TW
