// Rates and coefficients of the recursive sine LFOs: the four voice LFOs (lane 0 is
// LFO 4, lanes 1..3 are LFO 1..3), the pulse-width LFO and the shared filter LFO.
#pragma once

#include "engine/float4.h"
#include "params/param_view.h"

namespace gw {

// The parameter number of the voice LFO in lane i.
constexpr int lfoOfLane(int lane) {
  return lane == 0 ? 4 : lane;
}

// 1, 10 or 100 for "LFO k Multiplier" 0, up to 1, up to 2.
float lfoMultiplierFactor(float multiplier);

// Per block: the voice LFOs' phase increments in half cycles per sample.
Float4 voiceLfoIncrements(ParamView params, float sampleRate);

// Per block and voice: the recursive oscillator's coefficient 2·sin(π·f/sr), with
// keyboard tracking around middle C and the rate held at a quarter of the sample rate.
Float4 voiceLfoCoefficients(Float4 increments, double pitchOctaves, ParamView params);

// Per block: the pulse-width LFO's coefficient.
float pwLfoCoefficient(ParamView params, float sampleRate);

// Per block: advances the filter LFO's phase (radians, kept in [0, 2π)) by frames
// samples and returns its sine.
double advanceFilterLfo(float& phase, ParamView params, int frames, float sampleRate);

// One step of the two-state sine oscillator; sin first, then cos from the new sin.
// Inlined always, so that the AVX build can inline its eight-lane operations.
template <class T>
__attribute__((always_inline)) inline void stepOscillator(T& sin, T& cos, T coef) {
  sin = sin + coef * cos;
  cos = cos - coef * sin;
}

}  // namespace gw
