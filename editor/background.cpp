#include "editor/background.h"

#include <algorithm>
#include <cmath>

namespace gw::background {
namespace {

constexpr std::array<float, kVertexCount> kBaseBlue{0.22f, 0.22f, 0.22f, 0.20f, 0.20f,
                                                    0.20f, 0.23f, 0.23f, 0.23f};
constexpr std::array<double, kVertexCount> kFrequency{1.0,  1.1, 0.9,  1.05, 0.8,
                                                      0.95, 1.1, 1.02, 0.97};

// Activity beyond 0.2 (a couple of loud voices) no longer speeds the animation up.
float clampedActivity(float activity) {
  return std::min(std::max(activity, 0.0f), 0.2f);
}

}  // namespace

Vertices initial() {
  Vertices v{};
  for (int i = 0; i < kVertexCount; ++i) {
    float* vertex = &v[i * kFloatsPerVertex];
    vertex[0] = 0.0f;
    vertex[1] = 0.0f;
    vertex[2] = kBaseBlue[i];
    vertex[3] = static_cast<float>(i % 3) - 1.0f;
    vertex[4] = static_cast<float>(i / 3) - 1.0f;
    vertex[5] = 0.0f;
  }
  return v;
}

double advance(double time, float activity, float frameInterval) {
  return time + (clampedActivity(activity) * 20.0f + 0.3f) * frameInterval;
}

void colour(Vertices& vertices, double time, float activity) {
  const double amplitude = clampedActivity(activity) * 10.0f + 1.0f;
  for (int i = 0; i < kVertexCount; ++i) {
    const float sway = static_cast<float>(std::sin(kFrequency[i] * time) * amplitude) * 0.05f;
    float* vertex = &vertices[i * kFloatsPerVertex];
    vertex[0] = 0.0f - sway;  // below zero GL clamps it away
    vertex[2] = kBaseBlue[i] - sway;
  }
}

}  // namespace gw::background
