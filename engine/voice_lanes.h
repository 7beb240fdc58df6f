// The voice loop shared by the SSE2 and the AVX builds (V is Float4, or Float8 inside the
// AVX build). Its work falls into three kinds:
// - the serial chains of a voice (envelopes, LFOs, phase, filter), which wait on their
//   own results: a group of voices runs them side by side, one voice per lane;
// - the oscillator, sixteen sines per voice and sample: it works on "items", one voice at
//   one sample, packed densely whatever the group's voice count (voice_render.cpp and
//   pair_voice_loop.inc hold its two encodings);
// - the per-sample values between them (pulse width, warped phase, harmonic gains).
// This file holds the layout of a full group, one voice per lane; voice_items.h what all
// layouts share. A voice alone, where a group would be mostly empty, has its own layout
// (voice_solo.h); so have two to four voices in the eight-lane builds (quad_lanes.inc).
//
// Per voice the operations and their order are those of a voice rendered alone, and the
// voices add into the output in index order, so the samples depend neither on the lane
// width nor on how voices fall into groups. Everything here is inlined into each build's
// entry, so that the AVX build can inline its eight-lane operations.
#pragma once

#include <algorithm>
#include <cstdint>

#include "engine/filter.h"
#include "engine/float4.h"
#include "engine/lfo.h"
#include "engine/oscillator.h"
#include "engine/voice_items.h"
#include "engine/voice_render.h"

#define GW_LANES_INLINE __attribute__((always_inline)) inline

namespace gw {

// One run's per-sample values of a group of voices, value of sample i and lane v at
// [i × lanes + v]; the oscillator's items are sample i's voices in order.
template <class V>
struct LaneRuns : ItemBuffers<V, 256> {
  static constexpr int kL = kLanes<V>;
  // Samples per run: about 8 KB of buffers whatever the width.
  static constexpr std::uint32_t kLength = 256 / kL;

  alignas(32) float levels[5][kLength * kL];  // Env 1..3, pulse width and filter envelopes
  alignas(32) float coef[kLength * kL];
  alignas(32) float amp[kLength * kL];
  alignas(32) float y[kLength * kL];  // the filtered, enveloped output
};

// The running state of a group and its per-block constants, one voice per lane. Lanes
// past the group's voice count hold zeros and are never written back.
template <class V>
struct LaneState {
  V level[Voice::kEnvelopes], inc[Voice::kEnvelopes], curve[Voice::kEnvelopes];
  V phase, step, pwBase;
  V lfoSin[4], lfoCos[4], lfoCoef[4];  // index: the lane of the voice's own LFO vectors
  V pwSin, pwCos;
  SvfState<V> filter;
  V coefBase, coefRange, damping;
};

// Block-rate values of all voices, as vectors.
template <class V>
struct LaneBlock {
  V pwEnvAmount, pwLfoAmount, pwLfoCoef;
  V lfoAmount[4], lfoOffset[4];
  TypeWeights<V> weights;

