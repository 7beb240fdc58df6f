// The engine's render cost: one host block of 256 frames at 44.1 kHz with 1, 8 or 32
// sounding voices, for the "Defaults" program and for heavy settings, with the AVX and the
// plain SSE2 encoding of the voice loop.
// Reports ns per voice-sample and the real-time factor (seconds of audio per CPU second).
#include <benchmark/benchmark.h>

#include <array>
#include <memory>
#include <vector>

#include "engine/param_view.h"
#include "engine/synth_engine.h"
#include "engine/voice_render.h"
#include "plugin/parameter_table.h"

namespace gw {
namespace {

constexpr int kBlock = 256;
constexpr float kRate = 44100.0f;

enum Setting { kDefaults = 0, kHeavy = 1, kHeavyFilterEffect = 2 };

struct Program {
  std::array<ParamValue, param::kCount> values;
  Program() {
    for (int i = 0; i < param::kCount; ++i) values[i].store(kParameterTable[i].defaultValue);
  }
  void set(int index, float v) { values[index].store(v); }
};

// Every harmonic sounding on its own envelope, every LFO and the pulse width moving.
void makeHeavy(Program& p) {
  for (int k = 1; k <= 16; ++k) {
    p.set(param::level(k), (k % 2 ? 1.0f : -1.0f) / k);
    p.set(param::envSelect(k), static_cast<float>(k % 3 + 1));
  }
  for (int e = 1; e <= 3; ++e) {
    p.set(param::envTimeA1(e), 0.1f * e);
    p.set(param::envLevelA1(e), 0.8f);
    p.set(param::envTimeA2(e), 0.3f);
    p.set(param::envSustain(e), 0.6f);
  }
  for (int k = 1; k <= 4; ++k) {
    p.set(param::lfoSpeed(k), 0.5f + k);
    p.set(param::lfoAmount(k), 0.3f);
    p.set(param::lfoOffset(k), 0.7f);
    p.set(param::lfoKbTrack(k), 0.5f);
  }
  p.set(param::kPwLfoAmount, 0.2f);
  p.set(param::kPwEnvAmount, 0.3f);
}

void addFilterAndEffect(Program& p) {
  p.set(param::kFilterType, 1.4f);
  p.set(param::kFilterQ, 0.4f);
  p.set(param::kFilterEnvAmount, 2.0f);
  p.set(param::kFilterLfoAmount, 1.0f);
  p.set(param::kFilterLfoTypeAmount, 0.5f);
  p.set(param::kFilterKbTrack, 0.5f);
  p.set(param::kModulationOnOff, 1.0f);
  p.set(param::kModulationVoices, 4.0f);
  p.set(param::kModulationSweep, 5.0f);
  p.set(param::kModulationFeedback, 30.0f);
}

void renderBlock(benchmark::State& state) {
  const int voices = static_cast<int>(state.range(0));
  const auto setting = static_cast<Setting>(state.range(1));
  if (useWideInstructions(state.range(2) != 0) != (state.range(2) != 0))
    state.SkipWithError("no AVX on this processor");
  auto program = std::make_unique<Program>();
  if (setting != kDefaults) makeHeavy(*program);
  if (setting == kHeavyFilterEffect) addFilterAndEffect(*program);
  const ParamView view(program->values.data());

  auto engine = std::make_unique<SynthEngine>();
  for (int v = 0; v < voices; ++v) {
    const std::uint8_t on[3] = {0x90, static_cast<std::uint8_t>(36 + v * 2), 100};
    engine->midiMessage(on, 3);
  }
  std::vector<float> left(kBlock), right(kBlock);
  // Past the attacks, into the sustain where a held chord spends its time.
  for (int i = 0; i < 400; ++i) engine->renderBlock(view, kRate, left.data(), right.data(), kBlock);
  if (engine->voiceCount() != voices) state.SkipWithError("voices ended early");

  for (auto _ : state) {
    engine->renderBlock(view, kRate, left.data(), right.data(), kBlock);
    benchmark::DoNotOptimize(left.data());
    benchmark::ClobberMemory();
  }
  // Google Benchmark prints an inverted rate with an "s" suffix; the figure is in ns.
  using benchmark::Counter;
  state.counters["ns_per_voice_sample"] =
      Counter(1e-9 * kBlock * voices, Counter::kIsIterationInvariantRate | Counter::kInvert);
  state.counters["realtime_factor"] =
      Counter(kBlock / static_cast<double>(kRate), Counter::kIsIterationInvariantRate);
}

BENCHMARK(renderBlock)
    ->ArgNames({"voices", "setting", "avx"})
    ->ArgsProduct({{1, 8, 32}, {kDefaults, kHeavy, kHeavyFilterEffect}, {1, 0}})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace gw

BENCHMARK_MAIN();
