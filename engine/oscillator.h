// The additive oscillator's two shared functions: the polynomial sine and the
// pulse-width phase warp. The editor's waveform display evaluates the same functions,
// so it draws exactly the cycle the engine plays.
#pragma once

#include "engine/float4.h"

namespace gw {

// sin(2π·a) for a ≥ 0 (T = float or Float4). Odd degree-9 polynomial on the folded
// argument; error before single-precision rounding about 4e-8.
template <class T>
inline T fastSine(T a) {
  const T r = a - trunc(a);
  // Folds r into [-0.25, 0.25] with sin(2π·a) = -sin(2π·b).
  const T b = max(-r, min(1.0f - r, r - 0.5f));
  const T b2 = b * b;
  T p = b2 * -39.710674f + 76.574974f;
  p = p * b2 + -81.602234f;
  p = p * b2 + 41.341679f;
  p = p * b2 + -6.2831855f;
  return p * b;
}

// Bends the phase (cycles, [0, 1)) so that the first half of the warped cycle takes the
// fraction pw of the period. pw is not clamped: any finite pw gives a finite result, and
// the reciprocal of the side that is not chosen (possibly infinite) is never used.
inline float phaseWarp(float phase, float pw) {
  if (pw == 0.0f || phase > pw) {
    const float r1 = 1.0f / (1.0f - pw);
    return (0.5f - pw) * r1 + phase * 0.5f * r1;
  }
  return phase * 0.5f * (1.0f / pw);
}

// The branch-free twin of phaseWarp for four phases; identical results lane by lane.
inline Float4 phaseWarp(Float4 phase, Float4 pw) {
  const Float4 one = Float4::splat(1.0f);
  const Float4 r1 = one / (one - pw);
  const Float4 r2 = one / pw;
  const Float4 half = phase * 0.5f;
  const Float4 wide = (0.5f - pw) * r1 + half * r1;
  const Float4 narrow = half * r2;
  const Float4 useWide = cmpEq(pw, Float4()) | cmpGt(phase, pw);
  return select(useWide, wide, narrow);
}

// The harmonic numbers 1..16 as four lane groups.
inline Float4 harmonicNumbers(int group) {
  const float k = static_cast<float>(group * 4);
  return Float4::make(k + 1.0f, k + 2.0f, k + 3.0f, k + 4.0f);
}

}  // namespace gw
