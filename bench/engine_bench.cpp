// The engine's render cost: one host block of 256 frames at 44.1 kHz with 1, 2, 4, 8 or 32
// sounding voices, for the "Defaults" program and for heavy settings, with each encoding of
// the voice loop (isa 0 SSE2, 1 AVX, 2 AVX2 with FMA).
// Reports ns per voice-sample and the real-time factor (seconds of audio per CPU second).
// renderPieces: the voice loop alone on a block cut into pieces of 256, 16 or 4 frames, as
// the engine calls it when events fall inside a block.
// modulationEffect: the heavy setting's effect alone on a sounding block, which every
// instance pays once whatever its voices: ns per frame (as "voice-sample").
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "bench/bench_counters.h"
#include "bench/bench_scene.h"
#include "engine/filter.h"
#include "engine/lfo.h"
#include "engine/modulation_effect.h"
#include "engine/voice_render.h"

namespace gw::bench {
namespace {

// An engine holding `voices` notes of the setting, settled, on the benchmark's encoding
// (argument 2).
struct Settled {
  std::unique_ptr<Program> program;
  std::unique_ptr<SynthEngine> engine;
  Settled(benchmark::State& state, int voices, Setting setting)
      : program(std::make_unique<Program>(setting)) {
    const auto isa = static_cast<InstructionSet>(state.range(2));
    if (useInstructions(isa) != isa) state.SkipWithError("instruction set not usable here");
    engine = settledEngine(*program, voices);
    if (engine->voiceCount() != voices) state.SkipWithError("voices ended early");
  }
};

void renderBlock(benchmark::State& state) {
  const int voices = static_cast<int>(state.range(0));
  const Settled settled(state, voices, static_cast<Setting>(state.range(1)));
  const ParamView view = settled.program->view();
  SynthEngine& engine = *settled.engine;
  std::vector<float> left(kBlock), right(kBlock);

  for (auto _ : state) {
    engine.renderBlock(view, kRate, left.data(), right.data(), kBlock);
    benchmark::DoNotOptimize(left.data());
    benchmark::ClobberMemory();
  }
  setVoiceSampleCounters(state, voices);
}

BENCHMARK(renderBlock)
    ->ArgNames({"voices", "setting", "isa"})
    ->ArgsProduct({{1, 2, 4, 8, 32}, {kDefaults, kHeavy, kHeavyFilterEffect}, {2, 1, 0}})
    ->Unit(benchmark::kMicrosecond);

void renderPieces(benchmark::State& state) {
  const int voices = static_cast<int>(state.range(0));
  const int piece = static_cast<int>(state.range(1));
  const Settled settled(state, voices, kHeavyFilterEffect);
  const ParamView view = settled.program->view();
  std::vector<Voice> held(voices);
  for (int v = 0; v < voices; ++v) held[v] = settled.engine->voice(v);
  // The block values the engine prepares, without the filter LFO and the pitch wheel.
  VoiceBlock block = oscillatorBlock(view);
  block.pwLfoCoef = pwLfoCoefficient(view, kRate);
  block.filter = filterBlock(view, 0.0, kRate).weights;
  std::vector<float> out(kBlock);

  for (auto _ : state) {
    for (int done = 0; done < kBlock; done += piece)
      renderVoices(held.data(), voices, block, out.data() + done, std::min(piece, kBlock - done));
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  setVoiceSampleCounters(state, voices);
}

BENCHMARK(renderPieces)
    ->ArgNames({"voices", "piece", "isa"})
    ->ArgsProduct({{1, 4, 32}, {256, 16, 4}, {2, 1, 0}})
    ->Unit(benchmark::kMicrosecond);

void modulationEffect(benchmark::State& state) {
  const auto isa = static_cast<InstructionSet>(state.range(0));
  if (useInstructions(isa) != isa) state.SkipWithError("instruction set not usable here");
  const Program program(kHeavyFilterEffect);
  const auto effect = std::make_unique<ModulationEffect>();  // too big for the stack
  std::vector<float> input(kBlock), left(kBlock), right(kBlock);
  for (int f = 0; f < kBlock; ++f)
    input[f] = 0.3f * std::sin(0.05f * f) + 0.1f * std::sin(0.31f * f);
  for (int i = 0; i < kSettleBlocks; ++i) {
    left = input;
    effect->process(program.view(), kRate, left.data(), right.data(), kBlock);
  }
  for (auto _ : state) {
    // The copy is part of the cost, as small as the engine's own mixing into the block.
    left = input;
    effect->process(program.view(), kRate, left.data(), right.data(), kBlock);
    benchmark::DoNotOptimize(right.data());
    benchmark::ClobberMemory();
  }
  setVoiceSampleCounters(state, 1);  // one "voice": ns per frame
}

BENCHMARK(modulationEffect)
    ->ArgNames({"isa"})
    ->Arg(2)
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kNanosecond);

}  // namespace
}  // namespace gw::bench

BENCHMARK_MAIN();
