// The chorus/flanger "Modulation" effect: up to four modulated delay taps, one per lane,
// each with its own line (interleaved), feedback path and LFO phase offset.
#pragma once

#include <array>
#include <cstdint>

#include "engine/float4.h"
#include "params/param_view.h"

namespace gw {

// Per-block settings derived from the parameters and the sample rate.
struct ModulationSetup {
  float wet, dry;
  float rateInc;   // cycles per sample
  float stepCoef;  // recursive LFO coefficient
  float feedback;
  Float4 maskLeft, maskRight;  // 1 where a tap feeds the channel
  float gainLeft, gainRight;
  float center, depth;  // samples
  float shapeGain;
  std::int32_t length;  // frames of the line in use
  Float4 offsets;       // tap phase offsets in cycles
};

class ModulationEffect {
 public:
  // The centre delay is held at 48000 samples, so the used length never exceeds
  // 2 × 48000 + 8 frames at any setting or sample rate.
  static constexpr std::int32_t kLineFrames = 96016;
  static constexpr std::int32_t kMaxCenter = 48000;
  static constexpr int kChunk = 128;

  static ModulationSetup setup(ParamView params, float sampleRate);

  // Thread: audio. Reads the input from left and writes the mix to both channels. A
  // silent input into a silent line only advances the LFO phase and the write index, as
  // processing it would, and leaves both channels silent.
  void process(ParamView params, float sampleRate, float* left, float* right, int frames);
  // Clears the line, the write index, the LFO phase and a fade under way: as new.
  void reset();
  // Thread: audio. Fades the echoes out over the next frames samples and then empties the
  // line, so that what the effect still holds stops without a click; the dry path and
  // what comes in afterwards pass as ever.
  void silence(int frames);

  float phase() const { return phase_; }
  std::int32_t writeIndex() const { return writeIndex_; }
  // Whether the last block was silent in and out, with nothing left to echo.
  bool lastBlockIdle() const { return lastBlockIdle_; }

 private:
  // The line holds only zeros in the length frames in use.
  bool quietFor(std::int32_t length) const {
    return lineZero_ || (quietLength_ == length && quietFrames_ >= length);
  }

  std::array<Float4, kLineFrames> line_{};
  std::int32_t writeIndex_ = 0;
  float phase_ = 0.0f;  // cycles, kept in [0, 1)
  // Zero frames written since the last non-zero one, with the used length they were
  // written under; a silent tail is over once they cover that length.
  bool lineZero_ = true;
  std::int32_t quietFrames_ = 0;
  std::int32_t quietLength_ = 0;
  bool lastBlockIdle_ = false;
  // An echo fade under way: frames left of fadeFrames_.
  std::int32_t fadeLeft_ = 0;
  std::int32_t fadeFrames_ = 1;
};

}  // namespace gw
