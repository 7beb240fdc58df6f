// The voice loop shared by the SSE2 and the AVX builds: a group of voices side by side,
// one voice per lane of V (Float4, or Float8 inside the AVX build). The serial chains of
// a voice (envelopes, LFOs, phase, filter) are short and wait on their own results; with
// one voice per lane a group runs four or eight of them in the time of one.
//
// Per lane the operations and their order are those of a voice rendered alone, and the
// voices add into the output in index order, so the samples do not depend on the lane
// width. Everything here is inlined into each build's group function, so that the AVX
// build can inline its eight-lane operations.
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

// One run's per-sample values of a group. The modulation step fills all but x, the
// oscillator x; the filter turns x into the voices' output in place. Values of sample i
// and lane v are at [i × lanes + v], except the gains, which the oscillator reads per voice.
template <class V>
struct LaneRuns {
  static constexpr int kL = kLanes<V>;
  // Samples per run: about 8 KB of buffers whatever the width.
  static constexpr std::uint32_t kLength = 256 / kL;
  static constexpr std::ptrdiff_t kGainStride = kLength * 4;

  alignas(32) float warped[kLength * kL];
  alignas(32) float coef[kLength * kL];
  alignas(32) float amp[kLength * kL];
  alignas(32) float x[kLength * kL];
  alignas(32) float envGains[kL * kGainStride];  // voice v's four gains of sample i at
                                                 // [v × kGainStride + 4i]

