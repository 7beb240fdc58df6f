// Eight single-precision lanes over AVX, lane-wise the same IEEE operations as Float4.
// Every function here is compiled for AVX: call them only from functions that are too
// (target("avx")), chosen at run time after checking the processor.
#pragma once

#include <immintrin.h>

#include <cstdint>

#include "engine/float4.h"
#include "engine/target_region.h"

GW_TARGET_REGION_BEGIN("avx")

namespace gw {

struct alignas(32) Float8 {
  __m256 v;

  Float8() : v(_mm256_setzero_ps()) {}
  explicit Float8(__m256 x) : v(x) {}

  static Float8 splat(float x) { return Float8(_mm256_set1_ps(x)); }
  // One float from memory into all lanes, without a shuffle.
  static Float8 broadcast(const float* p) { return Float8(_mm256_broadcast_ss(p)); }
  // p must be 32-byte aligned.
  static Float8 load(const float* p) { return Float8(_mm256_load_ps(p)); }
  void store(float* p) const { _mm256_store_ps(p, v); }
  static Float8 loadUnaligned(const float* p) { return Float8(_mm256_loadu_ps(p)); }
  void storeUnaligned(float* p) const { _mm256_storeu_ps(p, v); }
  // Four floats from memory into both halves.
  static Float8 broadcast4(const float* p) {
    return Float8(_mm256_broadcast_ps(reinterpret_cast<const __m128*>(p)));
  }
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
inline Float8 operator/(Float8 a, Float8 b) {
  return Float8(_mm256_div_ps(a.v, b.v));
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
inline Float8 operator+(float a, Float8 b) {
  return Float8::splat(a) + b;
}
inline Float8 operator-(float a, Float8 b) {
  return Float8::splat(a) - b;
}
inline Float8 operator*(float a, Float8 b) {
  return Float8::splat(a) * b;
}
inline Float8& operator+=(Float8& a, Float8 b) {
  return a = a + b;
}

// Lane k of each half in all four lanes of that half.
template <int k>
inline Float8 broadcastInHalves(Float8 a) {
  return Float8(_mm256_permute_ps(a.v, _MM_SHUFFLE(k, k, k, k)));
}

// Float4's transpose in each half: afterwards a holds the old lane 0 of a, b, c, d in
// its low half and the old lane 4 of a, b, c, d in its high half, and so on.
inline void transposeHalves(Float8& a, Float8& b, Float8& c, Float8& d) {
  const __m256 ab0 = _mm256_unpacklo_ps(a.v, b.v), ab1 = _mm256_unpackhi_ps(a.v, b.v);
  const __m256 cd0 = _mm256_unpacklo_ps(c.v, d.v), cd1 = _mm256_unpackhi_ps(c.v, d.v);
  a = Float8(_mm256_shuffle_ps(ab0, cd0, _MM_SHUFFLE(1, 0, 1, 0)));
  b = Float8(_mm256_shuffle_ps(ab0, cd0, _MM_SHUFFLE(3, 2, 3, 2)));
  c = Float8(_mm256_shuffle_ps(ab1, cd1, _MM_SHUFFLE(1, 0, 1, 0)));
  d = Float8(_mm256_shuffle_ps(ab1, cd1, _MM_SHUFFLE(3, 2, 3, 2)));
}

// Rows to columns of an 8 × 8 matrix.
inline void transpose(Float8 (&m)[8]) {
  transposeHalves(m[0], m[1], m[2], m[3]);
  transposeHalves(m[4], m[5], m[6], m[7]);
  for (int k = 0; k < 4; ++k) {
    const __m256 top = m[k].v, bottom = m[k + 4].v;
    m[k] = Float8(_mm256_permute2f128_ps(top, bottom, 0x20));
    m[k + 4] = Float8(_mm256_permute2f128_ps(top, bottom, 0x31));
  }
}

// a × b + c with a single rounding; only for functions compiled for FMA.
__attribute__((target("avx2,fma"))) inline Float8 fusedMulAdd(Float8 a, Float8 b, Float8 c) {
  return Float8(_mm256_fmadd_ps(a.v, b.v, c.v));
}
__attribute__((target("avx2,fma"))) inline Float4 fusedMulAdd(Float4 a, Float4 b, Float4 c) {
  return Float4(_mm_fmadd_ps(a.v, b.v, c.v));
}

// Eight 32-bit lane indices for pickLanes.
struct alignas(32) Lanes8 {
  __m256i v;
  // p must be 32-byte aligned.
  static Lanes8 load(const std::int32_t* p) {
    return Lanes8{_mm256_load_si256(reinterpret_cast<const __m256i*>(p))};
  }
};

// Lane i of the result is lane index[i] (0..3) of the same half of table.
inline Float8 pickLanes(Float8 table, Lanes8 index) {
  return Float8(_mm256_permutevar_ps(table.v, index.v));
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

// All-ones lanes where true, as Float4's comparisons (ordered, non-signalling).
inline Float8 cmpGt(Float8 a, Float8 b) {
  return Float8(_mm256_cmp_ps(a.v, b.v, _CMP_GT_OQ));
}
inline Float8 cmpEq(Float8 a, Float8 b) {
  return Float8(_mm256_cmp_ps(a.v, b.v, _CMP_EQ_OQ));
}
inline Float8 operator|(Float8 a, Float8 b) {
  return Float8(_mm256_or_ps(a.v, b.v));
}
inline Float8 operator&(Float8 a, Float8 b) {
  return Float8(_mm256_and_ps(a.v, b.v));
}

// Lanes whose bit is set in kMask from b, the others from a.
template <int kMask>
inline Float8 blend(Float8 a, Float8 b) {
  return Float8(_mm256_blend_ps(a.v, b.v, kMask));
}

// [low half of a | low half of b] and [high half of a | high half of b].
inline Float8 lowHalves(Float8 a, Float8 b) {
  return Float8(_mm256_permute2f128_ps(a.v, b.v, 0x20));
}
inline Float8 highHalves(Float8 a, Float8 b) {
  return Float8(_mm256_permute2f128_ps(a.v, b.v, 0x31));
}

// Every lane of a compare's mask set.
inline bool allLanesSet(Float8 mask) {
  return _mm256_movemask_ps(mask.v) == 0xFF;
}

// Bit i set where lane i is not zero (NaN counts as not zero), as Float4's anyNonZero.
inline int nonZeroLanes(Float8 a) {
  return _mm256_movemask_ps(_mm256_cmp_ps(a.v, _mm256_setzero_ps(), _CMP_NEQ_UQ));
}

// Lanes of 0 to 2^31 - 1 truncated toward zero to 32-bit offsets, stored at p (32-byte
// aligned); unsigned, so that an offset needs no widening before it indexes memory.
inline void storeTruncated(Float8 a, std::uint32_t* p) {
  _mm256_store_si256(reinterpret_cast<__m256i*>(p), _mm256_cvttps_epi32(a.v));
}
// Bitwise, as Float4's: GCC turns a blend on a compare into one branch per lane.
inline Float8 select(Float8 mask, Float8 ifTrue, Float8 ifFalse) {
  return Float8(_mm256_or_ps(_mm256_and_ps(mask.v, ifTrue.v), _mm256_andnot_ps(mask.v, ifFalse.v)));
}

// Float4's storeColumns for eight rows: lane v goes to first[v × stride + 0..3].
inline void storeColumns(Float8 a, Float8 b, Float8 c, Float8 d, float* first,
                         std::ptrdiff_t stride) {
  storeColumns(a.low(), b.low(), c.low(), d.low(), first, stride);
  storeColumns(a.high(), b.high(), c.high(), d.high(), first + 4 * stride, stride);
}

}  // namespace gw

GW_TARGET_REGION_END
