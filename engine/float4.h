// Four single-precision lanes over SSE2. Every operation is lane-wise IEEE single
// precision, so a lane gives bit for bit what the same scalar float expression gives
// (with -ffp-contract=off). The only header that uses intrinsics.
#pragma once

#include <emmintrin.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace gw {

struct alignas(16) Float4 {
  __m128 v;

  Float4() : v(_mm_setzero_ps()) {}
  explicit Float4(__m128 x) : v(x) {}

  static Float4 splat(float x) { return Float4(_mm_set1_ps(x)); }
  static Float4 make(float l0, float l1, float l2, float l3) {
    return Float4(_mm_setr_ps(l0, l1, l2, l3));
  }
  // p must be 16-byte aligned.
  static Float4 load(const float* p) { return Float4(_mm_load_ps(p)); }
  void store(float* p) const { _mm_store_ps(p, v); }
  static Float4 loadUnaligned(const float* p) { return Float4(_mm_loadu_ps(p)); }
  // *p in lane 0, zeros above.
  static Float4 loadLane0(const float* p) { return Float4(_mm_load_ss(p)); }
  void storeUnaligned(float* p) const { _mm_storeu_ps(p, v); }

  float lane0() const { return _mm_cvtss_f32(v); }
  float lane(int i) const {
    alignas(16) float out[4];
    _mm_store_ps(out, v);
    return out[i & 3];
  }
};

inline Float4 operator+(Float4 a, Float4 b) {
  return Float4(_mm_add_ps(a.v, b.v));
}
inline Float4 operator-(Float4 a, Float4 b) {
  return Float4(_mm_sub_ps(a.v, b.v));
}
inline Float4 operator*(Float4 a, Float4 b) {
  return Float4(_mm_mul_ps(a.v, b.v));
}
inline Float4 operator/(Float4 a, Float4 b) {
  return Float4(_mm_div_ps(a.v, b.v));
}
inline Float4 operator-(Float4 a) {
  return Float4(_mm_xor_ps(a.v, _mm_set1_ps(-0.0f)));
}

inline Float4 operator+(Float4 a, float b) {
  return a + Float4::splat(b);
}
inline Float4 operator-(Float4 a, float b) {
  return a - Float4::splat(b);
}
inline Float4 operator*(Float4 a, float b) {
  return a * Float4::splat(b);
}
inline Float4 operator+(float a, Float4 b) {
  return Float4::splat(a) + b;
}
inline Float4 operator-(float a, Float4 b) {
  return Float4::splat(a) - b;
}
inline Float4 operator*(float a, Float4 b) {
  return Float4::splat(a) * b;
}

inline Float4& operator+=(Float4& a, Float4 b) {
  return a = a + b;
}
inline Float4& operator-=(Float4& a, Float4 b) {
  return a = a - b;
}
inline Float4& operator*=(Float4& a, Float4 b) {
  return a = a * b;
}

// Same NaN rule as the scalar `a < b ? a : b`: the second operand wins on NaN.
inline Float4 min(Float4 a, Float4 b) {
  return Float4(_mm_min_ps(a.v, b.v));
}
inline Float4 max(Float4 a, Float4 b) {
  return Float4(_mm_max_ps(a.v, b.v));
}

// Toward zero; valid for |x| < 2^31, the range every engine caller stays in.
inline Float4 trunc(Float4 x) {
  return Float4(_mm_cvtepi32_ps(_mm_cvttps_epi32(x.v)));
}

// Four signed 32-bit lanes, for indices computed four at a time.
struct alignas(16) Int4 {
  __m128i v;

  static Int4 splat(std::int32_t x) { return Int4{_mm_set1_epi32(x)}; }
  static Int4 make(std::int32_t l0, std::int32_t l1, std::int32_t l2, std::int32_t l3) {
    return Int4{_mm_setr_epi32(l0, l1, l2, l3)};
  }
  // p must be 16-byte aligned.
  void store(std::int32_t* p) const { _mm_store_si128(reinterpret_cast<__m128i*>(p), v); }
};

// Toward zero; the integer lanes of trunc.
inline Int4 truncToInt(Float4 x) {
  return Int4{_mm_cvttps_epi32(x.v)};
}
inline Int4 operator+(Int4 a, Int4 b) {
  return Int4{_mm_add_epi32(a.v, b.v)};
}
inline Int4 operator-(Int4 a, Int4 b) {
  return Int4{_mm_sub_epi32(a.v, b.v)};
}
inline Int4 operator&(Int4 a, Int4 b) {
  return Int4{_mm_and_si128(a.v, b.v)};
}
// a in the lanes where mask is all zeros, 0 where it is all ones.
inline Int4 unlessMask(Int4 mask, Int4 a) {
  return Int4{_mm_andnot_si128(mask.v, a.v)};
}
inline Int4 cmpGt(Int4 a, Int4 b) {
  return Int4{_mm_cmpgt_epi32(a.v, b.v)};
}
inline Int4 cmpEq(Int4 a, Int4 b) {
  return Int4{_mm_cmpeq_epi32(a.v, b.v)};
}
template <int kBits>
inline Int4 shiftLeft(Int4 a) {
  return Int4{_mm_slli_epi32(a.v, kBits)};
}

