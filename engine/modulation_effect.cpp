#include "engine/modulation_effect.h"

#include <algorithm>
#include <cmath>

#include "engine/lfo.h"
#include "engine/modulation_chunk.h"
#include "engine/oscillator.h"
#include "engine/voice_render.h"

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

}  // namespace

void mixModulation(const ModulationSetup& s, const float* taps, float* left, float* right, int n) {
  int f = mixFrames<Float4>(s, taps, left, right, n);
  for (; f < n; ++f) {
    const Float4 y = Float4::load(taps + 4 * f);
    const float x = left[f];
    left[f] = s.gainLeft * sumLanes(y * s.maskLeft) + s.dry * x;
    right[f] = s.gainRight * sumLanes(y * s.maskRight) + s.dry * x;
  }
}

namespace {

bool allZero(const float* x, int frames) {
  int f = 0;
  for (; f + 4 <= frames; f += 4)
    if (anyNonZero(Float4::loadUnaligned(x + f))) return false;
  for (; f < frames; ++f)
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
    fadeLeft_ = 0;  // nothing left to fade
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
  float phase = phase_;
  // Two frames at a time in the voices' encoding, where the setting's delays allow it.
  int (*wide)(const ModulationSetup&, ModulationChunk&) = nullptr;
  if (wideChunksAllowed(s) && instructionsInUse() == InstructionSet::kAvx2Fma)
    wide = runModulationChunkAvx2Fma;
  else if (wideChunksAllowed(s) && instructionsInUse() == InstructionSet::kAvx)
    wide = runModulationChunkAvx;
  alignas(32) float taps[kChunk * 4];  // the chunk's tap values, frame by frame
  for (int start = 0; start < frames; start += kChunk) {
    const int chunk = std::min(kChunk, frames - start);
    phase = advancePhase(phase, chunk, s.rateInc);
    // Re-seeding from the exact phase every chunk keeps the recursive LFO from drifting.
    ModulationChunk c{left + start,
                      right + start,
                      taps,
                      line_.data(),
                      write,
                      chunk,
                      fastSine(s.offsets + phase),
                      fastSine((0.25f + s.offsets) + phase),
                      fadeLeft_,
                      fadeFrames_};
    // An echo fade runs the plain way.
    const int lastNonZero =
        wide != nullptr && fadeLeft_ == 0 ? wide(s, c) : runModulationChunk(s, c);
    write = c.write;
    fadeLeft_ = c.fadeLeft;
    // As counted frame by frame: reset by a frame that is not all zeros, else one more; a
    // fade that ends empties the line, which then holds zeros only.
    if (lastNonZero >= 0) {
      quietFrames_ = chunk - 1 - lastNonZero;
      lineZero_ = false;
    } else if (c.fadedOutAt >= 0) {
      quietFrames_ = chunk - c.fadedOutAt;
      lineZero_ = true;
    } else {
      quietFrames_ = std::min(quietFrames_ + chunk, kLineFrames);
    }
  }
  phase_ = phase;
  writeIndex_ = write;
}

int runModulationChunk(const ModulationSetup& s, ModulationChunk& c) {
  float writePos = static_cast<float>(c.write);
  const Float4 length = Float4::splat(static_cast<float>(s.length));
  const Float4 center = Float4::splat(s.center);
  const Float4 depth = Float4::splat(s.depth);
  const Float4 shapeGain = Float4::splat(s.shapeGain);
  const Float4 fb = Float4::splat(s.feedback);
  const Float4 stepCoef = Float4::splat(s.stepCoef);
  const Float4 one = Float4::splat(1.0f);
  const Int4 lengthInt = Int4::splat(s.length);
  const Int4 lastIndex = Int4::splat(s.length - 1);
  const Int4 laneOffsets = Int4::make(0, 1, 2, 3);
  Float4* line = c.line;
  Float4 sin = c.sin, cos = c.cos;
  std::int32_t write = c.write;
  int lastNonZero = -1;
  for (int f = 0; f < c.frames; ++f) {
    const float x = c.left[f];
    const Float4 lfo = max(min(shapeGain * sin, one), -one);
    Float4 readPos = Float4::splat(writePos) - (center + depth * lfo);
    readPos += cmpLt(readPos, Float4()) & length;
    const Float4 whole = trunc(readPos);
    const Float4 frac = readPos - whole;
    // Rounding can land a wrapped position exactly on length; NaN lands far below 0.
    Int4 i = truncToInt(whole);
    i = i - (cmpGt(i, lastIndex) & lengthInt);
    i = unlessMask(cmpGt(Int4::splat(0), i), i);
    Int4 i1 = i + Int4::splat(1);
    i1 = unlessMask(cmpEq(i1, lengthInt), i1);
    // Each lane reads its own lane of its two frames.
    alignas(16) std::int32_t at[8];
    (shiftLeft<2>(i) + laneOffsets).store(at);
    (shiftLeft<2>(i1) + laneOffsets).store(at + 4);
    const float* flat = reinterpret_cast<const float*>(line);
    const Float4 a = Float4::make(flat[at[0]], flat[at[1]], flat[at[2]], flat[at[3]]);
    const Float4 b = Float4::make(flat[at[4]], flat[at[5]], flat[at[6]], flat[at[7]]);
    Float4 y = a * (one - frac) + b * frac;
    if (c.fadeLeft > 0) {
      // Down to nothing at the fade's last frame, whose echo is not fed back either.
      --c.fadeLeft;
      y *= Float4::splat(static_cast<float>(c.fadeLeft) / static_cast<float>(c.fadeFrames));
      // Faded out: what the line still holds would only bring the echoes back.
      if (c.fadeLeft == 0) {
        std::fill(line, line + ModulationEffect::kLineFrames, Float4());
        c.fadedOutAt = f;
        lastNonZero = -1;
      }
    }
    y.store(c.taps + 4 * f);
    const Float4 written = fb * y + Float4::splat(x);
    line[write] = written;
    if (anyNonZero(written)) lastNonZero = f;
    if (++write == s.length) write = 0;
    writePos = static_cast<float>(write);
    stepOscillator(sin, cos, stepCoef);
  }
  c.write = write;
  mixModulation(s, c.taps, c.left, c.right, c.frames);
  return lastNonZero;
}

void ModulationEffect::silence(int frames) {
  fadeFrames_ = std::max(frames, 1);
  fadeLeft_ = fadeFrames_;
}

void ModulationEffect::reset() {
  line_.fill(Float4());
  writeIndex_ = 0;
  phase_ = 0.0f;
  lineZero_ = true;
  quietFrames_ = 0;
  quietLength_ = 0;
  lastBlockIdle_ = false;
  fadeLeft_ = 0;
  fadeFrames_ = 1;
}

}  // namespace gw
