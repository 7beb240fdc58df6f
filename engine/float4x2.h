// Eight single-precision lanes as two Float4 halves, for the SSE2 build of code written
// for Float8: lane-wise the same IEEE operations, so both give the same values.
#pragma once

#include "engine/float4.h"

namespace gw {

struct Float4x2 {
  Float4 lo, hi;  // lanes 0-3, 4-7

  static Float4x2 splat(float x) { return {Float4::splat(x), Float4::splat(x)}; }
  // p must be 16-byte aligned.
  static Float4x2 load(const float* p) { return {Float4::load(p), Float4::load(p + 4)}; }
  Float4 low() const { return lo; }
  Float4 high() const { return hi; }
};

inline Float4x2 operator+(Float4x2 a, Float4x2 b) {
  return {a.lo + b.lo, a.hi + b.hi};
}
inline Float4x2 operator-(Float4x2 a, Float4x2 b) {
  return {a.lo - b.lo, a.hi - b.hi};
}
inline Float4x2 operator*(Float4x2 a, Float4x2 b) {
  return {a.lo * b.lo, a.hi * b.hi};
}
inline Float4x2 min(Float4x2 a, Float4x2 b) {
  return {min(a.lo, b.lo), min(a.hi, b.hi)};
}
inline Float4x2 max(Float4x2 a, Float4x2 b) {
  return {max(a.lo, b.lo), max(a.hi, b.hi)};
}

}  // namespace gw
