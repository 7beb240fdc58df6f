// The AVX encoding of a modulation chunk: two frames in the eight lanes for the read
// positions and the interpolation, lane by lane the plain encoding's operations in its
// order, so both give the same values. Compiled for AVX; runs only after the processor
// has been checked.
#include <algorithm>
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

namespace {

// A chunk's per-block values as vectors.
struct PairSetup {
  Float8 length, lastIndex, center, depth, shapeGain, fb;
  Float4 stepCoef;
};

#define GW_PAIR_INLINE __attribute__((always_inline)) inline

// The LFO at two frames, the first in the low half, stepping it past both.
GW_PAIR_INLINE Float8 stepPair(Float4& sin, Float4& cos, Float4 stepCoef) {
  const Float4 first = sin;
  stepOscillator(sin, cos, stepCoef);
  const Float8 both = Float8::halves(first, sin);
  stepOscillator(sin, cos, stepCoef);
  return both;
}

// Where two frames written at writePos (as floats, the first frame in the low half) read
// the line at their LFO's delays: each tap's frame (its offset in floats into the line) and
// how far towards the frame after it.
struct PairPlaces {
  alignas(32) std::uint32_t at[8];
  Float8 frac;
};

GW_PAIR_INLINE void placePair(const PairSetup& k, Float8 writePos, Float8 lfoSin, PairPlaces& out) {
  const Float8 one = Float8::splat(1.0f);
  const Float8 zero;
  const Float8 lfo = max(min(k.shapeGain * lfoSin, one), -one);
  Float8 readPos = writePos - (k.center + k.depth * lfo);
  readPos += cmpGt(zero, readPos) & k.length;
  const Float8 whole = trunc(readPos);
  out.frac = readPos - whole;
  // The plain encoding's index limits, on the whole numbers as floats (exact: they lie
  // in 0..length, or at -2^31 for NaN): a wrapped position rounded onto length reads
  // frame 0, NaN reads frame 0.
  Float8 index = whole - (cmpGt(whole, k.lastIndex) & k.length);
  index = select(cmpGt(zero, index), zero, index);
  storeTruncated(index * Float8::splat(4.0f), out.at);
}

// The line's frames at the places, and how far between them.
struct PairTaps {
  Float8 taps0, taps1, frac;
};

GW_PAIR_INLINE PairTaps readPair(const float* flat, const PairPlaces& p) {
  return {tapPairs(flat, p.at), tapPairs(flat, p.at + 4), p.frac};
}

// The two frames' tap values, each between its two line frames.
GW_PAIR_INLINE Float8 interpolatePair(const PairTaps& t) {
  const Float8 oneMinus = Float8::splat(1.0f) - t.frac;
  const Float8 weighted0 = t.taps0 * lowHalves(oneMinus, t.frac);
  const Float8 weighted1 = t.taps1 * highHalves(oneMinus, t.frac);
  return lowHalves(weighted0, weighted1) + highHalves(weighted0, weighted1);
}

// What two frames write into the line: the input plus the taps' feedback.
GW_PAIR_INLINE Float8 writtenPair(const PairSetup& k, Float8 taps, const float* input) {
  return k.fb * taps + Float8::halves(Float4::splat(input[0]), Float4::splat(input[1]));
}

// The last of the first frames (a whole number of pairs) whose written line frame is not
// all zeros, or -1: the writes again from the taps and the input, the same operations and
// so the same values, from the end back, where a sounding chunk stops at once. (Cheaper
// than a test in every pair.)
int lastNonZeroWrite(const PairSetup& k, const float* taps, const float* input, int frames) {
  for (int f = frames - 2; f >= 0; f -= 2) {
    const int nonZero = nonZeroLanes(writtenPair(k, Float8::load(taps + 4 * f), input + f));
    if (nonZero != 0) return (nonZero & 0xF0) != 0 ? f + 1 : f;
  }
  return -1;
}

}  // namespace

