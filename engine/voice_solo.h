// A voice alone: where a lane group would be mostly empty, one voice's chains share the
// lanes instead. Its six envelopes and five LFOs each take a lane of one eight-lane vector
// (C: Float8 in the AVX build, Float4x2 in the SSE2 build), its items are its own
// samples, sixteen to a chunk, and its filter runs in lane 0 of Float4 (vector minimum
// and maximum, no branches). Per lane the operations and their order are the group's, so
// a voice gives the same samples either way.
//
// The filter's chain (about twenty cycles of latency a sample) would leave the processor
// idle; later chunks' modulation and oscillator run interleaved with it. In whole chunks
// the chain leaves out the two clamps of the integrators' limits, which a check after the
// chunk shows to have been identities (or the chunk's filter runs again), and the work
// that does not wait on it (coefficients, type mix, amplitude) runs across the lanes.
// At a block's ends, where one chain has no filter or no modulation beside it, the
// oscillator's blocks still go beside the chain that is left.
#pragma once

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "engine/filter.h"
#include "engine/float4.h"
#include "engine/oscillator.h"
#include "engine/voice_lanes.h"

#define GW_SOLO_INLINE __attribute__((always_inline)) inline

namespace gw {

// The lane of each envelope (render-loop index: amplitude, Env 1..3, pulse width, filter).
// The "None" harmonics' gain takes its place beside Env 1..3 with a level fixed at 1.
// The LFO vectors hold the pulse-width LFO in lane 0 and the voice's four in lanes 4..7,
// so that each LFO meets the envelope it scales: lanes 4..7 give the four source gains,
// lane 0 the pulse width.
constexpr int kSoloLane[Voice::kEnvelopes] = {1, 5, 6, 7, 0, 2};
constexpr int kSoloOne = 4;

template <class C>
struct SoloState {
  C level, inc, curve;
  C sin, cos, coef;
  Float4 phase, step;       // all lanes equal
  SvfState<Float4> filter;  // lane 0
};

// Block values of the voice as lane vectors.
template <class C>
struct SoloBlock {
  C pwEnvAmount, pwLfoAmount, pwBase, lfoAmount, lfoOffset;
  Float4 coefBase, coefRange, damping;
  TypeWeights<Float4> weights;

