#include "engine/voice_render.h"

#include <algorithm>
#include <atomic>
#include <cstdint>

#include "engine/voice_loop.h"

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

// The harmonic loop for the block's group count, chosen once per run.
void oscillatorPass(const VoiceLoop& loop, RunBuffers& r, std::uint32_t n, int groups) {
  switch (groups) {
    case 0:
      oscillatorPass<0>(loop, r, n);
      break;
    case 1:
      oscillatorPass<1>(loop, r, n);
      break;
    case 2:
      oscillatorPass<2>(loop, r, n);
      break;
    case 3:
      oscillatorPass<3>(loop, r, n);
      break;
    default:
      oscillatorPass<4>(loop, r, n);
      break;
  }
}

// The SSE2 build of the voice loop, for any processor; the AVX build gives identical samples.
void renderSamplesSse2(EnvelopeLanes& env, VoiceState& st, const Voice& v, const VoiceBlock& b,
                       float* out, std::uint32_t frames) {
  VoiceLoop loop(env, st, v, b);
  std::uint32_t n = std::min(kPass, frames);
  loop.modulateRun(loop.runs[0], n);
  for (std::uint32_t done = 0, k = 0; n > 0; k ^= 1) {
    oscillatorPass(loop, loop.runs[k], n, b.groups);
    const std::uint32_t ahead = std::min(kPass, frames - done - n);
    loop.filterAndModulate(loop.runs[k], out + done, n, loop.runs[k ^ 1], ahead);
    done += n;
    n = ahead;
  }
  env = loop.e;
  st = loop.s;
}

using RenderFn = void (*)(EnvelopeLanes&, VoiceState&, const Voice&, const VoiceBlock&, float*,
                          std::uint32_t);

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
