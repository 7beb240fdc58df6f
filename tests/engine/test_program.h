// A program's 180 values for driving the engine directly, set to the factory defaults
// of every parameter the engine reads.
#pragma once

#include <array>
#include <cmath>
#include <memory>
#include <vector>

#include "engine/param_view.h"
#include "engine/synth_engine.h"

namespace gw::test {

class TestProgram {
 public:
  TestProgram() {
    for (auto& v : values_) v.store(0.0f);
    set(param::kVolume, 1.0f);
    set(param::level(1), 1.0f);
    set(param::kAttack, 0.5f);
    set(param::kDecay, 0.5f);
    set(param::kRelease, 0.5f);
    set(param::kSustain, 0.7f);
    for (int e = 1; e <= 3; ++e) {
      set(param::envLevelA2(e), 1.0f);
      set(param::envSustain(e), 1.0f);
      set(param::envLevelR1(e), 1.0f);
    }
    for (int k = 1; k <= 4; ++k) {
      set(param::lfoSpeed(k), 1.0f);
      set(param::lfoOffset(k), 1.0f);
    }
    set(param::kPulseWidth, 0.5f);
    set(param::kPwLfoSpeed, 1.0f);
    set(param::kPwEnvAttack, 1.0f);
    set(param::kPwEnvDecay, 1.0f);
    set(param::kPwEnvRelease, 1.0f);
    set(param::kPwEnvSustain, 0.7f);
    set(param::kFilterCutoff, 1000.0f);
    set(param::kFilterQ, 0.1f);
    set(param::kFilterLfoSpeed, 0.2f);
    set(param::kFilterEnvAttack, 1.0f);
    set(param::kFilterEnvDecay, 1.0f);
    set(param::kFilterEnvRelease, 1.0f);
    set(param::kFilterEnvSustain, 0.7f);
    set(param::kPitchWheelRange, 2.0f);
    set(param::kVelocityEnvAmount, 1.0f);
    set(param::kModulationWetDry, 50.0f);
    set(param::kModulationDelay, 10.0f);
    set(param::kModulationSweep, 1.0f);
    set(param::kModulationRate, 0.2f);
    set(param::kModulationSpread, 0.5f);
    set(param::kModulationVoices, 2.0f);
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