  float* gainsOf(int voice, std::uint32_t i) { return envGains + voice * kGainStride + 4 * i; }
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

// Envelopes, pulse width and warped phase, LFO gains, filter coefficient and amplitude of
// n samples into r; then phase and LFOs step. Same per-sample order as one voice alone.
template <class V>
GW_LANES_INLINE void modulateRun(LaneState<V>& state, const LaneBlock<V>& b, LaneRuns<V>& r,
                                 std::uint32_t n) {
  constexpr int kL = kLanes<V>;
  LaneState<V> s = state;
  for (std::uint32_t i = 0; i < n; ++i) {
    for (int k = 0; k < Voice::kEnvelopes; ++k) {
      s.level[k] += s.inc[k];
      s.inc[k] += s.curve[k];
    }
    const V pw = s.level[4] * b.pwEnvAmount + s.pwSin * b.pwLfoAmount + s.pwBase;
    phaseWarp(s.phase, pw).store(r.warped + i * kL);
    // LFO 4 scales the "None" harmonics alone; LFO n scales Env n.
    const V none = s.lfoSin[0] * b.lfoAmount[0] + b.lfoOffset[0];
    const V env1 = (s.lfoSin[1] * b.lfoAmount[1] + b.lfoOffset[1]) * s.level[1];
    const V env2 = (s.lfoSin[2] * b.lfoAmount[2] + b.lfoOffset[2]) * s.level[2];
    const V env3 = (s.lfoSin[3] * b.lfoAmount[3] + b.lfoOffset[3]) * s.level[3];
    storeColumns(none, env1, env2, env3, r.gainsOf(0, i), LaneRuns<V>::kGainStride);
    (s.coefBase + s.level[5] * s.coefRange).store(r.coef + i * kL);
    s.level[0].store(r.amp + i * kL);
    s.phase = s.phase + s.step;
    s.phase = s.phase - trunc(s.phase);
    for (int j = 0; j < 4; ++j) stepOscillator(s.lfoSin[j], s.lfoCos[j], s.lfoCoef[j]);
    stepOscillator(s.pwSin, s.pwCos, b.pwLfoCoef);
  }
  state = s;
}

// The filter and the amplitude envelope over the run's oscillator sums, then each voice's
// samples added into out in voice order.
template <class V>
GW_LANES_INLINE void filterRun(LaneState<V>& state, const LaneBlock<V>& b, LaneRuns<V>& r,
                               int count, float* out, std::uint32_t n) {
  constexpr int kL = kLanes<V>;
  SvfState<V> f = state.filter;
  const V damping = state.damping;
  for (std::uint32_t i = 0; i < n; ++i) {
    const V y =
        filterSample(f, V::load(r.x + i * kL), V::load(r.coef + i * kL), damping, b.weights) *
        V::load(r.amp + i * kL);
    y.store(r.x + i * kL);
  }
  state.filter = f;
  for (std::uint32_t i = 0; i < n; ++i) {
    float sum = out[i];
    for (int v = 0; v < count; ++v) sum += r.x[i * kL + v];
    out[i] = sum;
  }
}

// oscillator.run<G>(runs, count, n) fills runs.x of the group's count voices for n
// samples, summing G groups of four harmonics; the block's group count picks G once per run.
template <class Oscillator, class Runs>
GW_LANES_INLINE void oscillate(const Oscillator& oscillator, int groups, Runs& runs, int count,
                               std::uint32_t n) {
  switch (groups) {
    case 0:
      return oscillator.template run<0>(runs, count, n);
    case 1:
      return oscillator.template run<1>(runs, count, n);
    case 2:
      return oscillator.template run<2>(runs, count, n);
    case 3:
      return oscillator.template run<3>(runs, count, n);
    default:
      return oscillator.template run<4>(runs, count, n);
  }
}

// Renders frames samples of up to kLanes<V> voices into out.
template <class V, class Oscillator>
GW_LANES_INLINE void renderGroup(Voice* voices, int count, const VoiceBlock& block, float* out,
                                 std::uint32_t frames, const Oscillator& oscillator) {
  constexpr int kL = kLanes<V>;
  constexpr int kE = Voice::kEnvelopes;
  const LaneBlock<V> b(block);
  LaneState<V> s = loadLanes<V>(voices, count, block);
  LaneRuns<V> runs;
  // Lanes past count are filtered but never heard; zeros keep them quiet and defined.
  if (count < kL) std::fill(std::begin(runs.x), std::end(runs.x), 0.0f);
  for (std::uint32_t done = 0; done < frames;) {
    // Sub-blocks end where any voice's segment ends, so the sample loop needs no stage
    // test; a voice's own segments still change at exactly their sample.
    std::uint32_t length = frames - done;
    Segment* segs[kE][kL];
    for (int v = 0; v < count; ++v) {
      for (int k = 0; k < kE; ++k) {
        segs[k][v] = &voices[v].envelope(k).current();
        length = std::min(length, segs[k][v]->remaining);
      }
    }
    alignas(32) float inc[kE][kL] = {};
    alignas(32) float curve[kE][kL] = {};
    for (int v = 0; v < count; ++v) {
      for (int k = 0; k < kE; ++k) {
        Segment& seg = *segs[k][v];
        inc[k][v] = seg.increment;
        curve[k][v] = seg.curve;
        if (seg.remaining == Segment::kUnlimited) continue;
        seg.remaining -= length;
        Envelope& env = voices[v].envelope(k);
        if (seg.remaining == 0) env.stage = std::max(env.stage - 1, 0);
      }
    }
    for (int k = 0; k < kE; ++k) {
      s.inc[k] = V::load(inc[k]);
      s.curve[k] = V::load(curve[k]);
    }
    for (std::uint32_t at = 0; at < length;) {
      const std::uint32_t n = std::min(LaneRuns<V>::kLength, length - at);
      modulateRun(s, b, runs, n);
      oscillate(oscillator, block.groups, runs, count, n);
      filterRun(s, b, runs, count, out + done + at, n);
      at += n;
    }
    // The segment that ran keeps its running increment.
    for (int k = 0; k < kE; ++k) s.inc[k].store(inc[k]);
    for (int v = 0; v < count; ++v)
      for (int k = 0; k < kE; ++k) segs[k][v]->increment = inc[k][v];
    done += length;
  }
  storeLanes(s, voices, count);
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
