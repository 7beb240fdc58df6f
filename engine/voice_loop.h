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

// Samples per run.
constexpr std::uint32_t kPass = 64;

// One run's per-sample values: the modulation step fills all but x, the oscillator step x.
struct RunBuffers {
  alignas(16) float warped[kPass];
  alignas(16) float envGains[kPass * 4];  // the four sources' gains
  alignas(16) float coef[kPass];
  alignas(16) float amp[kPass];
  alignas(16) float x[kPass];  // the unfiltered sample
};

// Two loops per run of up to kPass samples. The oscillator loop has no chain from one
// sample to the next, so the processor overlaps samples there. The modulation (phase,
// LFOs, envelopes) and the filter are each one short serial chain with idle units beside
// it; they share the other loop, one run apart (run k+1's modulation with run k's filter),
// so the two chains overlap instead of waiting out each other.
struct VoiceLoop {
  const VoiceBlock& b;
  const Float4 step;
  const float pwBase;
  const Float4 lfoCoef;
  const float coefBase, coefRange, damping;
  EnvelopeLanes e;
  VoiceState s;
  Float4 numbers[4];
  RunBuffers runs[2];

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

  // Envelopes, pulse width and warped phase, LFO gains, filter coefficient of sample i into
  // r. le and ls are the caller's register copies of e and s: the chains must not run
  // through the stack.
  __attribute__((always_inline)) void modulate(EnvelopeLanes& le, VoiceState& ls, RunBuffers& r,
                                               std::uint32_t i) const {
    le.levelA += le.incA;
    le.incA += le.curveA;
    le.levelB += le.incB;
    le.incB += le.curveB;
    const float pw = le.levelB.lane0() * b.pwEnvAmount + ls.pwSin * b.pwLfoAmount + pwBase;
    r.warped[i] = phaseWarpSplat(ls.phase, Float4::splat(pw)).lane0();
    ((ls.lfoSin * b.lfoAmount + b.lfoOffset) * withLane0(le.levelA, 1.0f))
        .store(r.envGains + 4 * i);
    // A long segment can leave the envelope a hair outside 0..1; past its end points the
    // coefficient would leave the range the block's damping keeps stable.
    const float sweep = std::min(std::max(broadcast<1>(le.levelB).lane0(), 0.0f), 1.0f);
    r.coef[i] = coefBase + sweep * coefRange;
    r.amp[i] = le.levelA.lane0();
    ls.phase = ls.phase + step;
    ls.phase = ls.phase - trunc(ls.phase);
    stepOscillator(ls.lfoSin, ls.lfoCos, lfoCoef);
    stepOscillator(ls.pwSin, ls.pwCos, b.pwLfoCoef);
  }

  // The first run's modulation, which has no filtered run to share its loop with.
  __attribute__((always_inline)) void modulateRun(RunBuffers& r, std::uint32_t n) {
    EnvelopeLanes le = e;
    VoiceState ls = s;
    for (std::uint32_t i = 0; i < n; ++i) modulate(le, ls, r, i);
    e = le;
    s = ls;
  }

  // Run `now` through the filter and the amplitude envelope into out, and the first
  // `ahead` samples of run `next`'s modulation (ahead <= n).
  __attribute__((always_inline)) void filterAndModulate(const RunBuffers& now, float* out,
                                                        std::uint32_t n, RunBuffers& next,
                                                        std::uint32_t ahead) {
    EnvelopeLanes le = e;
    VoiceState ls = s;
    const FilterWeights weights = b.filter;
    for (std::uint32_t i = 0; i < n; ++i) {
      if (i < ahead) modulate(le, ls, next, i);
      out[i] += filterSample(ls.filter, now.x[i], now.coef[i], damping, weights) * now.amp[i];
    }
    e = le;
    s = ls;
  }
};

// The sixteen harmonics four lanes at a time. kGroups < 4 leaves out trailing groups whose
// levels are all zero.
template <int kGroups>
__attribute__((always_inline)) inline void oscillatorPass(const VoiceLoop& loop, RunBuffers& r,
                                                          std::uint32_t n) {
  for (std::uint32_t i = 0; i < n; ++i) {
    float x = 0.0f;
    if constexpr (kGroups > 0)
      x = harmonicSum<kGroups>(Float4::splat(r.warped[i]), loop.numbers, loop.b.gains,
                               Float4::load(r.envGains + 4 * i));
    r.x[i] = x;
  }
}

// The AVX build's loop, in its own file so that only it is compiled for AVX.
__attribute__((target("avx"))) void renderSamplesAvx(EnvelopeLanes& env, VoiceState& st,
                                                     const Voice& v, const VoiceBlock& b,
                                                     float* out, std::uint32_t frames);

}  // namespace gw
