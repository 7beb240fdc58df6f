// The voice filter: a two-pole state-variable filter whose outputs are cross-faded by a
// continuous type (Thru, Low, Band, High, Thru again).
#pragma once

#include <algorithm>

#include "engine/param_view.h"
#include "engine/voice.h"

namespace gw {

struct FilterWeights {
  float thru, low, band, high;
};

struct FilterBlock {
  FilterWeights weights;
  double w = 0.0;  // cutoff in radians per sample before keyboard and velocity
  double damping = 0.0;
};

// Type weights for a type value u; outside 0..4 the outer pair is extrapolated.
FilterWeights filterTypeWeights(float u);

// Per block, with lfo the filter LFO's value.
FilterBlock filterBlock(ParamView params, double lfo, float sampleRate);

// Per block and voice: filterCoefBase, filterCoefRange and filterDamping.
void setFilterCoefficients(Voice& v, const FilterBlock& block, ParamView params);

// One sample through the filter; returns the type mix. f is the coefficient for this
// sample (base plus envelope times range).
struct FilterState {
  float low, band, high;
};
// Q 1 leaves the filter undamped, so a harmonic at the cutoff would grow without end. The
// integrators are held within this limit, 80 dB above full scale: a stable sound never gets
// near it, so below it the filter is exactly the plain state-variable filter.
constexpr float kFilterStateLimit = 1.0e4f;
inline float limitFilterState(float v) {
  return std::min(std::max(v, -kFilterStateLimit), kFilterStateLimit);
}
inline float filterSample(FilterState& s, float x, float f, float damping, const FilterWeights& w) {
  // The high output takes the low integrator before its limit, which keeps that limit off
  // the chain from one sample to the next; below the limit the two are the same.
  const float low = s.low + f * s.band;
  s.high = x - low - damping * s.band;
  s.band = limitFilterState(s.band + f * s.high);
  s.low = limitFilterState(low);
  return x * w.thru + s.low * w.low + s.band * w.band + s.high * w.high;
}

}  // namespace gw
