// The engine's render cost: one host block of 256 frames at 44.1 kHz with 1, 2, 4, 8 or 32
// sounding voices, for the "Defaults" program and for heavy settings, with each encoding of
// the voice loop (isa 0 SSE2, 1 AVX, 2 AVX2 with FMA).
// Reports ns per voice-sample and the real-time factor (seconds of audio per CPU second).
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "bench/bench_counters.h"
#include "bench/bench_scene.h"
#include "engine/voice_render.h"

namespace gw::bench {
namespace {

void renderBlock(benchmark::State& state) {
  const int voices = static_cast<int>(state.range(0));
  const auto setting = static_cast<Setting>(state.range(1));
  const auto isa = static_cast<InstructionSet>(state.range(2));
  if (useInstructions(isa) != isa) state.SkipWithError("instruction set not usable here");
  const auto program = std::make_unique<Program>(setting);
  const ParamView view = program->view();
  auto engine = settledEngine(*program, voices);
  if (engine->voiceCount() != voices) state.SkipWithError("voices ended early");
  std::vector<float> left(kBlock), right(kBlock);

  for (auto _ : state) {
    engine->renderBlock(view, kRate, left.data(), right.data(), kBlock);
    benchmark::DoNotOptimize(left.data());
    benchmark::ClobberMemory();
  }
  setVoiceSampleCounters(state, voices);
}

BENCHMARK(renderBlock)
    ->ArgNames({"voices", "setting", "isa"})
    ->ArgsProduct({{1, 2, 4, 8, 32}, {kDefaults, kHeavy, kHeavyFilterEffect}, {2, 1, 0}})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace gw::bench

BENCHMARK_MAIN();
