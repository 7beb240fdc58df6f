// The AVX build of the voice loop: eight voices side by side, and the sixteen harmonics'
// sines of two voices eight lanes at a time. Lane by lane the same operations in the same
// order as the SSE2 build, so both give identical samples. Only the functions marked
// target("avx") here touch eight lanes.
#include <cstdint>

#include "engine/float8.h"
#include "engine/voice_lanes.h"

namespace gw {

namespace {

#define GW_AVX __attribute__((target("avx"), always_inline)) inline

// fastSine's polynomial, operation for operation; a template instance of fastSine could
// not inline the AVX operations, which is why the eight-lane copy lives here.
GW_AVX Float8 fastSine8(Float8 a) {
  const Float8 r = a - trunc(a);
  const Float8 b = max(-r, min(1.0f - r, r - 0.5f));
  const Float8 b2 = b * b;
  Float8 p = b2 * -39.710674f + 76.574974f;
  p = p * b2 + -81.602234f;
  p = p * b2 + 41.341679f;
  p = p * b2 + -6.2831855f;
  return p * b;
}

// Two voices side by side, one in each half of the eight lanes, one group of four
// harmonics per vector: per half the same operations in the same order as harmonicSum
// (groups added lane-wise in order, then (l0 + l2) + (l1 + l3)). Each harmonic's gain is
// its source's gain picked by lane times its level: harmonicSum's sum of four products
// has that one non-zero term, so both give the same value (a zero gain may differ in
// sign, which no sum or product of non-zero values can show).
struct PairHarmonics {
  Float8 numbers[4];
  Float8 levels[4];
  Lanes8 sources[4];
};

GW_AVX PairHarmonics pairHarmonics(const VoiceBlock& b) {
  PairHarmonics h;
  for (int g = 0; g < 4; ++g) {
    alignas(32) float level[8] = {};
    alignas(32) std::int32_t source[8] = {};
    for (int lane = 0; lane < 8; ++lane) {
      for (int j = 0; j < 4; ++j) {
        const float l = b.gains[g][j].lane(lane % 4);
        if (l != 0.0f) {
          level[lane] = l;
          source[lane] = j;
        }
      }
    }
    h.numbers[g] = Float8::halves(harmonicNumbers(g), harmonicNumbers(g));
    h.levels[g] = Float8::load(level);
    h.sources[g] = Lanes8::load(source);
  }
  return h;
}

// Group g's terms of both voices: each harmonic's gain times its sine.
GW_AVX Float8 pairTerm(Float8 x, Float8 envGains, const PairHarmonics& h, int g) {
  const Float8 gain = pickLanes(envGains, h.sources[g]) * h.levels[g];
  return gain * fastSine8(h.numbers[g] * x);
}

// The AVX oscillator: the sixteen harmonics of two voices at a time.
struct AvxOscillator {
  PairHarmonics h;

  // Not inlined: a call per group and run, from the lane template that cannot inline it.
  // An odd voice out is paired with itself.
  template <int kGroups>
  __attribute__((target("avx"))) void run(LaneRuns<Float8>& r, int count, std::uint32_t n) const {
    constexpr int kL = kLanes<Float8>;
    for (int a = 0; a < count; a += 2) {
      const int b = std::min(a + 1, count - 1);
      for (std::uint32_t i = 0; i < n; ++i) {
        float xa = 0.0f, xb = 0.0f;
        if constexpr (kGroups > 0) {
          const Float8 x = Float8::halves(Float4::splat(r.warped[i * kL + a]),
                                          Float4::splat(r.warped[i * kL + b]));
          const Float8 gains =
              Float8::halves(Float4::load(r.gainsOf(a, i)), Float4::load(r.gainsOf(b, i)));
          Float8 sum = pairTerm(x, gains, h, 0);
          if constexpr (kGroups > 1) sum = sum + pairTerm(x, gains, h, 1);
          if constexpr (kGroups > 2) sum = sum + pairTerm(x, gains, h, 2);
          if constexpr (kGroups > 3) sum = sum + pairTerm(x, gains, h, 3);
          const Float8 pairs = sum + swizzle<2, 3, 2, 3>(sum);
          const Float8 total = pairs + swizzle<1, 1, 1, 1>(pairs);
          xa = total.low().lane0();
          xb = total.high().lane0();
        }
        r.x[i * kL + a] = xa;
        r.x[i * kL + b] = xb;
      }
    }
  }
};

#undef GW_AVX

}  // namespace

__attribute__((target("avx"))) void renderVoicesAvx(Voice* voices, int count, const VoiceBlock& b,
                                                    float* out, std::uint32_t frames) {
  const AvxOscillator oscillator{pairHarmonics(b)};
  constexpr int kL = kLanes<Float8>;
  for (int first = 0; first < count; first += kL)
    renderGroup<Float8>(voices + first, std::min(kL, count - first), b, out, frames, oscillator);
}

}  // namespace gw