// Comparisons give all-ones lanes where true, for select and the bitwise operators.
inline Float4 cmpGt(Float4 a, Float4 b) {
  return Float4(_mm_cmpgt_ps(a.v, b.v));
}
inline Float4 cmpLt(Float4 a, Float4 b) {
  return Float4(_mm_cmplt_ps(a.v, b.v));
}
inline Float4 cmpEq(Float4 a, Float4 b) {
  return Float4(_mm_cmpeq_ps(a.v, b.v));
}
inline Float4 operator&(Float4 a, Float4 b) {
  return Float4(_mm_and_ps(a.v, b.v));
}
inline Float4 operator|(Float4 a, Float4 b) {
  return Float4(_mm_or_ps(a.v, b.v));
}
inline Float4 select(Float4 mask, Float4 ifTrue, Float4 ifFalse) {
  return Float4(_mm_or_ps(_mm_and_ps(mask.v, ifTrue.v), _mm_andnot_ps(mask.v, ifFalse.v)));
}

// True when any lane is not zero (NaN counts as not zero).
inline bool anyNonZero(Float4 a) {
  return _mm_movemask_ps(_mm_cmpneq_ps(a.v, _mm_setzero_ps())) != 0;
}

// Whether every lane of a comparison's mask is set.
inline bool allLanesSet(Float4 mask) {
  return _mm_movemask_ps(mask.v) == 0xF;
}

// Lane 0 of a replaced by x (or by lane 0 of b), the other lanes kept.
inline Float4 withLane0(Float4 a, float x) {
  return Float4(_mm_move_ss(a.v, _mm_set_ss(x)));
}
inline Float4 withLane0(Float4 a, Float4 b) {
  return Float4(_mm_move_ss(a.v, b.v));
}

// One lane copied to all four.
template <int kLane>
inline Float4 broadcast(Float4 a) {
  return Float4(_mm_shuffle_ps(a.v, a.v, _MM_SHUFFLE(kLane, kLane, kLane, kLane)));
}

// One lane into *p.
template <int kLane>
inline void storeLane(Float4 a, float* p) {
  _mm_store_ss(p, broadcast<kLane>(a).v);
}

// Rows to columns: afterwards a holds the old lane 0 of a, b, c, d, and so on.
inline void transpose(Float4& a, Float4& b, Float4& c, Float4& d) {
  _MM_TRANSPOSE4_PS(a.v, b.v, c.v, d.v);
}

// Four vectors as the columns of a 4 × 4 matrix: lane v of a, b, c, d goes to
// first[v × stride + 0..3] (16-byte aligned).
inline void storeColumns(Float4 a, Float4 b, Float4 c, Float4 d, float* first,
                         std::ptrdiff_t stride) {
  transpose(a, b, c, d);
  a.store(first);
  b.store(first + stride);
  c.store(first + 2 * stride);
  d.store(first + 3 * stride);
}

// (l0 + l2) + (l1 + l3).
inline float sumLanes(Float4 a) {
  const __m128 pairs = _mm_add_ps(a.v, _mm_movehl_ps(a.v, a.v));
  return _mm_cvtss_f32(_mm_add_ss(pairs, _mm_shuffle_ps(pairs, pairs, _MM_SHUFFLE(1, 1, 1, 1))));
}

// The vector unit's control and status register (MXCSR): rounding, exception masks and
// the flush-to-zero / denormals-are-zero bits.
inline std::uint32_t readControlRegister() {
  return _mm_getcsr();
}
inline void writeControlRegister(std::uint32_t value) {
  _mm_setcsr(value);
}

// Scalar twins so that templates read the same for float and Float4.
inline float min(float a, float b) {
  return a < b ? a : b;
}
inline float max(float a, float b) {
  return a > b ? a : b;
}
inline float trunc(float x) {
  return std::trunc(x);
}

// x in every lane of T (float, Float4 or Float8), for templates over the lane width.
template <class T>
__attribute__((always_inline)) inline T splatAs(float x) {
  if constexpr (std::is_same_v<T, float>)
    return x;
  else
    return T::splat(x);
}

// a × b + c: two roundings, or one where kFused (only in code compiled for FMA, which
// finds fusedMulAdd for Float4 and Float8 in float8.h).
template <bool kFused, class T>
__attribute__((always_inline)) inline T mulAdd(T a, T b, T c) {
  if constexpr (kFused)
    return fusedMulAdd(a, b, c);
  else
    return a * b + c;
}

}  // namespace gw
