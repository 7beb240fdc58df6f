#include "engine/modulation_effect.h"

#include <algorithm>
#include <cmath>

#include "engine/lfo.h"
#include "engine/oscillator.h"

namespace gw {

namespace {
// NaN-proof clamp for values that size or index the line.
float clampFinite(float x, float lo, float hi) {
  if (!(x >= lo)) return lo;
  return x > hi ? hi : x;
}

// The LFO phase at the start of a chunk, including the chunk's own length.
float advancePhase(float phase, int chunk, float rateInc) {
  phase = phase + chunk * rateInc;
  phase -= std::trunc(phase);
  return phase >= 0.0f ? phase : 0.0f;
}

bool allZero(const float* x, int frames) {
  for (int f = 0; f < frames; ++f)
    if (x[f] != 0.0f) return false;
  return true;
}
}  // namespace

ModulationSetup ModulationEffect::setup(ParamView p, float sr) {
  ModulationSetup s;
  s.wet = p[param::kModulationWetDry] * 0.01f;
  s.dry = 1.0f - s.wet;
  s.rateInc = p[param::kModulationRate] / sr;
  s.stepCoef = 2.0f * fastSine(0.5f * s.rateInc);
  s.feedback = p[param::kModulationFeedback] * 0.0099f;

  const float taps = p[param::kModulationVoices];
  const Float4 tap0 = Float4::make(1.0f, 0.0f, 0.0f, 0.0f);
  s.maskLeft = s.maskRight = tap0;
  s.gainLeft = s.gainRight = s.wet;
  if (taps >= 2.0f && taps < 3.0f) {
    s.maskRight = Float4::make(0.0f, 1.0f, 0.0f, 0.0f);
  } else if (taps >= 3.0f && taps < 5.0f) {
    s.gainLeft = s.gainRight = s.wet / 2.0f;
    s.maskLeft = Float4::make(1.0f, 0.0f, 1.0f, 0.0f);
    s.maskRight =
        taps < 4.0f ? Float4::make(0.0f, 1.0f, 1.0f, 0.0f) : Float4::make(0.0f, 1.0f, 0.0f, 1.0f);
  }

  const float maxCenter = static_cast<float>(kMaxCenter);
  const float d = clampFinite(p[param::kModulationDelay] * sr * 0.001f, 2.0f, 1e9f);
  s.center = clampFinite(d + p[param::kModulationSweep] * sr * 0.001f * 0.5f, 2.0f, maxCenter);
  s.depth = std::max(s.center - std::min(d, maxCenter), 0.0f);
  s.shapeGain = p[param::kModulationShape] * 10.0f + 1.0f;
  s.length = static_cast<std::int32_t>(s.depth + s.center) + 8;
  s.offsets =
      Float4::make(0.0f, 0.5f, 1.0f, 1.5f) * clampFinite(p[param::kModulationSpread], 0.0f, 1e6f);
  return s;
}

void ModulationEffect::process(ParamView p, float sr, float* left, float* right, int frames) {
  const ModulationSetup s = setup(p, sr);
  std::int32_t write = writeIndex_;
  while (write >= s.length) write -= s.length;
  if (s.length != quietLength_) {
    quietLength_ = s.length;
    quietFrames_ = 0;
  }
  lastBlockIdle_ = quietFor(s.length) && allZero(left, frames);
  if (lastBlockIdle_) {
    // Every read would give zero and every write store zero: only the phase and the write
    // index move, exactly as below. The input zeros are already the output.
    float phase = phase_;
    for (int start = 0; start < frames; start += kChunk)
      phase = advancePhase(phase, std::min(kChunk, frames - start), s.rateInc);
    phase_ = phase;
    writeIndex_ = static_cast<std::int32_t>((static_cast<std::int64_t>(write) + frames) % s.length);
    quietFrames_ = static_cast<std::int32_t>(
        std::min<std::int64_t>(static_cast<std::int64_t>(quietFrames_) + frames, kLineFrames));
    std::fill(right, right + frames, 0.0f);
    return;
  }
  float writePos = static_cast<float>(write);
  const Float4 length = Float4::splat(static_cast<float>(s.length));
  const Float4 center = Float4::splat(s.center);
  const Float4 depth = Float4::splat(s.depth);
  const Float4 shapeGain = Float4::splat(s.shapeGain);
  const Float4 fb = Float4::splat(s.feedback);
  const Float4 stepCoef = Float4::splat(s.stepCoef);
  const Float4 one = Float4::splat(1.0f);
  float phase = phase_;
  Float4* line = line_.data();

  for (int start = 0; start < frames; start += kChunk) {
    const int chunk = std::min(kChunk, frames - start);
    phase = advancePhase(phase, chunk, s.rateInc);
    // Re-seeding from the exact phase every chunk keeps the recursive LFO from drifting.
    Float4 sin = fastSine(s.offsets + phase);
    Float4 cos = fastSine((0.25f + s.offsets) + phase);
    for (int f = start; f < start + chunk; ++f) {
      const float x = left[f];
      const Float4 lfo = max(min(shapeGain * sin, one), -one);
      Float4 readPos = Float4::splat(writePos) - (center + depth * lfo);
      readPos += cmpLt(readPos, Float4()) & length;
      const Float4 whole = trunc(readPos);
      const Float4 frac = readPos - whole;
      alignas(16) std::int32_t i0[4];
      truncToInt(whole, i0);
      alignas(16) float a[4];
      alignas(16) float b[4];
      for (int lane = 0; lane < 4; ++lane) {
        // Rounding can land a wrapped position exactly on length; NaN lands far below 0.
        std::int32_t i = i0[lane] >= s.length ? i0[lane] - s.length : i0[lane];
        i = i < 0 ? 0 : i;
        const std::int32_t i1 = i + 1 == s.length ? 0 : i + 1;
        a[lane] = reinterpret_cast<const float*>(&line[i])[lane];
        b[lane] = reinterpret_cast<const float*>(&line[i1])[lane];
      }
      const Float4 y = Float4::load(a) * (one - frac) + Float4::load(b) * frac;
      const Float4 written = fb * y + Float4::splat(x);
      line[write] = written;
      if (anyNonZero(written)) {
        quietFrames_ = 0;
        lineZero_ = false;
      } else if (quietFrames_ < kLineFrames) {
        ++quietFrames_;
      }
      left[f] = s.gainLeft * sumLanes(y * s.maskLeft) + s.dry * x;
      right[f] = s.gainRight * sumLanes(y * s.maskRight) + s.dry * x;
      if (++write == s.length) write = 0;
      writePos = static_cast<float>(write);
      stepOscillator(sin, cos, stepCoef);
    }
  }
  phase_ = phase;
  writeIndex_ = write;
}

void ModulationEffect::reset() {
  line_.fill(Float4());
  writeIndex_ = 0;
  phase_ = 0.0f;
  lineZero_ = true;
  quietFrames_ = 0;
}

}  // namespace gw
