// The AVX build of the voice loop: eight voices side by side, and each voice's sixteen
// harmonics' sines eight lanes at a time. Lane by lane the same operations in the same
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

// Groups 0 and 1 in one eight-lane half, 2 and 3 in the other; harmonicSum's lane-wise
// group order ((g0 + g1) + g2) + g3 and its lane sum are kept. Each harmonic's gain is its
// source's gain picked by lane times its level: harmonicSum's sum of four products has
// that one non-zero term, so both give the same value (a zero gain may differ in sign,
// which no sum or product of non-zero values can show).
struct WideHarmonics {
  Float8 numbers[2];
  Float8 levels[2];
  Lanes8 sources[2];
};

GW_AVX WideHarmonics wideHarmonics(const VoiceBlock& b) {
  WideHarmonics w{{Float8::halves(harmonicNumbers(0), harmonicNumbers(1)),
                   Float8::halves(harmonicNumbers(2), harmonicNumbers(3))},
                  {},
                  {}};
  for (int p = 0; p < 2; ++p) {
    alignas(32) float level[8] = {};
    alignas(32) std::int32_t source[8] = {};
    for (int lane = 0; lane < 8; ++lane) {
      const int g = 2 * p + lane / 4;
      for (int j = 0; j < 4; ++j) {
        const float l = b.gains[g][j].lane(lane % 4);
        if (l != 0.0f) {
          level[lane] = l;
          source[lane] = j;
        }
      }
    }
    w.levels[p] = Float8::load(level);
    w.sources[p] = Lanes8::load(source);
  }
  return w;
}

// Two groups' terms: each harmonic's gain times its sine.
GW_AVX Float8 wideTerm(Float8 x, const float* envGains, const WideHarmonics& w, int p) {
  const Float8 gain = pickLanes(Float8::broadcast4(envGains), w.sources[p]) * w.levels[p];
  return gain * fastSine8(w.numbers[p] * x);
}

template <int kGroups>
GW_AVX float harmonicSum8(const float* warped, const float* envGains, const WideHarmonics& w) {
  static_assert(kGroups >= 2 && kGroups <= 4);
  const Float8 x = Float8::broadcast(warped);
  const Float8 first = wideTerm(x, envGains, w, 0);
  Float4 sum = first.low() + first.high();
  if constexpr (kGroups > 2) {
    const Float8 second = wideTerm(x, envGains, w, 1);
    sum = sum + second.low();
    if constexpr (kGroups > 3) sum = sum + second.high();
  }
  return sumLanes(sum);
}

// The AVX oscillator: one voice's sixteen harmonics eight lanes at a time; a group of
// fewer than two uses the SSE2 arithmetic, encoded for AVX.
struct AvxOscillator {
  const VoiceBlock& b;
  WideHarmonics w;
  Float4 numbers[4];

  // Not inlined: a call per voice and run, from the lane template that cannot inline it.
  template <int kGroups>
  __attribute__((target("avx"))) void run(LaneRuns<Float8>& r, int voice, std::uint32_t n) const {
    constexpr int kL = kLanes<Float8>;
    for (std::uint32_t i = 0; i < n; ++i) {
      float x = 0.0f;
      if constexpr (kGroups >= 2)
        x = harmonicSum8<kGroups>(r.warped + i * kL + voice, r.gainsOf(voice, i), w);
      else if constexpr (kGroups == 1)
        x = harmonicSum<1>(Float4::splat(r.warped[i * kL + voice]), numbers, b.gains,
                           Float4::load(r.gainsOf(voice, i)));
      r.x[i * kL + voice] = x;
    }
  }
};

#undef GW_AVX

}  // namespace

__attribute__((target("avx"))) void renderVoicesAvx(Voice* voices, int count, const VoiceBlock& b,
                                                    float* out, std::uint32_t frames) {
  AvxOscillator oscillator{b, wideHarmonics(b), {}};
  for (int g = 0; g < 4; ++g) oscillator.numbers[g] = harmonicNumbers(g);
  constexpr int kL = kLanes<Float8>;
  for (int first = 0; first < count; first += kL)
    renderGroup<Float8>(voices + first, std::min(kL, count - first), b, out, frames, oscillator);
}

}  // namespace gw
