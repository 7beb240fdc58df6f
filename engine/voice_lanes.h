// The voice loop shared by the SSE2 and the AVX builds (V is Float4, or Float8 inside the
// AVX build). Its work falls into three kinds:
// - the serial chains of a voice (envelopes, LFOs, phase, filter), which wait on their
//   own results: a group of voices runs them side by side, one voice per lane;
// - the oscillator, sixteen sines per voice and sample: it works on "items", one voice at
//   one sample, packed densely whatever the group's voice count (voice_render.cpp and
//   pair_voice_loop.inc hold its two encodings);
// - the per-sample values between them (pulse width, warped phase, harmonic gains).
// A voice alone, where a group would be mostly empty, has its own layout (voice_solo.h).
//
// Per voice the operations and their order are those of a voice rendered alone, and the
// voices add into the output in index order, so the samples depend neither on the lane
// width nor on how voices fall into groups. Everything here is inlined into each build's
// entry, so that the AVX build can inline its eight-lane operations.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>

#include "engine/filter.h"
#include "engine/float4.h"
#include "engine/lfo.h"
#include "engine/oscillator.h"
#include "engine/voice_render.h"

#define GW_LANES_INLINE __attribute__((always_inline)) inline

namespace gw {

template <class V>
constexpr int kLanes = static_cast<int>(sizeof(V) / sizeof(float));

inline void transpose(Float4 (&m)[4]) {
  transpose(m[0], m[1], m[2], m[3]);
}

// Where item n's four source gains start in a run's gain buffer. The oscillator takes a
// block of kL items at a time; with eight lanes it pairs item k with item k + 4 of its
// block, so their gains lie side by side.
template <int kL>
constexpr std::uint32_t itemGainIndex(std::uint32_t n) {
  constexpr std::uint32_t kInBlock[8] = {0, 8, 16, 24, 4, 12, 20, 28};
  if constexpr (kL == 4)
    return 4 * n;
  else
    return 32 * (n >> 3) + kInBlock[n & 7];
}

// The oscillator's items of a run: warped phases and source gains in, unfiltered sums out.
// The slack past the last item takes whole-vector stores and loads at any item.
template <class V, std::uint32_t kMostItems>
struct ItemBuffers {
  static constexpr int kL = kLanes<V>;
  alignas(32) float warped[kMostItems + kL];
  alignas(32) float gains[4 * (kMostItems + kL)];
  alignas(32) float x[kMostItems + 2 * kL];

