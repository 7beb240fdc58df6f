// The voice filter: a two-pole state-variable filter whose outputs are cross-faded by a
// continuous type (Thru, Low, Band, High, Thru again).
#pragma once

#include "engine/float4.h"
#include "engine/voice.h"
#include "params/param_view.h"

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

// Far above any ordinary level: an undamped filter ("Filter Q" 1) fed at its own
// resonance would otherwise grow without bound until it reached infinity.
constexpr float kFilterStateLimit = 1.0e4f;

// The filter's running state; T is float, or one voice per lane.
template <class T>
struct SvfState {
  T low, band, high;
};
using FilterState = SvfState<float>;

// The type weights as T, for the lane-wide filter step.
template <class T>
struct TypeWeights {
  T thru, low, band, high;
  __attribute__((always_inline)) explicit TypeWeights(const FilterWeights& w)
      : thru(splatAs<T>(w.thru)),
        low(splatAs<T>(w.low)),
        band(splatAs<T>(w.band)),
        high(splatAs<T>(w.high)) {}
};

// The type mix of a step's input and outputs. kFused (the AVX2 build): each product fused
// into the sum it feeds, here and in the integrators of the steps below, in every voice
// layout of that build alike, so that a voice's samples do not depend on its layout.
template <bool kFused = false, class T>
__attribute__((always_inline)) inline T filterMix(const SvfState<T>& s, T x,
                                                  const TypeWeights<T>& w) {
  return mulAdd<kFused>(s.high, w.high,
                        mulAdd<kFused>(s.band, w.band, mulAdd<kFused>(s.low, w.low, x * w.thru)));
}

// One sample through the filter; returns the type mix. f is the coefficient for this
// sample (base plus envelope times range). Every build and lane width gives this step's
// values (a lone voice through filterStepUnlimited where they are the same), so the two
// integrators are limited in the same place everywhere; below the limit this is exactly
// the plain state-variable filter.
template <bool kFused = false, class T>
__attribute__((always_inline)) inline T filterSample(SvfState<T>& s, T x, T f, T damping,
                                                     const TypeWeights<T>& w) {
  const T limit = splatAs<T>(kFilterStateLimit);
  s.low = min(max(mulAdd<kFused>(f, s.band, s.low), -limit), limit);
  s.high = x - s.low - damping * s.band;
  s.band = min(max(mulAdd<kFused>(f, s.high, s.band), -limit), limit);
  return filterMix<kFused>(s, x, w);
}

// filterSample's step without the limits, whose two clamps lengthen the chain that one
// sample waits on the last, and without the type mix, which a caller can take later from
// the states. Exactly filterSample's states for as long as both integrators stay inside
// the limit and finite; a caller checks them with insideFilterLimit and runs the samples
// again with filterSample where they did not.
template <bool kFused = false, class T>
__attribute__((always_inline)) inline void filterStepUnlimited(SvfState<T>& s, T x, T f,
                                                               T damping) {
  s.low = mulAdd<kFused>(f, s.band, s.low);
  s.high = x - s.low - damping * s.band;
  s.band = mulAdd<kFused>(f, s.high, s.band);
}

// Lanes of an integrator state strictly inside the limit, where its clamps change
// nothing; NaN is not (the maximum gives the NaN, which compares false).
template <class T>
__attribute__((always_inline)) inline T insideFilterLimit(T v) {
  return cmpGt(splatAs<T>(kFilterStateLimit), max(v, -v));
}

}  // namespace gw
