// The AVX build of the voice loop: the sixteen harmonics' sines eight lanes at a time.
// Lane by lane the same operations in the same order as the SSE2 build, so both give
// identical samples. Only the functions marked target("avx") here touch eight lanes.
#include "engine/float8.h"
#include "engine/voice_loop.h"

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
// group order ((g0 + g1) + g2) + g3 and its lane sum are kept.
struct WideHarmonics {
  Float8 numbers[2];
  Float8 gains[2][4];
};

GW_AVX WideHarmonics wideHarmonics(const VoiceBlock& b) {
  WideHarmonics w{{Float8::halves(harmonicNumbers(0), harmonicNumbers(1)),
                   Float8::halves(harmonicNumbers(2), harmonicNumbers(3))},
                  {}};
  for (int p = 0; p < 2; ++p)
    for (int j = 0; j < 4; ++j)
      w.gains[p][j] = Float8::halves(b.gains[2 * p][j], b.gains[2 * p + 1][j]);
  return w;
}

// Two groups' terms: each harmonic's gain (the one non-zero source product) times its sine.
GW_AVX Float8 wideTerm(Float8 x, const float* envGains, const WideHarmonics& w, int p) {
  const Float8 gain = Float8::broadcast(envGains) * w.gains[p][0] +
                      Float8::broadcast(envGains + 1) * w.gains[p][1] +
                      Float8::broadcast(envGains + 2) * w.gains[p][2] +
                      Float8::broadcast(envGains + 3) * w.gains[p][3];
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

// oscillatorPass with the eight-lane sum.
template <int kGroups>
GW_AVX void oscillatorPass8(const WideHarmonics& w, RunBuffers& r, std::uint32_t n) {
  for (std::uint32_t i = 0; i < n; ++i)
    r.x[i] = harmonicSum8<kGroups>(r.warped + i, r.envGains + 4 * i, w);
}

#undef GW_AVX

}  // namespace

__attribute__((target("avx"))) void renderSamplesAvx(EnvelopeLanes& env, VoiceState& st,
                                                     const Voice& v, const VoiceBlock& b,
                                                     float* out, std::uint32_t frames) {
  VoiceLoop loop(env, st, v, b);
  const WideHarmonics w = wideHarmonics(b);
  std::uint32_t n = std::min(kPass, frames);
  loop.modulateRun(loop.runs[0], n);
  for (std::uint32_t done = 0, k = 0; n > 0; k ^= 1) {
    RunBuffers& now = loop.runs[k];
    switch (b.groups) {
      case 0:
        oscillatorPass<0>(loop, now, n);
        break;
      case 1:
        oscillatorPass<1>(loop, now, n);
        break;
      case 2:
        oscillatorPass8<2>(w, now, n);
        break;
      case 3:
        oscillatorPass8<3>(w, now, n);
        break;
      default:
        oscillatorPass8<4>(w, now, n);
        break;
    }
    const std::uint32_t ahead = std::min(kPass, frames - done - n);
    loop.filterAndModulate(now, out + done, n, loop.runs[k ^ 1], ahead);
    done += n;
    n = ahead;
  }
  env = loop.e;
  st = loop.s;
}

}  // namespace gw