  // Zero inputs for the items from n up to the end of their block, so that the oscillator
  // never reads values left over from before.
  GW_LANES_INLINE void padItems(std::uint32_t n) {
    for (; n % kL != 0; ++n) {
      warped[n] = 0.0f;
      Float4().store(gains + itemGainIndex<kL>(n));
    }
  }
};

// oscillator.run<G>(warped, gains, x, blocks) fills x for blocks × kL items, summing G
// groups of four harmonics; the block's group count picks G once per call.
template <class Oscillator>
GW_LANES_INLINE void oscillate(const Oscillator& oscillator, int groups, const float* warped,
                               const float* gains, float* x, std::uint32_t blocks) {
  switch (groups) {
    case 0:
      return oscillator.template run<0>(warped, gains, x, blocks);
    case 1:
      return oscillator.template run<1>(warped, gains, x, blocks);
    case 2:
      return oscillator.template run<2>(warped, gains, x, blocks);
    case 3:
      return oscillator.template run<3>(warped, gains, x, blocks);
    default:
      return oscillator.template run<4>(warped, gains, x, blocks);
  }
}

// The segments a voice's envelopes are in for its next stretch of at most length samples;
// shortens length to where the first of them ends. Call beginStretch next.
GW_LANES_INLINE void currentSegments(Voice& v, Segment* (&segs)[Voice::kEnvelopes],
                                     std::uint32_t& length) {
  for (int k = 0; k < Voice::kEnvelopes; ++k) {
    segs[k] = &v.envelope(k).current();
    length = std::min(length, segs[k]->remaining);
  }
}

// Counts the stretch off the voice's segments; an envelope whose segment ends with it
// moves on to its next stage. The segments keep running until endStretch.
GW_LANES_INLINE void beginStretch(Voice& v, Segment* const (&segs)[Voice::kEnvelopes],
                                  std::uint32_t length) {
  for (int k = 0; k < Voice::kEnvelopes; ++k) {
    Segment& seg = *segs[k];
    if (seg.remaining == Segment::kUnlimited) continue;
    seg.remaining -= length;
    Envelope& env = v.envelope(k);
    if (seg.remaining == 0) env.stage = std::max(env.stage - 1, 0);
  }
}

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

// Adds the group's output of n samples (sample i's voices at y[i × lanes]) into out, each
// sample's voices in index order; kL samples at a time, turned so that a vector holds
// one voice's samples.
template <class V>
GW_LANES_INLINE void addVoices(const float* y, int count, float* out, std::uint32_t n) {
  constexpr int kL = kLanes<V>;
  std::uint32_t i = 0;
  for (; i + kL <= n; i += kL) {
    V m[kL];
    for (int j = 0; j < kL; ++j) m[j] = V::load(y + (i + j) * kL);
    transpose(m);
    V sum = V::loadUnaligned(out + i);
    for (int v = 0; v < count; ++v) sum = sum + m[v];
    sum.storeUnaligned(out + i);
  }
  for (; i < n; ++i) {
    float sum = out[i];
    for (int v = 0; v < count; ++v) sum += y[i * kL + v];
    out[i] = sum;
  }
}

// A run whose oscillator sums wait for the filter: sample i's items from x[i × count],
// its coefficients and amplitudes at [i × lanes]; the filtered, enveloped samples go to
// y, then into out. n = 0: no run.
struct FilterJob {
  const float* x = nullptr;
  const float* coef = nullptr;
  const float* amp = nullptr;
  float* y = nullptr;
  float* out = nullptr;
  std::uint32_t n = 0;
};

// Sample i of a job through the filter and the amplitude envelope.
template <class V>
GW_LANES_INLINE void filterStep(SvfState<V>& f, V damping, const TypeWeights<V>& weights,
                                const FilterJob& job, int count, std::uint32_t i) {
  constexpr int kL = kLanes<V>;
  // Lanes past count read the next sample's items: finite values that are never heard.
  const V in = V::loadUnaligned(job.x + i * count);
  const V filtered = filterSample(f, in, V::load(job.coef + i * kL), damping, weights);
  (filtered * V::load(job.amp + i * kL)).store(job.y + i * kL);
}

// The modulation of n samples after envelopeRun, in a voice's order: pulse width and
// warped phase, LFO gains, filter coefficient; then phase and LFOs step. The previous
// run's filter runs sample by sample beside it: its chain waits on its own results for
// about twenty cycles a sample, time the modulation fills.
template <class V>
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
  const std::uint32_t total = std::max(n, job.n);
  for (std::uint32_t i = 0; i < total; ++i) {
    if (i < job.n) filterStep(f, s.damping, b.weights, job, count, i);
    if (i >= n) continue;
    const std::uint32_t first = i * count;
    const V pw = V::load(r.levels[3] + i * kL) * b.pwEnvAmount + pwSin * b.pwLfoAmount + s.pwBase;
    // Lanes past count spill into the next sample's items, which overwrite them.
    phaseWarp(phase, pw).storeUnaligned(r.warped + first);
    // LFO 4 scales the "None" harmonics alone; LFO n scales Env n.
    const V none = lfoSin[0] * b.lfoAmount[0] + b.lfoOffset[0];
    const V env1 = (lfoSin[1] * b.lfoAmount[1] + b.lfoOffset[1]) * V::load(r.levels[0] + i * kL);
    const V env2 = (lfoSin[2] * b.lfoAmount[2] + b.lfoOffset[2]) * V::load(r.levels[1] + i * kL);
    const V env3 = (lfoSin[3] * b.lfoAmount[3] + b.lfoOffset[3]) * V::load(r.levels[2] + i * kL);
    storeItemGains(none, env1, env2, env3, r.gains, first, count);
    // A long segment can leave the envelope a hair outside 0..1; past its end points the
    // coefficient would leave the range the block's damping keeps stable.
    const V sweep = min(max(V::load(r.levels[4] + i * kL), zero), one);
    (s.coefBase + sweep * s.coefRange).store(r.coef + i * kL);
    phase = phase + s.step;
    phase = phase - trunc(phase);
    for (int j = 0; j < 4; ++j) stepOscillator(lfoSin[j], lfoCos[j], s.lfoCoef[j]);
    stepOscillator(pwSin, pwCos, b.pwLfoCoef);
  }
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

// The filter alone over a job (the last run of a call), then into out.
template <class V>
GW_LANES_INLINE void filterJob(SvfState<V>& state, V damping, const TypeWeights<V>& weights,
                               const FilterJob& job, int count) {
  SvfState<V> f = state;
  for (std::uint32_t i = 0; i < job.n; ++i) filterStep(f, damping, weights, job, count, i);
  state = f;
  addVoices<V>(job.y, count, job.out, job.n);
}

// A group of voices one to a lane: the layout of a full or nearly full group.
template <class V>
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
    modulateRun(s, b, r, count, n, job);
  }
  GW_LANES_INLINE void filter(const FilterJob& job, int count) {
    filterJob(s.filter, s.damping, b.weights, job, count);
  }
};