int runModulationChunkAvx(const ModulationSetup& s, ModulationChunk& c) {
  const std::int32_t n = s.length;
  Float4* line = c.line;
  // Frame n mirrors frame 0 while the chunk runs, so that a frame and the one after it
  // always lie side by side; what it held (outside the frames in use) comes back after.
  const Float4 beyond = line[n];
  line[n] = line[0];
  const float* flat = reinterpret_cast<const float*>(line);
  const PairSetup k{Float8::splat(static_cast<float>(n)),
                    Float8::splat(static_cast<float>(n - 1)),
                    Float8::splat(s.center),
                    Float8::splat(s.depth),
                    Float8::splat(s.shapeGain),
                    Float8::splat(s.feedback),
                    Float4::splat(s.stepCoef)};
  Float4 sin = c.sin, cos = c.cos;
  std::int32_t write = c.write;
  // Copies: the vector stores below may alias anything, which would reload them every
  // frame.
  float* const taps = c.taps;
  const float* const input = c.left;
  const int frames = c.frames;
  int f = 0;
  // Both frames' reads come before either write: each read lies three or more frames
  // behind, so neither frame reads what the other writes.
  while (f + 2 <= frames) {
    // Pairs that neither write frame 0 nor wrap round to it: frames 1 to n - 1 in order.
    const int straight = write == 0 ? 0 : std::min((frames - f) / 2, (n - write) / 2);
    if (straight > 0) {
      // A pair's write waits on a long chain from its LFO through its reads. The pairs
      // overlap instead: while pair p is written, pair p + 1 reads and pair p + 2 finds
      // its places. The reads still follow the write before them, as they would one pair
      // at a time, and the LFO steps only for the pairs that run.
      const Float8 two = Float8::splat(2.0f);
      Float8 writePos = Float8::halves(Float4::splat(static_cast<float>(write)),
                                       Float4::splat(static_cast<float>(write + 1)));
      PairPlaces places[2];
      placePair(k, writePos, stepPair(sin, cos, k.stepCoef), places[0]);
      if (straight > 1) {
        writePos = writePos + two;  // exact: whole numbers far below 2^24
        placePair(k, writePos, stepPair(sin, cos, k.stepCoef), places[1]);
      }
      PairTaps read = readPair(flat, places[0]);
      for (int p = 0; p < straight; ++p, f += 2, write += 2) {
        if (p + 2 < straight) {
          writePos = writePos + two;
          placePair(k, writePos, stepPair(sin, cos, k.stepCoef), places[p & 1]);
        }
        const Float8 y = interpolatePair(read);
        y.store(taps + 4 * f);
        writtenPair(k, y, input + f).storeUnaligned(reinterpret_cast<float*>(line + write));
        if (p + 1 < straight) read = readPair(flat, places[(p + 1) & 1]);
      }
      if (write == n) write = 0;
      continue;
    }
    const std::int32_t next = write + 1 == n ? 0 : write + 1;
    const Float8 writePos = Float8::halves(Float4::splat(static_cast<float>(write)),
                                           Float4::splat(static_cast<float>(next)));
    PairPlaces places;
    placePair(k, writePos, stepPair(sin, cos, k.stepCoef), places);
    const Float8 y = interpolatePair(readPair(flat, places));
    y.store(taps + 4 * f);
    const Float8 written = writtenPair(k, y, input + f);
    line[write] = written.low();
    line[next] = written.high();
    line[n] = line[0];
    write = next + 1 == n ? 0 : next + 1;
    f += 2;
  }
  int lastNonZero = lastNonZeroWrite(k, taps, input, f);
  c.write = write;
  if (f < frames) {
    // An odd last frame, the plain way (mixed there too).
    ModulationChunk rest{c.left + f, c.right + f, c.taps + 4 * f, line, write, 1, sin, cos};
    if (runModulationChunk(s, rest) == 0) lastNonZero = f;
    c.write = rest.write;
  }
  line[n] = beyond;
  mixAvx(s, c.taps, c.left, c.right, f);
  return lastNonZero;
}

#undef GW_PAIR_INLINE

}  // namespace gw

GW_TARGET_REGION_END