  GW_LANES_INLINE explicit LaneBlock(const VoiceBlock& b)
      : pwEnvAmount(splatAs<V>(b.pwEnvAmount)),
        pwLfoAmount(splatAs<V>(b.pwLfoAmount)),
        pwLfoCoef(splatAs<V>(b.pwLfoCoef)),
        weights(b.filter) {
    for (int j = 0; j < 4; ++j) {
      lfoAmount[j] = splatAs<V>(b.lfoAmount.lane(j));
      lfoOffset[j] = splatAs<V>(b.lfoOffset.lane(j));
    }
  }
};

// One float per lane from the group's voices; zero in the lanes past count.
template <class V, class Get>
GW_LANES_INLINE V gatherLanes(Voice* voices, int count, Get get) {
  alignas(32) float lanes[kLanes<V>] = {};
  for (int v = 0; v < count; ++v) lanes[v] = get(voices[v]);
  return V::load(lanes);
}

template <class V, class Put>
GW_LANES_INLINE void scatterLanes(V value, Voice* voices, int count, Put put) {
  alignas(32) float lanes[kLanes<V>];
  value.store(lanes);
  for (int v = 0; v < count; ++v) put(voices[v], lanes[v]);
}

template <class V>
GW_LANES_INLINE LaneState<V> loadLanes(Voice* voices, int count, const VoiceBlock& b) {
  LaneState<V> s;
  for (int k = 0; k < Voice::kEnvelopes; ++k)
    s.level[k] = gatherLanes<V>(voices, count, [k](Voice& v) { return v.envelope(k).level; });
  s.phase = gatherLanes<V>(voices, count, [](const Voice& v) { return v.phase.lane0(); });
  s.step = gatherLanes<V>(
      voices, count, [&b](const Voice& v) { return (v.baseIncrement * b.stepMultiplier).lane0(); });
  s.pwBase = gatherLanes<V>(voices, count, [&b](const Voice& v) {
    return b.pulseWidth + v.velocity * b.velocityPwAmount;
  });
  for (int j = 0; j < 4; ++j) {
    s.lfoSin[j] = gatherLanes<V>(voices, count, [j](const Voice& v) { return v.lfoSin.lane(j); });
    s.lfoCos[j] = gatherLanes<V>(voices, count, [j](const Voice& v) { return v.lfoCos.lane(j); });
    s.lfoCoef[j] = gatherLanes<V>(voices, count, [j](const Voice& v) { return v.lfoCoef.lane(j); });
  }
  s.pwSin = gatherLanes<V>(voices, count, [](const Voice& v) { return v.pwLfoSin; });
  s.pwCos = gatherLanes<V>(voices, count, [](const Voice& v) { return v.pwLfoCos; });
  s.filter.low = gatherLanes<V>(voices, count, [](const Voice& v) { return v.filterLow; });
  s.filter.band = gatherLanes<V>(voices, count, [](const Voice& v) { return v.filterBand; });
  s.filter.high = gatherLanes<V>(voices, count, [](const Voice& v) { return v.filterHigh; });
  s.coefBase = gatherLanes<V>(voices, count, [](const Voice& v) { return v.filterCoefBase; });
  s.coefRange = gatherLanes<V>(voices, count, [](const Voice& v) { return v.filterCoefRange; });
  s.damping = gatherLanes<V>(voices, count, [](const Voice& v) { return v.filterDamping; });
  return s;
}

// The running values back into the voices. The four lanes of a voice's phase are equal.
template <class V>
GW_LANES_INLINE void storeLanes(const LaneState<V>& s, Voice* voices, int count) {
  for (int k = 0; k < Voice::kEnvelopes; ++k)
    scatterLanes(s.level[k], voices, count, [k](Voice& v, float x) { v.envelope(k).level = x; });
  scatterLanes(s.phase, voices, count, [](Voice& v, float x) { v.phase = Float4::splat(x); });
  alignas(32) float sin[4][kLanes<V>];
  alignas(32) float cos[4][kLanes<V>];
  for (int j = 0; j < 4; ++j) {
    s.lfoSin[j].store(sin[j]);
    s.lfoCos[j].store(cos[j]);
  }
  for (int v = 0; v < count; ++v) {
    voices[v].lfoSin = Float4::make(sin[0][v], sin[1][v], sin[2][v], sin[3][v]);
    voices[v].lfoCos = Float4::make(cos[0][v], cos[1][v], cos[2][v], cos[3][v]);
  }
  scatterLanes(s.pwSin, voices, count, [](Voice& v, float x) { v.pwLfoSin = x; });
  scatterLanes(s.pwCos, voices, count, [](Voice& v, float x) { v.pwLfoCos = x; });
  scatterLanes(s.filter.low, voices, count, [](Voice& v, float x) { v.filterLow = x; });
  scatterLanes(s.filter.band, voices, count, [](Voice& v, float x) { v.filterBand = x; });
  scatterLanes(s.filter.high, voices, count, [](Voice& v, float x) { v.filterHigh = x; });
}

// The four source gains of the group's voices at one sample (one vector per source, one
// voice per lane) as the items first, first + 1, ... of the gain buffer.
GW_LANES_INLINE void storeItemGains(Float4 none, Float4 env1, Float4 env2, Float4 env3,
                                    float* gains, std::uint32_t first, int count) {
  transpose(none, env1, env2, env3);  // now voice v's four gains are in the v-th of them
  float* g = gains + itemGainIndex<4>(first);
  if (count == 4) {
    none.store(g);
    env1.store(g + 4);
    env2.store(g + 8);
    env3.store(g + 12);
    return;
  }
  const Float4 rows[4] = {none, env1, env2, env3};
  for (int v = 0; v < count; ++v) rows[v].store(g + 4 * v);
}

// The envelopes of n samples: the amplitude into r.amp, the others into r.levels. A loop
// of its own, so that the envelopes' and the LFOs' running values each fit the registers.
template <class V>
GW_LANES_INLINE void envelopeRun(LaneState<V>& s, LaneRuns<V>& r, std::uint32_t n) {
  constexpr int kL = kLanes<V>;
  constexpr int kE = Voice::kEnvelopes;
  V level[kE], inc[kE];
  for (int k = 0; k < kE; ++k) {
    level[k] = s.level[k];
    inc[k] = s.inc[k];
  }
  for (std::uint32_t i = 0; i < n; ++i) {
    for (int k = 0; k < kE; ++k) {
      level[k] += inc[k];
      inc[k] += s.curve[k];
    }
    level[0].store(r.amp + i * kL);
    for (int k = 1; k < kE; ++k) level[k].store(r.levels[k - 1] + i * kL);
  }
  for (int k = 0; k < kE; ++k) {
    s.level[k] = level[k];
    s.inc[k] = inc[k];
  }
}

// The modulation of n samples after envelopeRun, in a voice's order: pulse width and
// warped phase, LFO gains, filter coefficient; then phase and LFOs step. The previous
// run's filter runs sample by sample beside it: its chain waits on its own results for
// about twenty cycles a sample, time the modulation fills. kFused: see WideLanes.
template <bool kFused, class V>
GW_LANES_INLINE void modulateRun(LaneState<V>& s, const LaneBlock<V>& b, LaneRuns<V>& r, int count,
                                 std::uint32_t n, const FilterJob& job) {
  constexpr int kL = kLanes<V>;
  const V zero = splatAs<V>(0.0f), one = splatAs<V>(1.0f);
  V phase = s.phase, pwSin = s.pwSin, pwCos = s.pwCos;
  V lfoSin[4], lfoCos[4];
  for (int j = 0; j < 4; ++j) {
    lfoSin[j] = s.lfoSin[j];
    lfoCos[j] = s.lfoCos[j];
  }
  SvfState<V> f = s.filter;
  V inside = allInside<V>();
  const std::uint32_t total = std::max(n, job.n);
  for (std::uint32_t i = 0; i < total; ++i) {
    if (i < job.n) filterStepChecked<kFused>(f, s.damping, b.weights, job, count, i, inside);
    if (i >= n) continue;
    const std::uint32_t first = i * count;
    const V pw =
        mulAdd<kFused>(pwSin, b.pwLfoAmount, V::load(r.levels[3] + i * kL) * b.pwEnvAmount) +
        s.pwBase;
    // Lanes past count spill into the next sample's items, which overwrite them.
    phaseWarp(phase, pw).storeUnaligned(r.warped + first);
    // LFO 4 scales the "None" harmonics alone; LFO n scales Env n.
    V lfoGain[4];
    for (int j = 0; j < 4; ++j)
      lfoGain[j] = mulAdd<kFused>(lfoSin[j], b.lfoAmount[j], b.lfoOffset[j]);
    const V none = lfoGain[0];
    const V env1 = lfoGain[1] * V::load(r.levels[0] + i * kL);
    const V env2 = lfoGain[2] * V::load(r.levels[1] + i * kL);
    const V env3 = lfoGain[3] * V::load(r.levels[2] + i * kL);
    storeItemGains(none, env1, env2, env3, r.gains, first, count);
    // A long segment can leave the envelope a hair outside 0..1; past its end points the
    // coefficient would leave the range the block's damping keeps stable.
    const V sweep = min(max(V::load(r.levels[4] + i * kL), zero), one);
    mulAdd<kFused>(sweep, s.coefRange, s.coefBase).store(r.coef + i * kL);
    phase = phase + s.step;
    phase = phase - trunc(phase);
    for (int j = 0; j < 4; ++j) stepOscillator(lfoSin[j], lfoCos[j], s.lfoCoef[j]);
    stepOscillator(pwSin, pwCos, b.pwLfoCoef);
  }
  finishCheckedJob<kFused>(inside, f, s.filter, s.damping, b.weights, job, count);
  s.filter = f;
  s.phase = phase;
  s.pwSin = pwSin;
  s.pwCos = pwCos;
  for (int j = 0; j < 4; ++j) {
    s.lfoSin[j] = lfoSin[j];
    s.lfoCos[j] = lfoCos[j];
  }
  if (job.n > 0) addVoices<V>(job.y, count, job.out, job.n);
}

// A group of voices one to a lane: the layout of a full or nearly full group. kFused (the
// AVX2 build) fuses the products of the filter, the coefficients, the pulse width and the
// LFOs' gains into their sums, as every other layout of that build does; the LFOs, the
// envelopes and the phase step as everywhere else.
template <class V, bool kFused = false>
struct WideLanes {
  static constexpr int kL = kLanes<V>;
  using Runs = LaneRuns<V>;
  static constexpr std::uint32_t kRunLength = Runs::kLength;

