#include "engine/voice_render.h"

#include <algorithm>
#include <atomic>
#include <cstdint>

#include "engine/filter.h"
#include "engine/lfo.h"
#include "engine/oscillator.h"

namespace gw {

int envSelection(float value) {
  // NaN and anything below 1 select "None"; the clamp keeps the index inside the gains.
  if (!(value >= 1.0f)) return 0;
  if (value >= 3.0f) return 3;
  return static_cast<int>(value);
}

VoiceBlock oscillatorBlock(ParamView p) {
  VoiceBlock b;
  const float volume = p[param::kVolume];
  const float volume3 = volume * volume * volume;
  for (int g = 0; g < 4; ++g) {
    alignas(16) float lanes[4][4] = {};
    for (int i = 0; i < 4; ++i) {
      const int harmonic = g * 4 + i + 1;
      lanes[envSelection(p[param::envSelect(harmonic)])][i] = p[param::level(harmonic)] * volume3;
    }
    for (int j = 0; j < 4; ++j) b.gains[g][j] = Float4::load(lanes[j]);
  }
  b.groups = 0;
  for (int k = 1; k <= 16; ++k)
    if (p[param::level(k)] * volume3 != 0.0f) b.groups = (k + 3) / 4;
  alignas(16) float amount[4];
  alignas(16) float offset[4];
  for (int lane = 0; lane < 4; ++lane) {
    amount[lane] = p[param::lfoAmount(lfoOfLane(lane))];
    offset[lane] = p[param::lfoOffset(lfoOfLane(lane))];
  }
  b.lfoAmount = Float4::load(amount);
  b.lfoOffset = Float4::load(offset);
  b.pulseWidth = p[param::kPulseWidth];
  b.velocityPwAmount = p[param::kVelocityPwAmount];
  b.pwEnvAmount = p[param::kPwEnvAmount];
  b.pwLfoAmount = p[param::kPwLfoAmount];
  return b;
}

namespace {

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

// Inlined into each instruction-set variant of the render loop below.
template <int kGroups>
__attribute__((always_inline)) inline void oscillatorPass(const float* warped,
                                                          const Float4* envGains,
                                                          const Float4 (&numbers)[4],
                                                          const VoiceBlock& b, float* x,
                                                          std::uint32_t n) {
  for (std::uint32_t i = 0; i < n; ++i)
    x[i] = harmonicSum<kGroups>(Float4::splat(warped[i]), numbers, b.gains, envGains[i]);
}

// Samples per pass: the oscillator pass fills these, the filter pass drains them.
constexpr std::uint32_t kPass = 64;

__attribute__((always_inline)) inline void renderSamples(EnvelopeLanes& env, VoiceState& st,
                                                         const Voice& v, const VoiceBlock& b,
                                                         float* out, std::uint32_t frames) {
  const Float4 step = v.baseIncrement * b.stepMultiplier;
  const float pwBase = b.pulseWidth + v.velocity * b.velocityPwAmount;
  const Float4 lfoCoef = v.lfoCoef;
  const float coefBase = v.filterCoefBase;
  const float coefRange = v.filterCoefRange;
  const float damping = v.filterDamping;
  const FilterWeights weights = b.filter;
  const Float4 numbers[4] = {harmonicNumbers(0), harmonicNumbers(1), harmonicNumbers(2),
                             harmonicNumbers(3)};
  EnvelopeLanes e = env;
  VoiceState s = st;
  alignas(16) float warped[kPass];
  Float4 envGains[kPass];
  alignas(16) float x[kPass];
  alignas(16) float coef[kPass];
  alignas(16) float amp[kPass];
  for (std::uint32_t done = 0; done < frames; done += kPass) {
    const std::uint32_t n = std::min(kPass, frames - done);
    // Three passes, each with at most a short chain from one sample to the next, so the
    // processor overlaps consecutive samples instead of waiting out one long chain.
    // Modulation pass: envelopes, pulse width and warped phase, LFO gains.
    for (std::uint32_t i = 0; i < n; ++i) {
      e.levelA += e.incA;
      e.incA += e.curveA;
      e.levelB += e.incB;
      e.incB += e.curveB;
      const float pw = e.levelB.lane0() * b.pwEnvAmount + s.pwSin * b.pwLfoAmount + pwBase;
      warped[i] = phaseWarpSplat(s.phase, Float4::splat(pw)).lane0();
      envGains[i] = (s.lfoSin * b.lfoAmount + b.lfoOffset) * withLane0(e.levelA, 1.0f);
      coef[i] = coefBase + broadcast<1>(e.levelB).lane0() * coefRange;
      amp[i] = e.levelA.lane0();
      s.phase = s.phase + step;
      s.phase = s.phase - trunc(s.phase);
      stepOscillator(s.lfoSin, s.lfoCos, lfoCoef);
      stepOscillator(s.pwSin, s.pwCos, b.pwLfoCoef);
    }
    // Oscillator pass: the sixteen harmonics; samples are independent here.
    switch (b.groups) {
      case 0:
        std::fill_n(x, n, 0.0f);
        break;
      case 1:
        oscillatorPass<1>(warped, envGains, numbers, b, x, n);
        break;
      case 2:
        oscillatorPass<2>(warped, envGains, numbers, b, x, n);
        break;
      case 3:
        oscillatorPass<3>(warped, envGains, numbers, b, x, n);
        break;
      default:
        oscillatorPass<4>(warped, envGains, numbers, b, x, n);
        break;
    }
    // Filter pass: the filter state is the one long chain; alone it runs at its latency.
    float* o = out + done;
    for (std::uint32_t i = 0; i < n; ++i)
      o[i] += filterSample(s.filter, x[i], coef[i], damping, weights) * amp[i];
  }
  env = e;
  st = s;
}

// The same loop compiled twice: for any SSE2 processor, and with the three-operand AVX
// encoding, which saves the register copies that two-operand SSE needs. Both use the same
// lane-wise single-precision operations, so they give identical samples.
using RenderFn = void (*)(EnvelopeLanes&, VoiceState&, const Voice&, const VoiceBlock&, float*,
                          std::uint32_t);

void renderSamplesSse2(EnvelopeLanes& env, VoiceState& st, const Voice& v, const VoiceBlock& b,
                       float* out, std::uint32_t frames) {
  renderSamples(env, st, v, b, out, frames);
}

__attribute__((target("avx"))) void renderSamplesAvx(EnvelopeLanes& env, VoiceState& st,
                                                     const Voice& v, const VoiceBlock& b,
                                                     float* out, std::uint32_t frames) {
  renderSamples(env, st, v, b, out, frames);
}

bool avxAvailable() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx");
}

std::atomic<bool> gUseAvx{avxAvailable()};

}  // namespace

