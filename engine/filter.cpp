#include "engine/filter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace gw {

namespace {
constexpr double kQuarterPi = std::numbers::pi / 4.0;

double coefficient(double w) {
  return 2.0 * std::sin(std::min(w, kQuarterPi));
}

// Damping at most this share of the stability limit 2/f - f/2. At the limit itself one
// pole sits on the unit circle at half the sample rate, where the aliased harmonics of
// high notes feed it and rounding can tip it outside; one per cent inside, that pole
// decays by about 2% a sample.
constexpr double kStableShare = 0.99;

// The largest damping at which the filter stays stable with coefficient f; none at f = 0.
double stableDamping(double damping, double f) {
  if (!(f > 0.0)) return damping;
  return std::min(damping, kStableShare * (2.0 / f - f / 2.0));
}
}  // namespace

FilterWeights filterTypeWeights(float u) {
  if (u < 1.0f) return {1.0f - u, u, 0.0f, 0.0f};
  if (u < 2.0f) return {0.0f, 2.0f - u, u - 1.0f, 0.0f};
  if (u < 3.0f) return {0.0f, 0.0f, 3.0f - u, u - 2.0f};
  return {u - 3.0f, 0.0f, 0.0f, 4.0f - u};
}

FilterBlock filterBlock(ParamView p, double lfo, float sr) {
  FilterBlock b;
  b.weights = filterTypeWeights(
      static_cast<float>(p[param::kFilterType] + p[param::kFilterLfoTypeAmount] * lfo));
  // Logarithmic above 62.5 Hz and nearly linear below, so a deep LFO reaches 0 Hz.
  const double fc = 62.5 * std::exp2(p[param::kFilterLfoAmount] * lfo +
                                     std::log2(1.0 + p[param::kFilterCutoff] * 0.016)) -
                    62.5;
  b.w = std::max(fc, 0.0) * std::numbers::pi / sr;
  if (!std::isfinite(b.w)) b.w = 0.0;
  b.damping = std::min(2.0 * (1.0 - std::pow(static_cast<double>(p[param::kFilterQ]), 0.25)), 2.0);
  return b;
}

void setFilterCoefficients(Voice& v, const FilterBlock& b, ParamView p) {
  const double octaves =
      p[param::kFilterKbTrack] * v.pitchOctaves + p[param::kVelocityFilterAmount] * v.velocity;
  const double f1 = coefficient(b.w * std::exp2(octaves));
  const double f2 = coefficient(b.w * std::exp2(octaves + p[param::kFilterEnvAmount]));
  v.filterCoefBase = static_cast<float>(f1);
  v.filterCoefRange = static_cast<float>(f2 - f1);
  v.filterDamping = static_cast<float>(stableDamping(stableDamping(b.damping, f1), f2));
}

}  // namespace gw
