// A program's 180 values for driving the engine directly.
#pragma once

#include <array>
#include <cmath>
#include <memory>
#include <vector>

#include "engine/synth_engine.h"
#include "params/param_view.h"
#include "params/parameter_table.h"

namespace gw::test {

class TestProgram {
 public:
  // Every parameter at its default: the sound of the "Defaults" program, a pure sine.
  TestProgram() {
    for (int i = 0; i < param::kCount; ++i) values_[i].store(kParameterTable[i].defaultValue);
  }

  void set(int index, float value) { values_[index].store(value); }
  float get(int index) const { return values_[index].load(); }
  ParamView view() const { return ParamView(values_.data()); }

  // A quick, instantly full and steady sound: attack and decay of one sample.
  void makeOrgan() {
    set(param::kAttack, 0.0f);
    set(param::kDecay, 0.0f);
    set(param::kSustain, 1.0f);
    set(param::kVelocityEnvAmount, 0.0f);
  }

 private:
  std::array<ParamValue, param::kCount> values_;
};

// Short segments on all six envelopes, so boundaries fall inside blocks and at their
// edges at different samples in each voice; everything modulated and the filter on.
inline void makeBusy(TestProgram& p) {
  for (int k = 1; k <= 16; ++k) {
    p.set(param::level(k), (k % 2 ? 1.0f : -0.7f) / k);
    p.set(param::envSelect(k), static_cast<float>(k % 4));
  }
  for (int e = 1; e <= 3; ++e) {
    p.set(param::envTimeA1(e), 0.0013f * e);
    p.set(param::envLevelA1(e), 0.9f);
    p.set(param::envTimeA2(e), 0.0021f);
    p.set(param::envSustain(e), 0.5f);
    p.set(param::envTimeR1(e), 0.003f);
    p.set(param::envTimeR2(e), 0.01f);
  }
  for (int k = 1; k <= 4; ++k) {
    p.set(param::lfoSpeed(k), 1.5f + k);
    p.set(param::lfoAmount(k), 0.3f);
    p.set(param::lfoOffset(k), 0.6f);
    p.set(param::lfoKbTrack(k), 0.5f);
  }
  p.set(param::kAttack, 0.0031f);
  p.set(param::kDecay, 0.0047f);
  p.set(param::kRelease, 0.0123f);
  p.set(param::kPwEnvAttack, 0.002f);
  p.set(param::kPwEnvDecay, 0.005f);
  p.set(param::kFilterEnvAttack, 0.0017f);
  p.set(param::kFilterEnvDecay, 0.0077f);
  p.set(param::kPwLfoAmount, 0.2f);
  p.set(param::kPwEnvAmount, 0.3f);
  p.set(param::kFilterType, 1.4f);
  p.set(param::kFilterQ, 0.4f);
  p.set(param::kFilterEnvAmount, 2.0f);
  p.set(param::kFilterLfoAmount, 1.0f);
  p.set(param::kFilterLfoTypeAmount, 0.5f);
  p.set(param::kFilterKbTrack, 0.5f);
}

// Renders blocks and collects the two channels.
struct Rendered {
  std::vector<float> left, right;
};

inline Rendered render(SynthEngine& engine, const TestProgram& program, float sampleRate,
                       int frames, int block = 256) {
  Rendered out;
  out.left.resize(frames);
  out.right.resize(frames);
  for (int start = 0; start < frames; start += block) {
    const int n = std::min(block, frames - start);
    engine.renderBlock(program.view(), sampleRate, out.left.data() + start,
                       out.right.data() + start, n);
  }
  return out;
}

inline void send(SynthEngine& engine, std::uint8_t status, std::uint8_t d1, std::uint8_t d2) {
  const std::uint8_t bytes[3] = {status, d1, d2};
  engine.midiMessage(bytes, 3);
}

inline std::unique_ptr<SynthEngine> makeEngine() {
  return std::make_unique<SynthEngine>();
}

}  // namespace gw::test