bool useWideInstructions(bool wanted) {
  const bool use = wanted && avxAvailable();
  gUseAvx.store(use, std::memory_order_relaxed);
  return use;
}

void renderVoice(Voice& v, const VoiceBlock& b, float* out, int frames) {
  Envelope* envs[6] = {&v.ampEnvelope,         &v.harmonicEnvelope[0], &v.harmonicEnvelope[1],
                       &v.harmonicEnvelope[2], &v.pwEnvelope,          &v.filterEnvelope};
  EnvelopeLanes lanes;
  lanes.levelA = Float4::make(envs[0]->level, envs[1]->level, envs[2]->level, envs[3]->level);
  lanes.levelB = Float4::make(envs[4]->level, envs[5]->level, 0.0f, 0.0f);
  VoiceState st{v.phase,    v.lfoSin,   v.lfoCos,
                v.pwLfoSin, v.pwLfoCos, {v.filterLow, v.filterBand, v.filterHigh}};

  std::uint32_t left = frames > 0 ? static_cast<std::uint32_t>(frames) : 0u;
  while (left > 0) {
    // Sub-blocks end where any segment ends, so the sample loop needs no stage test.
    std::uint32_t run = left;
    Segment* segs[6];
    for (int k = 0; k < 6; ++k) {
      segs[k] = &envs[k]->current();
      run = std::min(run, segs[k]->remaining);
    }
    alignas(16) float inc[8];
    alignas(16) float curve[8] = {};
    for (int k = 0; k < 6; ++k) {
      inc[k] = segs[k]->increment;
      curve[k] = segs[k]->curve;
      if (segs[k]->remaining == Segment::kUnlimited) continue;
      segs[k]->remaining -= run;
      if (segs[k]->remaining == 0) envs[k]->stage = std::max(envs[k]->stage - 1, 0);
    }
    inc[6] = inc[7] = 0.0f;
    lanes.incA = Float4::load(inc);
    lanes.curveA = Float4::load(curve);
    lanes.incB = Float4::load(inc + 4);
    lanes.curveB = Float4::load(curve + 4);

    const RenderFn render =
        gUseAvx.load(std::memory_order_relaxed) ? renderSamplesAvx : renderSamplesSse2;
    render(lanes, st, v, b, out, run);

    // The segment that ran keeps its running increment.
    lanes.incA.store(inc);
    lanes.incB.store(inc + 4);
    for (int k = 0; k < 6; ++k) segs[k]->increment = inc[k];
    out += run;
    left -= run;
  }

  alignas(16) float level[8];
  lanes.levelA.store(level);
  lanes.levelB.store(level + 4);
  for (int k = 0; k < 6; ++k) envs[k]->level = level[k];
  v.phase = st.phase;
  v.lfoSin = st.lfoSin;
  v.lfoCos = st.lfoCos;
  v.pwLfoSin = st.pwSin;
  v.pwLfoCos = st.pwCos;
  v.filterLow = st.filter.low;
  v.filterBand = st.filter.band;
  v.filterHigh = st.filter.high;
}

}  // namespace gw
