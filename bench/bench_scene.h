// The scenes the benchmarks play: the "Defaults" program, the heavy setting (every
// harmonic on its own envelope, all LFOs and the pulse width moving) and the heavy setting
// with filter and effect; held notes from C2 upwards in whole tones.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/synth_engine.h"
#include "params/param_view.h"
#include "params/parameter_table.h"

namespace gw::bench {

constexpr int kBlock = 256;
constexpr float kRate = 44100.0f;
// Blocks rendered before measuring: past the attacks, into the sustain where a held chord
// spends its time.
constexpr int kSettleBlocks = 400;

enum Setting { kDefaults = 0, kHeavy = 1, kHeavyFilterEffect = 2 };

// One parameter change of a scene, in the parameters' own units.
struct SceneValue {
  int index;
  float value;
};

inline std::vector<SceneValue> sceneValues(Setting setting) {
  std::vector<SceneValue> values;
  if (setting == kDefaults) return values;
  for (int k = 1; k <= 16; ++k) {
    values.push_back({param::level(k), (k % 2 ? 1.0f : -1.0f) / k});
    values.push_back({param::envSelect(k), static_cast<float>(k % 3 + 1)});
  }
  for (int e = 1; e <= 3; ++e) {
    values.push_back({param::envTimeA1(e), 0.1f * e});
    values.push_back({param::envLevelA1(e), 0.8f});
    values.push_back({param::envTimeA2(e), 0.3f});
    values.push_back({param::envSustain(e), 0.6f});
  }
  for (int k = 1; k <= 4; ++k) {
    values.push_back({param::lfoSpeed(k), 0.5f + k});
    values.push_back({param::lfoAmount(k), 0.3f});
    values.push_back({param::lfoOffset(k), 0.7f});
    values.push_back({param::lfoKbTrack(k), 0.5f});
  }
  values.push_back({param::kPwLfoAmount, 0.2f});
  values.push_back({param::kPwEnvAmount, 0.3f});
  if (setting != kHeavyFilterEffect) return values;
  values.push_back({param::kFilterType, 1.4f});
  values.push_back({param::kFilterQ, 0.4f});
  values.push_back({param::kFilterEnvAmount, 2.0f});
  values.push_back({param::kFilterLfoAmount, 1.0f});
  values.push_back({param::kFilterLfoTypeAmount, 0.5f});
  values.push_back({param::kFilterKbTrack, 0.5f});
  values.push_back({param::kModulationOnOff, 1.0f});
  values.push_back({param::kModulationVoices, 4.0f});
  values.push_back({param::kModulationSweep, 5.0f});
  values.push_back({param::kModulationFeedback, 30.0f});
  return values;
}

inline std::uint8_t heldNote(int voice) {
  return static_cast<std::uint8_t>(36 + voice * 2);
}

// A program's values for driving the engine directly.
struct Program {
  std::array<ParamValue, param::kCount> values;
  explicit Program(Setting setting) {
    for (int i = 0; i < param::kCount; ++i) values[i].store(kParameterTable[i].defaultValue);
    for (const SceneValue& v : sceneValues(setting)) values[v.index].store(v.value);
  }
  ParamView view() const { return ParamView(values.data()); }
};

// An engine holding `voices` notes, settled into their sustain.
inline std::unique_ptr<SynthEngine> settledEngine(const Program& program, int voices) {
  auto engine = std::make_unique<SynthEngine>();
  for (int v = 0; v < voices; ++v) {
    const std::uint8_t on[3] = {0x90, heldNote(v), 100};
    engine->midiMessage(on, 3);
  }
  std::vector<float> left(kBlock), right(kBlock);
  for (int i = 0; i < kSettleBlocks; ++i)
    engine->renderBlock(program.view(), kRate, left.data(), right.data(), kBlock);
  return engine;
}

}  // namespace gw::bench
