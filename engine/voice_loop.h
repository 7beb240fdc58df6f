// The voice loop shared by the SSE2 and the AVX builds: its state, the modulation pass and
// the filter step. Everything here is inlined into each build's render function.
#pragma once

#include <algorithm>
#include <cstdint>

#include "engine/filter.h"
#include "engine/float4.h"
#include "engine/lfo.h"
#include "engine/oscillator.h"
#include "engine/voice_render.h"

namespace gw {

// The six envelopes' levels and running segment values in two lane groups:
// a = amplitude, Env 1, Env 2, Env 3; b = pulse width, filter, unused, unused.
struct EnvelopeLanes {
  Float4 levelA, incA, curveA;
  Float4 levelB, incB, curveB;
};

// Running state of one voice, copied into locals for the loop and written back after.
struct VoiceState {
  Float4 phase, lfoSin, lfoCos;
  float pwSin, pwCos;
  FilterState filter;
};

// Samples per pass: the modulation pass fills the buffers, the oscillator pass drains them.
constexpr std::uint32_t kPass = 64;

// Two passes per run of up to kPass samples, each with at most a short chain from one
// sample to the next, so the processor overlaps consecutive samples instead of waiting out
// one long chain.
struct VoiceLoop {
  const VoiceBlock& b;
  const Float4 step;
  const float pwBase;
  const Float4 lfoCoef;
  const float coefBase, coefRange, damping;
  EnvelopeLanes e;
  VoiceState s;
  alignas(16) float warped[kPass];
  alignas(16) float envGains[kPass * 4];  // the four sources' gains per sample
  alignas(16) float coef[kPass];
  alignas(16) float amp[kPass];
  Float4 numbers[4];

  __attribute__((always_inline))
  VoiceLoop(const EnvelopeLanes& env, const VoiceState& st, const Voice& v, const VoiceBlock& block)
      : b(block),
        step(v.baseIncrement * block.stepMultiplier),
        pwBase(block.pulseWidth + v.velocity * block.velocityPwAmount),
        lfoCoef(v.lfoCoef),
        coefBase(v.filterCoefBase),
        coefRange(v.filterCoefRange),
        damping(v.filterDamping),
        e(env),
        s(st) {
    for (int g = 0; g < 4; ++g) numbers[g] = harmonicNumbers(g);
  }

  // Envelopes, pulse width and warped phase, LFO gains, filter coefficient.
  __attribute__((always_inline)) void modulate(std::uint32_t n) {
    // Register copies: the chains must not run through the stack.
    EnvelopeLanes le = e;
    VoiceState ls = s;
    for (std::uint32_t i = 0; i < n; ++i) {
      le.levelA += le.incA;
      le.incA += le.curveA;
      le.levelB += le.incB;
      le.incB += le.curveB;
      const float pw = le.levelB.lane0() * b.pwEnvAmount + ls.pwSin * b.pwLfoAmount + pwBase;
      warped[i] = phaseWarpSplat(ls.phase, Float4::splat(pw)).lane0();
      ((ls.lfoSin * b.lfoAmount + b.lfoOffset) * withLane0(le.levelA, 1.0f))
          .store(envGains + 4 * i);
      coef[i] = coefBase + broadcast<1>(le.levelB).lane0() * coefRange;
      amp[i] = le.levelA.lane0();
      ls.phase = ls.phase + step;
      ls.phase = ls.phase - trunc(ls.phase);
      stepOscillator(ls.lfoSin, ls.lfoCos, lfoCoef);
      stepOscillator(ls.pwSin, ls.pwCos, b.pwLfoCoef);
    }
    e = le;
    s = ls;
  }

  // Sample i through the filter state f (a local copy, kept in registers) and the
  // amplitude envelope.
  __attribute__((always_inline)) float filtered(FilterState& f, const FilterWeights& weights,
                                                float x, std::uint32_t i) const {
    return filterSample(f, x, coef[i], damping, weights) * amp[i];
  }
};

// The sixteen harmonics four lanes at a time, and the filter in the same loop: its serial
// chain then overlaps the harmonics of the following samples, which do not depend on it.
// kGroups < 4 leaves out trailing groups whose levels are all zero.
template <int kGroups>
__attribute__((always_inline)) inline void oscillatorFilterPass(VoiceLoop& loop, float* out,
                                                                std::uint32_t n) {
  FilterState f = loop.s.filter;
  const FilterWeights weights = loop.b.filter;
  for (std::uint32_t i = 0; i < n; ++i) {
    float x = 0.0f;
    if constexpr (kGroups > 0)
      x = harmonicSum<kGroups>(Float4::splat(loop.warped[i]), loop.numbers, loop.b.gains,
                               Float4::load(loop.envGains + 4 * i));
    out[i] += loop.filtered(f, weights, x, i);
  }
  loop.s.filter = f;
}

__attribute__((always_inline)) inline void oscillatorFilterPass(VoiceLoop& loop, float* out,
                                                                std::uint32_t n, int groups) {
  switch (groups) {
    case 0:
      oscillatorFilterPass<0>(loop, out, n);
      break;
    case 1:
      oscillatorFilterPass<1>(loop, out, n);
      break;
    case 2:
      oscillatorFilterPass<2>(loop, out, n);
      break;
    case 3:
      oscillatorFilterPass<3>(loop, out, n);
      break;
    default:
      oscillatorFilterPass<4>(loop, out, n);
      break;
  }
}

// The AVX build's loop, in its own file so that only it is compiled for AVX.
__attribute__((target("avx"))) void renderSamplesAvx(EnvelopeLanes& env, VoiceState& st,
                                                     const Voice& v, const VoiceBlock& b,
                                                     float* out, std::uint32_t frames);

}  // namespace gw
