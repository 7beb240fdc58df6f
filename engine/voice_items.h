// The parts of the voice loop every lane layout shares (V is Float4, or Float8 inside the
// AVX build): the oscillator's items and their buffers, the filter's jobs, the segments'
// stretches, and the driver that takes a group of voices through runs of modulation,
// oscillator and filter. Everything here is inlined into each build's entry.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>

#include "engine/envelope.h"
#include "engine/filter.h"
#include "engine/float4.h"
#include "engine/voice.h"
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
// block, so their gains lie side by side. (The table outside the function: a local one is
// built on the stack at every call.)
inline constexpr std::uint32_t kItemGainInBlock[8] = {0, 8, 16, 24, 4, 12, 20, 28};

template <int kL>
constexpr std::uint32_t itemGainIndex(std::uint32_t n) {
  if constexpr (kL == 4)
    return 4 * n;
  else
    return 32 * (n >> 3) + kItemGainInBlock[n & 7];
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
template <bool kFused, class V>
GW_LANES_INLINE void filterStep(SvfState<V>& f, V damping, const TypeWeights<V>& weights,
                                const FilterJob& job, int count, std::uint32_t i) {
  constexpr int kL = kLanes<V>;
  // Lanes past count read the next sample's items: finite values that are never heard.
  const V in = V::loadUnaligned(job.x + i * count);
  const V filtered = filterSample<kFused>(f, in, V::load(job.coef + i * kL), damping, weights);
  (filtered * V::load(job.amp + i * kL)).store(job.y + i * kL);
}

// filterStep without the integrators' limits, whose clamps lengthen the chain a sample
// waits on (see filterStepUnlimited); inside keeps, lane by lane, whether both integrators
// have stayed strictly within them (NaN has not), where the clamps change nothing.
// Lanes past count hold no voice: their coefficients are zero and their states stay so.
template <bool kFused, class V>
GW_LANES_INLINE void filterStepChecked(SvfState<V>& f, V damping, const TypeWeights<V>& weights,
                                       const FilterJob& job, int count, std::uint32_t i,
                                       V& inside) {
  constexpr int kL = kLanes<V>;
  const V in = V::loadUnaligned(job.x + i * count);
  filterStepUnlimited<kFused>(f, in, V::load(job.coef + i * kL), damping);
  inside = inside & insideFilterLimit(f.low) & insideFilterLimit(f.band);
  (filterMix<kFused>(f, in, weights) * V::load(job.amp + i * kL)).store(job.y + i * kL);
}

// The mask filterStepChecked starts a job from: every lane inside.
template <class V>
GW_LANES_INLINE V allInside() {
  const V zero = splatAs<V>(0.0f);
  return cmpEq(zero, zero);
}

// After a job ran with filterStepChecked from the state before: where a lane left the
// limits, the job runs again from there with them, so that its samples are filterStep's.
template <bool kFused, class V>
GW_LANES_INLINE void finishCheckedJob(V inside, SvfState<V>& f, const SvfState<V>& before,
                                      V damping, const TypeWeights<V>& weights,
                                      const FilterJob& job, int count) {
  if (allLanesSet(inside)) return;
  f = before;
  for (std::uint32_t i = 0; i < job.n; ++i) filterStep<kFused>(f, damping, weights, job, count, i);
}

// The filter alone over a job (the last run of a call), then into out.
template <bool kFused, class V>
GW_LANES_INLINE void filterJob(SvfState<V>& state, V damping, const TypeWeights<V>& weights,
                               const FilterJob& job, int count) {
  SvfState<V> f = state;
  V inside = allInside<V>();
  for (std::uint32_t i = 0; i < job.n; ++i)
    filterStepChecked<kFused>(f, damping, weights, job, count, i, inside);
  finishCheckedJob<kFused>(inside, f, state, damping, weights, job, count);
  state = f;
  addVoices<V>(job.y, count, job.out, job.n);
}

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

}  // namespace gw

#undef GW_LANES_INLINE
