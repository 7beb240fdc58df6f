// Eight single-precision lanes over AVX, lane-wise the same IEEE operations as Float4.
// Every function here is compiled for AVX: call them only from functions that are too
// (target("avx")), chosen at run time after checking the processor.
#pragma once

#include <immintrin.h>

#include "engine/float4.h"

// GCC and clang spell "compile this region for AVX" differently.
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx")
#endif

namespace gw {

struct alignas(32) Float8 {
  __m256 v;

  Float8() : v(_mm256_setzero_ps()) {}
  explicit Float8(__m256 x) : v(x) {}

  static Float8 splat(float x) { return Float8(_mm256_set1_ps(x)); }
  // One float from memory into all lanes, without a shuffle.
  static Float8 broadcast(const float* p) { return Float8(_mm256_broadcast_ss(p)); }
  static Float8 halves(Float4 low, Float4 high) {
    return Float8(_mm256_insertf128_ps(_mm256_castps128_ps256(low.v), high.v, 1));
  }

  Float4 low() const { return Float4(_mm256_castps256_ps128(v)); }
  Float4 high() const { return Float4(_mm256_extractf128_ps(v, 1)); }
};

inline Float8 operator+(Float8 a, Float8 b) {
  return Float8(_mm256_add_ps(a.v, b.v));
}
inline Float8 operator-(Float8 a, Float8 b) {
  return Float8(_mm256_sub_ps(a.v, b.v));
}
inline Float8 operator*(Float8 a, Float8 b) {
  return Float8(_mm256_mul_ps(a.v, b.v));
}
inline Float8 operator-(Float8 a) {
  return Float8(_mm256_xor_ps(a.v, _mm256_set1_ps(-0.0f)));
}

inline Float8 operator+(Float8 a, float b) {
  return a + Float8::splat(b);
}
inline Float8 operator-(Float8 a, float b) {
  return a - Float8::splat(b);
}
inline Float8 operator*(Float8 a, float b) {
  return a * Float8::splat(b);
}
inline Float8 operator-(float a, Float8 b) {
  return Float8::splat(a) - b;
}

// Same NaN rule as Float4's: the second operand wins.
inline Float8 min(Float8 a, Float8 b) {
  return Float8(_mm256_min_ps(a.v, b.v));
}
inline Float8 max(Float8 a, Float8 b) {
  return Float8(_mm256_max_ps(a.v, b.v));
}

// Toward zero; valid for |x| < 2^31, as Float4's.
inline Float8 trunc(Float8 x) {
  return Float8(_mm256_cvtepi32_ps(_mm256_cvttps_epi32(x.v)));
}

}  // namespace gw

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif
