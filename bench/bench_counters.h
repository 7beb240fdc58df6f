// The two figures every render benchmark reports for one 256-frame block per iteration.
#pragma once

#include <benchmark/benchmark.h>

#include "bench/bench_scene.h"

namespace gw::bench {

// ns per voice-sample and the real-time factor (seconds of audio per processor second).
// Google Benchmark prints the inverted rate with an "s" suffix; the figure is in ns.
inline void setVoiceSampleCounters(benchmark::State& state, int voices) {
  using benchmark::Counter;
  state.counters["ns_per_voice_sample"] =
      Counter(1e-9 * kBlock * voices, Counter::kIsIterationInvariantRate | Counter::kInvert);
  state.counters["realtime_factor"] =
      Counter(kBlock / static_cast<double>(kRate), Counter::kIsIterationInvariantRate);
}

}  // namespace gw::bench
