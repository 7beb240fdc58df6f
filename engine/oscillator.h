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
// the quotient of the side that is not chosen (possibly infinite) is never used.
// Exact divisions, so every build and processor gives the same phase.
inline float phaseWarp(float phase, float pw) {
  const float half = phase * 0.5f;
  if (pw == 0.0f || phase > pw) return ((0.5f - pw) + half) / (1.0f - pw);
  return half / pw;
}

// One phase per lane (T is Float4, or Float8 inside the AVX build); identical results
// lane by lane. Inlined always, so that the AVX build can inline its operations.
template <class T>
__attribute__((always_inline)) inline T phaseWarp(T phase, T pw) {
  const T half = phase * 0.5f;
  const T wide = ((0.5f - pw) + half) / (1.0f - pw);
  const T narrow = half / pw;
  return select(cmpEq(pw, T()) | cmpGt(phase, pw), wide, narrow);
}

// The harmonic numbers 1..16 as four lane groups.
inline Float4 harmonicNumbers(int group) {
  const float k = static_cast<float>(group * 4);
  return Float4::make(k + 1.0f, k + 2.0f, k + 3.0f, k + 4.0f);
}

// The voice's unfiltered sample: sixteen harmonics of the warped phase, each with its
// level (times Volume³) and the gain of its source. gains[g][j] holds the levels of
// harmonics 4g+1..4g+4 in the lanes whose source is j, zero elsewhere; envGains holds the
// four sources' gains. Sums lane-wise over the groups; the sample is then the sum across
// the lanes as (l0 + l2) + (l1 + l3), sumLanes' order (the oscillators take four items'
// lane sums at once in that order).
// kGroups < 4 leaves out trailing groups whose levels are all zero: they add exact zeros.
template <int kGroups = 4>
inline Float4 harmonicLanes(Float4 warped, const Float4 (&numbers)[4], const Float4 (&gains)[4][4],
                            Float4 envGains) {
  static_assert(kGroups >= 1 && kGroups <= 4);
  const Float4 e0 = broadcast<0>(envGains);
  const Float4 e1 = broadcast<1>(envGains);
  const Float4 e2 = broadcast<2>(envGains);
  const Float4 e3 = broadcast<3>(envGains);
  auto term = [&](int g) {
    const Float4 gain = e0 * gains[g][0] + e1 * gains[g][1] + e2 * gains[g][2] + e3 * gains[g][3];
    return gain * fastSine(numbers[g] * warped);
  };
  Float4 sum = term(0);
  if constexpr (kGroups > 1) sum = sum + term(1);
  if constexpr (kGroups > 2) sum = sum + term(2);
  if constexpr (kGroups > 3) sum = sum + term(3);
  return sum;
}

}  // namespace gw