// The segments that ran keep their running increments.
template <class Lanes>
GW_LANES_INLINE void endGroupStretch(const Lanes& lanes, Segment* (&segs)[8][Voice::kEnvelopes],
                                     float (&inc)[Voice::kEnvelopes][8], int count) {
  lanes.increments(inc);
  for (int v = 0; v < count; ++v)
    for (int k = 0; k < Voice::kEnvelopes; ++k) segs[v][k]->increment = inc[k][v];
}

// Renders frames samples of a group of voices into out; Lanes is the group's layout
// (WideLanes above, or a narrower one of a build), its oscillator takes kItemLanes items a
// block. Runs go through modulation, oscillator and filter in turn, each run's filter
// beside the next run's modulation.
template <class Lanes, int kItemLanes, class Oscillator>
GW_LANES_INLINE void renderGroup(Voice* voices, int count, const VoiceBlock& block, float* out,
                                 std::uint32_t frames, const Oscillator& oscillator) {
  constexpr int kE = Voice::kEnvelopes;
  Lanes lanes(voices, count, block);
  typename Lanes::Runs runs[2];
  Segment* segs[8][kE];
  alignas(32) float inc[kE][8] = {};
  alignas(32) float curve[kE][8] = {};
  FilterJob job;
  std::uint32_t done = 0, stretchEnd = 0;
  for (int k = 0; done < frames; k ^= 1) {
    if (done == stretchEnd) {
      if (done > 0) endGroupStretch(lanes, segs, inc, count);
      // Stretches end where any voice's segment ends, so the sample loop needs no stage
      // test; a voice's own segments still change at exactly their sample.
      std::uint32_t length = frames - done;
      for (int v = 0; v < count; ++v) currentSegments(voices[v], segs[v], length);
      for (int v = 0; v < count; ++v) {
        for (int e = 0; e < kE; ++e) {
          inc[e][v] = segs[v][e]->increment;
          curve[e][v] = segs[v][e]->curve;
        }
        beginStretch(voices[v], segs[v], length);
      }
      lanes.setStretch(inc, curve);
      stretchEnd = done + length;
    }
    typename Lanes::Runs& r = runs[k];
    const std::uint32_t n = std::min(Lanes::kRunLength, stretchEnd - done);
    const std::uint32_t items = n * count;
    const std::uint32_t blocks = (items + kItemLanes - 1) / kItemLanes;
    lanes.modulate(r, count, n, job);
    r.padItems(items);
    oscillate(oscillator, block.groups, r.warped, r.gains, r.x, blocks);
    // The filter's whole-vector loads reach up to a block past the last item.
    std::fill(r.x + blocks * kItemLanes, r.x + (blocks + 1) * kItemLanes, 0.0f);
    job = {r.x, r.coef, r.amp, r.y, out + done, n};
    done += n;
  }
  lanes.filter(job, count);
  endGroupStretch(lanes, segs, inc, count);
  lanes.store(voices, count);
}

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