  GW_SOLO_INLINE explicit SoloBlock(const VoiceBlock& b) : weights(b.filter) {}
};

// A chunk's per-sample values: the oscillator's items and what the filter reads.
template <class V>
struct SoloChunk : ItemBuffers<V, 16> {
  static constexpr std::uint32_t kLength = 16;
  alignas(32) float pw[kLength];
  alignas(32) float phase[kLength];
  alignas(32) float amp[kLength];    // the amplitude envelope
  alignas(32) float sweep[kLength];  // the filter envelope
};

template <class C>
GW_SOLO_INLINE C soloLanes(const float (&lanes)[8]) {
  return C::load(lanes);
}

template <class C>
GW_SOLO_INLINE void loadSolo(Voice& v, const VoiceBlock& b, SoloState<C>& s, SoloBlock<C>& k) {
  alignas(32) float level[8] = {}, sin[8] = {}, cos[8] = {}, coef[8] = {};
  alignas(32) float amount[8] = {}, offset[8] = {};
  for (int e = 0; e < Voice::kEnvelopes; ++e) level[kSoloLane[e]] = v.envelope(e).level;
  level[kSoloOne] = 1.0f;
  sin[0] = v.pwLfoSin;
  cos[0] = v.pwLfoCos;
  coef[0] = b.pwLfoCoef;
  for (int j = 0; j < 4; ++j) {
    sin[4 + j] = v.lfoSin.lane(j);
    cos[4 + j] = v.lfoCos.lane(j);
    coef[4 + j] = v.lfoCoef.lane(j);
    amount[4 + j] = b.lfoAmount.lane(j);
    offset[4 + j] = b.lfoOffset.lane(j);
  }
  s.level = soloLanes<C>(level);
  s.sin = soloLanes<C>(sin);
  s.cos = soloLanes<C>(cos);
  s.coef = soloLanes<C>(coef);
  s.phase = v.phase;
  s.step = v.baseIncrement * b.stepMultiplier;
  s.filter = {Float4::splat(v.filterLow), Float4::splat(v.filterBand), Float4::splat(v.filterHigh)};
  k.pwEnvAmount = C::splat(b.pwEnvAmount);
  k.pwLfoAmount = C::splat(b.pwLfoAmount);
  k.pwBase = C::splat(b.pulseWidth + v.velocity * b.velocityPwAmount);
  k.lfoAmount = soloLanes<C>(amount);
  k.lfoOffset = soloLanes<C>(offset);
  k.coefBase = Float4::splat(v.filterCoefBase);
  k.coefRange = Float4::splat(v.filterCoefRange);
  k.damping = Float4::splat(v.filterDamping);
}

template <class C>
GW_SOLO_INLINE void storeSolo(const SoloState<C>& s, Voice& v) {
  alignas(32) float level[8], sin[8], cos[8];
  s.level.low().store(level);
  s.level.high().store(level + 4);
  s.sin.low().store(sin);
  s.sin.high().store(sin + 4);
  s.cos.low().store(cos);
  s.cos.high().store(cos + 4);
  for (int e = 0; e < Voice::kEnvelopes; ++e) v.envelope(e).level = level[kSoloLane[e]];
  v.phase = Float4::splat(s.phase.lane0());
  v.lfoSin = Float4::load(sin + 4);
  v.lfoCos = Float4::load(cos + 4);
  v.pwLfoSin = sin[0];
  v.pwLfoCos = cos[0];
  v.filterLow = s.filter.low.lane0();
  v.filterBand = s.filter.band.lane0();
  v.filterHigh = s.filter.high.lane0();
}

// The voice's next stretch without a segment end, of at most frames samples: its
// increments and curves into the lanes. Returns its length.
template <class C>
GW_SOLO_INLINE std::uint32_t startSoloStretch(Voice& v, SoloState<C>& s,
                                              Segment* (&segs)[Voice::kEnvelopes],
                                              std::uint32_t frames) {
  std::uint32_t length = frames;
  currentSegments(v, segs, length);
  alignas(32) float inc[8] = {}, curve[8] = {};
  for (int e = 0; e < Voice::kEnvelopes; ++e) {
    inc[kSoloLane[e]] = segs[e]->increment;
    curve[kSoloLane[e]] = segs[e]->curve;
  }
  beginStretch(v, segs, length);
  s.inc = soloLanes<C>(inc);
  s.curve = soloLanes<C>(curve);
  return length;
}

// The segments that ran keep their running increments.
template <class C>
GW_SOLO_INLINE void endSoloStretch(const SoloState<C>& s,
                                   Segment* const (&segs)[Voice::kEnvelopes]) {
  alignas(32) float inc[8];
  s.inc.low().store(inc);
  s.inc.high().store(inc + 4);
  for (int e = 0; e < Voice::kEnvelopes; ++e) segs[e]->increment = inc[kSoloLane[e]];
}

// One sample of modulation into item j of the chunk, in the group's order: envelopes,
// pulse width, the four source gains, the envelopes the filter reads; phase and LFOs step.
template <bool kFused, class V, class C>
GW_SOLO_INLINE void modulateSolo(SoloState<C>& s, const SoloBlock<C>& b, SoloChunk<V>& r,
                                 std::uint32_t j) {
  s.level = s.level + s.inc;
  s.inc = s.inc + s.curve;
  const C pw = mulAdd<kFused>(s.sin, b.pwLfoAmount, s.level * b.pwEnvAmount) + b.pwBase;
  // Lane 4: LFO 4 times the fixed 1; an exact product.
  const C gains = mulAdd<kFused>(s.sin, b.lfoAmount, b.lfoOffset) * s.level;
  gains.high().store(r.gains + itemGainIndex<kLanes<V>>(j));
  r.pw[j] = pw.low().lane0();
  storeLane<kSoloLane[0]>(s.level.low(), r.amp + j);
  storeLane<kSoloLane[5]>(s.level.low(), r.sweep + j);
  r.phase[j] = s.phase.lane0();
  s.phase = s.phase + s.step;
  s.phase = s.phase - trunc(s.phase);
  s.sin = s.sin + s.coef * s.cos;
  s.cos = s.cos - s.coef * s.sin;
}

// The warped phases of the chunk's first n items, whole vectors at a time.
template <class V>
GW_SOLO_INLINE void warpSolo(SoloChunk<V>& r, std::uint32_t n) {
  constexpr int kL = kLanes<V>;
  for (std::uint32_t q = 0; q < n; q += kL)
    phaseWarp(V::load(r.phase + q), V::load(r.pw + q)).store(r.warped + q);
}

// Sample j of the chunk through the filter and the amplitude envelope.
template <bool kFused, class V, class C>
GW_SOLO_INLINE float filterSolo(SoloState<C>& s, const SoloBlock<C>& b, const SoloChunk<V>& r,
                                std::uint32_t j) {
  const Float4 zero, one = Float4::splat(1.0f);
  const Float4 sweep = min(max(Float4::splat(r.sweep[j]), zero), one);
  const Float4 coef = mulAdd<kFused>(sweep, b.coefRange, b.coefBase);
  const Float4 x = Float4::splat(r.x[j]);
  const Float4 amp = Float4::splat(r.amp[j]);
  return (filterSample<kFused>(s.filter, x, coef, b.damping, b.weights) * amp).lane0();
}

// A whole chunk's filter in the lanes of V, each step's part that does not wait on the
// step before: the coefficients ahead of the chain, and afterwards the type mix of its
// states times the amplitude. Lane by lane filterSolo's operations.
template <class V, bool kFused>
struct SoloWideFilter {
  V coefBase, coefRange;
  TypeWeights<V> weights;