  const LaneBlock<V> b;
  LaneState<V> s;

  GW_LANES_INLINE WideLanes(Voice* voices, int count, const VoiceBlock& block)
      : b(block), s(loadLanes<V>(voices, count, block)) {}
  GW_LANES_INLINE void store(Voice* voices, int count) const { storeLanes(s, voices, count); }
  // inc[k][v], curve[k][v]: envelope k of voice v.
  GW_LANES_INLINE void setStretch(const float (&inc)[Voice::kEnvelopes][8],
                                  const float (&curve)[Voice::kEnvelopes][8]) {
    for (int k = 0; k < Voice::kEnvelopes; ++k) {
      s.inc[k] = V::load(inc[k]);
      s.curve[k] = V::load(curve[k]);
    }
  }
  GW_LANES_INLINE void increments(float (&inc)[Voice::kEnvelopes][8]) const {
    for (int k = 0; k < Voice::kEnvelopes; ++k) s.inc[k].store(inc[k]);
  }
  // Modulates n samples into r, filtering the job beside them.
  GW_LANES_INLINE void modulate(Runs& r, int count, std::uint32_t n, const FilterJob& job) {
    envelopeRun(s, r, n);
    modulateRun<kFused>(s, b, r, count, n, job);
  }
  GW_LANES_INLINE void filter(const FilterJob& job, int count) {
    filterJob<kFused>(s.filter, s.damping, b.weights, job, count);
  }
};

// The eight-lane builds' voices, eight to a group, each in its own file so that only it is
// compiled for its instruction set.
__attribute__((target("avx"))) void renderVoicesAvx(Voice* voices, int count,
                                                    const VoiceBlock& block, float* out,
                                                    std::uint32_t frames);
__attribute__((target("avx2,fma"))) void renderVoicesAvx2Fma(Voice* voices, int count,
                                                             const VoiceBlock& block, float* out,
                                                             std::uint32_t frames);

}  // namespace gw

#undef GW_LANES_INLINE
