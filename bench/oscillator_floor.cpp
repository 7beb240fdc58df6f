// The oscillator floor: sixteen harmonics of one phase summed with the polynomial sine and
// fixed levels, nothing else (no envelopes, LFOs, pulse width, filter or effect). The
// engine's heavy setting is measured against this loop of the same instruction set:
// SSE2 with four lanes per voice; AVX with two voices sharing one eight-lane loop (lanes
// 0-3 one voice's group of four harmonics, 4-7 the other's); and AVX2 with FMA, the same
// loop with fused multiply-adds in the polynomial.
#include <benchmark/benchmark.h>
#include <immintrin.h>

#include <array>
#include <cmath>
#include <vector>

#include "bench/bench_counters.h"
#include "bench/bench_scene.h"
#include "engine/float4.h"
#include "engine/float8.h"
#include "engine/oscillator.h"

namespace gw::bench {
namespace {

constexpr int kVoices = 32;

float levelOf(int k) {
  return (k % 2 ? 1.0f : -1.0f) / k;
}

float incrementOf(int voice) {
  return 440.0f * std::exp2((heldNote(voice) - 69) / 12.0f) / kRate;
}

void floorSse2(float* out, std::array<float, kVoices>& phase) {
  Float4 levels[4];
  for (int g = 0; g < 4; ++g)
    levels[g] = Float4::make(levelOf(4 * g + 1), levelOf(4 * g + 2), levelOf(4 * g + 3),
                             levelOf(4 * g + 4));
  for (int v = 0; v < kVoices; ++v) {
    const float step = incrementOf(v);
    float p = phase[v];
    for (int i = 0; i < kBlock; ++i) {
      const Float4 x = Float4::splat(p);
      Float4 sum = levels[0] * fastSine(harmonicNumbers(0) * x);
      for (int g = 1; g < 4; ++g) sum = sum + levels[g] * fastSine(harmonicNumbers(g) * x);
      out[i] += sumLanes(sum);
      p = p + step;
      p = p - trunc(p);
    }
    phase[v] = p;
  }
}

// Two voices per eight-lane vector; kFused uses fused multiply-adds in the polynomial.
template <bool kFused>
__attribute__((target("avx2,fma"), always_inline)) inline __m256 madd(__m256 a, __m256 b,
                                                                      __m256 c) {
  if constexpr (kFused)
    return _mm256_fmadd_ps(a, b, c);
  else
    return _mm256_add_ps(_mm256_mul_ps(a, b), c);
}

template <bool kFused>
__attribute__((target("avx2,fma"), always_inline)) inline __m256 sine8(__m256 a) {
  const __m256 r = _mm256_sub_ps(a, _mm256_round_ps(a, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC));
  const __m256 b = _mm256_max_ps(_mm256_xor_ps(r, _mm256_set1_ps(-0.0f)),
                                 _mm256_min_ps(_mm256_sub_ps(_mm256_set1_ps(1.0f), r),
                                               _mm256_sub_ps(r, _mm256_set1_ps(0.5f))));
  const __m256 b2 = _mm256_mul_ps(b, b);
  __m256 p = madd<kFused>(b2, _mm256_set1_ps(-39.710674f), _mm256_set1_ps(76.574974f));
  p = madd<kFused>(p, b2, _mm256_set1_ps(-81.602234f));
  p = madd<kFused>(p, b2, _mm256_set1_ps(41.341679f));
  p = madd<kFused>(p, b2, _mm256_set1_ps(-6.2831855f));
  return _mm256_mul_ps(p, b);
}

template <bool kFused>
__attribute__((target("avx2,fma"))) void floorPairs(float* out, std::array<float, kVoices>& phase) {
  __m256 numbers[4], levels[4];
  for (int g = 0; g < 4; ++g) {
    alignas(32) float n[8], l[8];
    for (int i = 0; i < 8; ++i) {
      n[i] = static_cast<float>(4 * g + i % 4 + 1);
      l[i] = levelOf(4 * g + i % 4 + 1);
    }
    numbers[g] = _mm256_load_ps(n);
    levels[g] = _mm256_load_ps(l);
  }
  for (int v = 0; v < kVoices; v += 2) {
    const __m256 step = _mm256_setr_ps(incrementOf(v), incrementOf(v), incrementOf(v),
                                       incrementOf(v), incrementOf(v + 1), incrementOf(v + 1),
                                       incrementOf(v + 1), incrementOf(v + 1));
    __m256 p = _mm256_setr_ps(phase[v], phase[v], phase[v], phase[v], phase[v + 1], phase[v + 1],
                              phase[v + 1], phase[v + 1]);
    for (int i = 0; i < kBlock; ++i) {
      __m256 sum = _mm256_mul_ps(levels[0], sine8<kFused>(_mm256_mul_ps(numbers[0], p)));
      for (int g = 1; g < 4; ++g)
        sum = madd<kFused>(levels[g], sine8<kFused>(_mm256_mul_ps(numbers[g], p)), sum);
      // Both voices' lanes summed into the one output.
      const __m128 both = _mm_add_ps(_mm256_castps256_ps128(sum), _mm256_extractf128_ps(sum, 1));
      out[i] += sumLanes(Float4(both));
      p = _mm256_add_ps(p, step);
      p = _mm256_sub_ps(p, _mm256_round_ps(p, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC));
    }
    alignas(32) float lanes[8];
    _mm256_store_ps(lanes, p);
    phase[v] = lanes[0];
    phase[v + 1] = lanes[4];
  }
}

enum FloorKind { kSse2 = 0, kAvx = 1, kAvx2Fma = 2 };

void oscillatorFloor(benchmark::State& state) {
  const auto kind = static_cast<FloorKind>(state.range(0));
  __builtin_cpu_init();
  // Both wide loops are compiled for AVX2 and FMA; the AVX one uses no fused operation.
  if (kind != kSse2 && !(__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")))
    return state.SkipWithError("no AVX2 and FMA on this processor");
  std::vector<float> out(kBlock);
  std::array<float, kVoices> phase{};
  for (auto _ : state) {
    if (kind == kSse2)
      floorSse2(out.data(), phase);
    else if (kind == kAvx)
      floorPairs<false>(out.data(), phase);
    else
      floorPairs<true>(out.data(), phase);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  setVoiceSampleCounters(state, kVoices);
}

BENCHMARK(oscillatorFloor)
    ->ArgName("isa")
    ->DenseRange(kSse2, kAvx2Fma)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace gw::bench