  GW_SOLO_INLINE SoloWideFilter(const Voice& v, const VoiceBlock& b)
      : coefBase(splatAs<V>(v.filterCoefBase)),
        coefRange(splatAs<V>(v.filterCoefRange)),
        weights(b.filter) {}

  GW_SOLO_INLINE void coefficients(const SoloChunk<V>& r, float* coef) const {
    const V zero = splatAs<V>(0.0f), one = splatAs<V>(1.0f);
    for (std::uint32_t q = 0; q < SoloChunk<V>::kLength; q += kLanes<V>) {
      const V sweep = min(max(V::load(r.sweep + q), zero), one);
      mulAdd<kFused>(sweep, coefRange, coefBase).store(coef + q);
    }
  }

  // states: the chunk's low, band and high outputs, sixteen of each, from a run without
  // the integrators' limits. Adds the chunk's samples into out only if both integrators
  // stayed strictly inside them throughout (where the limits change nothing); returns
  // whether they did.
  GW_SOLO_INLINE bool mixIfInside(const SoloChunk<V>& r, const float* states, float* out) const {
    constexpr std::uint32_t kN = SoloChunk<V>::kLength, kL = kLanes<V>;
    V y[kN / kL];
    V inside = allInside<V>();
    for (std::uint32_t q = 0; q < kN; q += kL) {
      const SvfState<V> f{V::load(states + q), V::load(states + kN + q),
                          V::load(states + 2 * kN + q)};
      inside = inside & insideFilterLimit(f.low) & insideFilterLimit(f.band);
      y[q / kL] = filterMix<kFused>(f, V::load(r.x + q), weights) * V::load(r.amp + q);
    }
    if (!allLanesSet(inside)) return false;
    for (std::uint32_t q = 0; q < kN; q += kL)
      (V::loadUnaligned(out + q) + y[q / kL]).storeUnaligned(out + q);
    return true;
  }
};

// One chunk's length of the stages, unrolled so that every item's place in the chunk is
// a constant: (kFilter) chunk now's filter, (kModulate) chunk next's modulation and
// (kOscillate) chunk middle's oscillator, its blocks spread through the samples, so that
// the filter's chain, or the modulation's, has independent work beside it. The filter
// runs without its limits, the states it passes through kept, so that its samples come
// out only if no limit would have changed them; otherwise it runs again from where it
// began, with them.
template <bool kFilter, bool kModulate, bool kOscillate, bool kFused, class V, class C,
          class Oscillator>
GW_SOLO_INLINE void chunkStages(SoloState<C>& s, const SoloBlock<C>& b,
                                const SoloWideFilter<V, kFused>& wide, const SoloChunk<V>& now,
                                SoloChunk<V>& middle, SoloChunk<V>& next, float* o,
                                const Oscillator& oscillator, int groups) {
  constexpr std::uint32_t kN = SoloChunk<V>::kLength;
  constexpr std::uint32_t kL = kLanes<V>;
  const SvfState<Float4> filterBefore = s.filter;
  alignas(32) float coef[kN], states[3 * kN];
  if constexpr (kFilter) wide.coefficients(now, coef);
  constexpr std::uint32_t kBlocks = kN / kL, kEvery = kN / kBlocks;
  if constexpr (kOscillate) middle.padItems(kN);
#pragma GCC unroll 16
  for (std::uint32_t j = 0; j < kN; ++j) {
    if constexpr (kModulate) modulateSolo<kFused>(s, b, next, j);
    if constexpr (kFilter) {
      filterStepUnlimited<kFused>(s.filter, Float4::splat(now.x[j]), Float4::splat(coef[j]),
                                  b.damping);
      states[j] = s.filter.low.lane0();
      states[kN + j] = s.filter.band.lane0();
      states[2 * kN + j] = s.filter.high.lane0();
    }
    if constexpr (kOscillate)
      if (j % kEvery == kEvery / 2)
        oscillate(oscillator, groups, middle.warped + j / kEvery * kL,
                  middle.gains + j / kEvery * 4 * kL, middle.x + j / kEvery * kL, 1);
  }
  if constexpr (kFilter) {
    if (!wide.mixIfInside(now, states, o)) {
      s.filter = filterBefore;
      for (std::uint32_t j = 0; j < kN; ++j) o[j] += filterSolo<kFused>(s, b, now, j);
    }
  }
}

// The voice's stretches between segment ends, started as the samples reach them. (Not a
// lambda: everything that touches the lanes must be inlined into the build's entry.)
template <class C>
struct SoloStretches {
  Voice& voice;
  Segment* segs[Voice::kEnvelopes];
  std::uint32_t left;   // samples left in the current stretch
  std::uint32_t after;  // samples of the call after it

