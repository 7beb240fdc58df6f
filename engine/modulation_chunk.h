// One chunk of the modulation effect: the taps of up to kChunk frames read from the delay
// line, the input plus feedback written, frame by frame, then each channel's mix of taps
// and input. The plain encoding, for any processor and setting, and two for two frames at a
// time, which need every read to lie at least three frames behind its write (so that a
// frame never reads what the frame just before it writes): AVX, the same values, and AVX2
// with FMA, within single roundings of them.
#pragma once

#include <cstdint>

#include "engine/float4.h"
#include "engine/modulation_effect.h"

namespace gw {

struct ModulationChunk {
  float* left;         // the chunk's input; the left mix replaces it
  float* right;        // out: the right mix
  float* taps;         // four tap values a frame (scratch, 16-byte aligned)
  Float4* line;        // the effect's line; frame length is free for the AVX encoding
  std::int32_t write;  // in and out: the line frame the next input goes to
  int frames;          // 1..kChunk
  Float4 sin, cos;     // the LFO at the first frame, one tap per lane
  // An echo fade under way (plain encoding only): frames left, in and out, of fadeFrames;
  // the frame at which it ended and emptied the line, or -1.
  std::int32_t fadeLeft = 0;
  std::int32_t fadeFrames = 1;
  int fadedOutAt = -1;
};

// Returns the chunk's last frame (0-based) whose written line frame is not all zeros, or
// -1 when every written frame is zero (counting only from fadedOutAt on, if set).
int runModulationChunk(const ModulationSetup& s, ModulationChunk& c);

// Each channel's mix of n frames' taps (four floats a frame, 16-byte aligned) and the dry
// input in left: gain × ((t0·m0 + t2·m2) + (t1·m1 + t3·m3)) + dry × x, the lane sum in
// sumLanes' order.
void mixModulation(const ModulationSetup& s, const float* taps, float* left, float* right, int n);

inline void loadTapColumns(Float4 (&t)[4], const float* taps) {
  for (int k = 0; k < 4; ++k) t[k] = Float4::load(taps + 4 * k);
  transpose(t[0], t[1], t[2], t[3]);
}

// mixModulation for the whole vectors of frames (V: Float4, or Float8 in the eight-lane
// encodings, whose loadTapColumns turns eight frames' taps); returns the frames mixed.
// kFused (the AVX2 encoding) fuses each product into the sum it feeds. Inlined always, so
// that the eight-lane encodings can inline their operations.
template <class V, bool kFused = false>
__attribute__((always_inline)) inline int mixFrames(const ModulationSetup& s, const float* taps,
                                                    float* left, float* right, int n) {
  constexpr int kL = static_cast<int>(sizeof(V) / sizeof(float));
  V maskL[4], maskR[4];
  for (int j = 0; j < 4; ++j) {
    maskL[j] = V::splat(s.maskLeft.lane(j));
    maskR[j] = V::splat(s.maskRight.lane(j));
  }
  const V gainLeft = V::splat(s.gainLeft), gainRight = V::splat(s.gainRight);
  const V dry = V::splat(s.dry);
  int f = 0;
  for (; f + kL <= n; f += kL) {
    V t[4];
    loadTapColumns(t, taps + 4 * f);  // now tap j of the frames in t[j]
    const V x = V::loadUnaligned(left + f);
    const V dryX = dry * x;
    const V l = mulAdd<kFused>(t[2], maskL[2], t[0] * maskL[0]) +
                mulAdd<kFused>(t[3], maskL[3], t[1] * maskL[1]);
    const V r = mulAdd<kFused>(t[2], maskR[2], t[0] * maskR[0]) +
                mulAdd<kFused>(t[3], maskR[3], t[1] * maskR[1]);
    mulAdd<kFused>(gainLeft, l, dryX).storeUnaligned(left + f);
    mulAdd<kFused>(gainRight, r, dryX).storeUnaligned(right + f);
  }
  return f;
}

// Whether the AVX encoding may run a setting: the shortest delay, centre minus depth, of
// three frames or more (with room for rounding).
inline bool wideChunksAllowed(const ModulationSetup& s) {
  return s.center - s.depth >= 4.0f;
}
__attribute__((target("avx"))) int runModulationChunkAvx(const ModulationSetup& s,
                                                         ModulationChunk& c);
// The same with fused multiply-adds (within 100 dB SNR of the plain values).
__attribute__((target("avx2,fma"))) int runModulationChunkAvx2Fma(const ModulationSetup& s,
                                                                  ModulationChunk& c);

}  // namespace gw
