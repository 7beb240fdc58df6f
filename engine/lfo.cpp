#include "engine/lfo.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/oscillator.h"

namespace gw {

namespace {
// Single-precision 2π: the filter LFO's phase wraps here.
constexpr float kTwoPi = 6.2831855f;
// Beyond this many decades the rate is held at sr/4 anyway; the bound also keeps an
// absurd multiplier from spinning the loop.
constexpr int kMaxDecades = 12;
}  // namespace

float lfoMultiplierFactor(float m) {
  float factor = 1.0f;
  if (m > 0.0f) {
    int decades = 0;
    do {
      m -= 1.0f;
      factor *= 10.0f;
    } while (m > 0.0f && ++decades < kMaxDecades);
  }
  return factor;
}

Float4 voiceLfoIncrements(ParamView p, float sr) {
  const float perSample = 0.5f / sr;
  alignas(16) float inc[4];
  for (int lane = 0; lane < 4; ++lane) {
    const int k = lfoOfLane(lane);
    inc[lane] = p[param::lfoSpeed(k)] * lfoMultiplierFactor(p[param::lfoMultiplier(k)]) * perSample;
  }
  return Float4::load(inc);
}

Float4 voiceLfoCoefficients(Float4 increments, double pitchOctaves, ParamView p) {
  alignas(16) float y[4];
  for (int lane = 0; lane < 4; ++lane) {
    const double kb = std::exp2(pitchOctaves * p[param::lfoKbTrack(lfoOfLane(lane))]);
    y[lane] = static_cast<float>(std::min(increments.lane(lane) * kb, 0.125));
  }
  return fastSine(Float4::load(y)) * 2.0f;
}

float pwLfoCoefficient(ParamView p, float sr) {
  return static_cast<float>(2.0 * std::sin(p[param::kPwLfoSpeed] * (1.0 / sr) * std::numbers::pi));
}

double advanceFilterLfo(float& phase, ParamView p, int frames, float sr) {
  phase = phase + frames * p[param::kFilterLfoSpeed] * (1.0f / sr) * kTwoPi;
  if (!std::isfinite(phase) || phase < 0.0f) phase = 0.0f;
  for (int i = 0; phase >= kTwoPi; ++i) {
    // A few subtractions for sane rates; a huge step is reduced in one go.
    if (i == 16)
      phase = std::fmod(phase, kTwoPi);
    else
      phase -= kTwoPi;
  }
  return std::sin(static_cast<double>(phase));
}

}  // namespace gw