  GW_SOLO_INLINE SoloStretches(Voice& v, SoloState<C>& s, std::uint32_t frames)
      : voice(v), left(startSoloStretch(v, s, segs, frames)), after(frames - left) {}

  template <bool kFused, class V>
  GW_SOLO_INLINE void modulate(SoloState<C>& s, const SoloBlock<C>& b, SoloChunk<V>& r,
                               std::uint32_t j) {
    if (left == 0) {
      endSoloStretch(s, segs);
      left = startSoloStretch(voice, s, segs, after);
      after -= left;
    }
    --left;
    modulateSolo<kFused>(s, b, r, j);
  }
};

// Renders frames samples of one voice into out, chunk by chunk in three stages: chunk k's
// filter runs interleaved with chunk k + 2's modulation and chunk k + 1's oscillator
// (chunkStages). kFused: as the build's other layouts (WideLanes).
template <class V, class C, bool kFused, class Oscillator>
GW_SOLO_INLINE void renderSolo(Voice& voice, const VoiceBlock& block, float* out,
                               std::uint32_t frames, const Oscillator& oscillator) {
  constexpr std::uint32_t kN = SoloChunk<V>::kLength;
  constexpr std::uint32_t kL = kLanes<V>;
  SoloState<C> s;
  SoloBlock<C> b(block);
  loadSolo(voice, block, s, b);
  SoloStretches<C> stretches(voice, s, frames);
  SoloChunk<V> chunks[3];
  const SoloWideFilter<V, kFused> wide(voice, block);
  const std::uint32_t last = (frames - 1) / kN;
  auto lengthOf = [&](std::uint32_t k) {
    return k < last ? kN : k == last ? frames - last * kN : 0;
  };
  // A short chunk (a short piece of a block) computes only its own blocks of items.
  auto oscillateChunk = [&](SoloChunk<V>& r, std::uint32_t n) {
    r.padItems(n);
    oscillate(oscillator, block.groups, r.warped, r.gains, r.x, (n + kL - 1) / kL);
  };
  for (std::uint32_t j = 0; j < lengthOf(0); ++j)
    stretches.template modulate<kFused>(s, b, chunks[0], j);
  warpSolo(chunks[0], lengthOf(0));
  if (lengthOf(0) == kN && lengthOf(1) == kN && stretches.left >= kN) {
    // Chunk 1's modulation beside chunk 0's oscillator, which does not wait on it.
    stretches.left -= kN;
    chunkStages<false, true, true, kFused>(s, b, wide, chunks[2], chunks[0], chunks[1], out,
                                           oscillator, block.groups);
  } else {
    for (std::uint32_t j = 0; j < lengthOf(1); ++j)
      stretches.template modulate<kFused>(s, b, chunks[1], j);
    oscillateChunk(chunks[0], lengthOf(0));
  }
  warpSolo(chunks[1], lengthOf(1));
  for (std::uint32_t k = 0; k <= last; ++k) {
    SoloChunk<V>& now = chunks[k % 3];
    SoloChunk<V>& middle = chunks[(k + 1) % 3];
    SoloChunk<V>& next = chunks[(k + 2) % 3];
    const std::uint32_t n = lengthOf(k), m = lengthOf(k + 2);
    float* o = out + k * kN;
    if (n == kN && m == kN && stretches.left >= kN) {
      // No segment ends in chunk k + 2: the loops are unrolled so that every item's place
      // in the chunk is a constant.
      stretches.left -= kN;
      chunkStages<true, true, true, kFused>(s, b, wide, now, middle, next, o, oscillator,
                                            block.groups);
    } else if (n == kN && m == 0 && (k == last || lengthOf(k + 1) == kN)) {
      // The last two chunks: nothing left to modulate beside the filter.
      if (k < last)
        chunkStages<true, false, true, kFused>(s, b, wide, now, middle, next, o, oscillator,
                                               block.groups);
      else
        chunkStages<true, false, false, kFused>(s, b, wide, now, middle, next, o, oscillator,
                                                block.groups);
    } else {
      for (std::uint32_t j = 0; j < m; ++j) stretches.template modulate<kFused>(s, b, next, j);
      if (k < last) oscillateChunk(middle, lengthOf(k + 1));
      for (std::uint32_t j = 0; j < n; ++j) o[j] += filterSolo<kFused>(s, b, now, j);
    }
    if (m > 0) warpSolo(next, m);
  }
  endSoloStretch(s, stretches.segs);
  storeSolo(s, voice);
}

// Voices in index order, kLanes<V> to a group. A group of at most kSoloMost voices
// renders them one by one instead, one of at most kNarrowMost in the build's Narrow layout.
// kFused: the build fuses its filter's and modulation's multiply-adds (WideLanes).
template <class V, class C, int kSoloMost, class Narrow, int kNarrowMost, bool kFused,
          class Oscillator>
GW_SOLO_INLINE void renderVoiceGroups(Voice* voices, int count, const VoiceBlock& block, float* out,
                                      std::uint32_t frames, const Oscillator& oscillator) {
  constexpr int kL = kLanes<V>;
  for (int first = 0; first < count; first += kL) {
    const int n = std::min(kL, count - first);
    if (n <= kSoloMost) {
      for (int v = first; v < first + n; ++v)
        renderSolo<V, C, kFused>(voices[v], block, out, frames, oscillator);
    } else if (n <= kNarrowMost) {
      renderGroup<Narrow, kL>(voices + first, n, block, out, frames, oscillator);
    } else {
      renderGroup<WideLanes<V, kFused>, kL>(voices + first, n, block, out, frames, oscillator);
    }
  }
}

}  // namespace gw

#undef GW_SOLO_INLINE
