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
