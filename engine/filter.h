// The voice filter: a two-pole state-variable filter whose outputs are cross-faded by a
// continuous type (Thru, Low, Band, High, Thru again).
#pragma once

#include <cmath>

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

struct FilterState {
  float low, band, high;
};
// Q 1 leaves the filter undamped, so a harmonic at the cutoff would grow without end. The
// integrators are held within this limit, 80 dB above full scale: a stable sound never gets
// near it, so below it the filter is exactly the plain state-variable filter.
constexpr float kFilterStateLimit = 1.0e4f;
// A branch that is never taken below the limit, rather than a min/max or blend, adds
// nothing to the filter's sample-to-sample chain.
inline float limitFilterState(float v) {
  if (__builtin_expect(std::fabs(v) > kFilterStateLimit, 0))
    return std::copysign(kFilterStateLimit, v);
  return v;
}
// One sample through the filter; returns the type mix. f is the coefficient for this
// sample (base plus envelope times range).
inline float filterSample(FilterState& s, float x, float f, float damping, const FilterWeights& w) {
  s.low = limitFilterState(s.low + f * s.band);
  s.high = x - s.low - damping * s.band;
  s.band = limitFilterState(s.band + f * s.high);
  return x * w.thru + s.low * w.low + s.band * w.band + s.high * w.high;
}

}  // namespace gw
