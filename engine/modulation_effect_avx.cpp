// The AVX encoding of a modulation chunk: two frames in the eight lanes for the read
// positions and the interpolation, lane by lane the plain encoding's operations in its
// order, so both give the same values. Compiled for AVX; runs only after the processor
// has been checked.
#include <cstdint>

#include "engine/float8.h"
#include "engine/lfo.h"
#include "engine/modulation_chunk.h"
#include "engine/target_region.h"

GW_TARGET_REGION_BEGIN("avx")

namespace gw {

namespace {

// A frame's four taps: lane j of line frame at[j] in the low half, of the frame after it
// in the high half (one unaligned load per tap, the two frames side by side).
inline Float8 tapPairs(const float* flat, const std::uint32_t* at) {
  const Float8 t0 = Float8::loadUnaligned(flat + at[0]);
  const Float8 t1 = Float8::loadUnaligned(flat + at[1]);
  const Float8 t2 = Float8::loadUnaligned(flat + at[2]);
  const Float8 t3 = Float8::loadUnaligned(flat + at[3]);
  return blend<0xCC>(blend<0x22>(t0, t1), blend<0x88>(t2, t3));
}

}  // namespace

// Eight frames' taps turned for mixFrames: frames 0-3 in the low halves, 4-7 in the high.
inline void loadTapColumns(Float8 (&t)[4], const float* taps) {
  for (int k = 0; k < 4; ++k)
    t[k] = Float8::halves(Float4::load(taps + 4 * k), Float4::load(taps + 4 * k + 16));
  transposeHalves(t[0], t[1], t[2], t[3]);
}

namespace {

void mixAvx(const ModulationSetup& s, const float* taps, float* left, float* right, int n) {
  const int f = mixFrames<Float8>(s, taps, left, right, n);
  mixModulation(s, taps + 4 * f, left + f, right + f, n - f);
}

}  // namespace

// The frame past the longest length in use lies inside the line.
static_assert(ModulationEffect::kLineFrames > 2 * ModulationEffect::kMaxCenter + 8);

int runModulationChunkAvx(const ModulationSetup& s, ModulationChunk& c) {
  const std::int32_t n = s.length;
  Float4* line = c.line;
  // Frame n mirrors frame 0 while the chunk runs, so that a frame and the one after it
  // always lie side by side; what it held (outside the frames in use) comes back after.
  const Float4 beyond = line[n];
  line[n] = line[0];
  const float* flat = reinterpret_cast<const float*>(line);
  const Float8 length = Float8::splat(static_cast<float>(n));
  const Float8 lastIndex = Float8::splat(static_cast<float>(n - 1));
  const Float8 center = Float8::splat(s.center);
  const Float8 depth = Float8::splat(s.depth);
  const Float8 shapeGain = Float8::splat(s.shapeGain);
  const Float8 fb = Float8::splat(s.feedback);
  const Float8 one = Float8::splat(1.0f);
  const Float8 zero;
  const Float4 stepCoef = Float4::splat(s.stepCoef);
  Float4 sin = c.sin, cos = c.cos;
  std::int32_t write = c.write;
  // Copies: the vector stores below may alias anything, which would reload them every
  // frame.
  float* const taps = c.taps;
  const float* const input = c.left;
  const int frames = c.frames;
  int lastNonZero = -1;
  int f = 0;
  for (; f + 2 <= frames; f += 2) {
    const std::int32_t next = write + 1 == n ? 0 : write + 1;
    const Float4 firstSin = sin;
    stepOscillator(sin, cos, stepCoef);
    const Float8 lfoSin = Float8::halves(firstSin, sin);
    stepOscillator(sin, cos, stepCoef);
    const Float8 writePos = Float8::halves(Float4::splat(static_cast<float>(write)),
                                           Float4::splat(static_cast<float>(next)));
    const Float8 lfo = max(min(shapeGain * lfoSin, one), -one);
    Float8 readPos = writePos - (center + depth * lfo);
    readPos += cmpGt(zero, readPos) & length;
    const Float8 whole = trunc(readPos);
    const Float8 frac = readPos - whole;
    // The plain encoding's index limits, on the whole numbers as floats (exact: they lie
    // in 0..length, or at -2^31 for NaN): a wrapped position rounded onto length reads
    // frame 0, NaN reads frame 0.
    Float8 index = whole - (cmpGt(whole, lastIndex) & length);
    index = select(cmpGt(zero, index), zero, index);
    alignas(32) std::uint32_t at[8];
    storeTruncated(index * Float8::splat(4.0f), at);
    // Both frames' reads come before either write: each read lies three or more frames
    // behind, so neither frame reads what the other writes.
    const Float8 taps0 = tapPairs(flat, at);
    const Float8 taps1 = tapPairs(flat, at + 4);
    const Float8 oneMinus = one - frac;
    const Float8 weighted0 = taps0 * lowHalves(oneMinus, frac);
    const Float8 weighted1 = taps1 * highHalves(oneMinus, frac);
    const Float8 y = lowHalves(weighted0, weighted1) + highHalves(weighted0, weighted1);
    y.store(taps + 4 * f);
    const Float8 x = Float8::halves(Float4::splat(input[f]), Float4::splat(input[f + 1]));
    const Float8 written = fb * y + x;
    if (write != 0 && next != 0) {
      written.storeUnaligned(reinterpret_cast<float*>(line + write));
    } else {
      line[write] = written.low();
      line[next] = written.high();
      line[n] = line[0];
    }
    const int nonZero = nonZeroLanes(written);
    if (nonZero != 0) lastNonZero = (nonZero & 0xF0) != 0 ? f + 1 : f;
    write = next + 1 == n ? 0 : next + 1;
  }
  c.write = write;
  if (f < c.frames) {
    // An odd last frame, the plain way (mixed there too).
    ModulationChunk rest{c.left + f, c.right + f, c.taps + 4 * f, line, write, 1, sin, cos};
    if (runModulationChunk(s, rest) == 0) lastNonZero = f;
    c.write = rest.write;
  }
  line[n] = beyond;
  mixAvx(s, c.taps, c.left, c.right, f);
  return lastNonZero;
}

}  // namespace gw

GW_TARGET_REGION_END
