// Times a LinuxVST module (ours or a peer's) through our host library, exactly as a host
// runs it, in processor time: held notes, 256-frame blocks at 44.1 kHz, several rounds,
// the median round.
// Usage: gw_host_bench MODULE.so LABEL [--heavy] [--instances N --notes M] [ROUNDS]
// --heavy sets our module's heavy setting with filter and effect (only for our module: it
// addresses our parameter numbers); a peer plays its default patch. Without --instances
// one instance plays 1, 8 and 32 held notes in turn; with it, N instances in the process
// each hold M notes and every block runs all of them, as a song's tracks do.
// Prints one line per measurement, "result LABEL INSTANCES NOTES ns_per_voice_sample
// realtime_factor worst_block_percent" (NOTES per instance; ns per held note and sample
// over all instances; the slowest block of all instances together as a percentage of its
// real-time budget; a module may print on standard output too).
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_scene.h"
#include "host/host_library.h"
#include "params/parameter_model.h"

namespace {

using namespace gw::bench;

constexpr int kBlocksPerRound = 200;

// Processor time of the whole process (a module may render on threads of its own), the
// clock Google Benchmark's CPU figures use; wall time would count the other programs
// sharing the core.
double processSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

double medianOf(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

struct Measured {
  double ns = 0.0;          // per held note and sample, median over the rounds; 0: failed
  double worstBlock = 0.0;  // the slowest block from the note-ons on, in seconds
};

Measured measure(const gw::host::Module& module, bool heavy, int instances, int notes, int rounds) {
  std::string error;
  gw::host::HostOptions options;
  options.sampleRate = kRate;
  options.blockSize = kBlock;
  std::vector<std::unique_ptr<gw::host::Plugin>> plugins;
  for (int k = 0; k < instances; ++k) {
    auto plugin = gw::host::Plugin::create(module, error, options);
    if (!plugin) {
      std::fprintf(stderr, "gw_host_bench: %s\n", error.c_str());
      return {};
    }
    if (heavy)
      for (const SceneValue& v : sceneValues(kHeavyFilterEffect))
        plugin->setParameter(v.index, gw::toNormalised(v.index, v.value));
    std::vector<gw::host::Plugin::MidiEvent> on;
    for (int n = 0; n < notes; ++n) on.push_back({{0x90, heldNote(n), 100}, 0});
    plugin->sendMidi(on);
    plugins.push_back(std::move(plugin));
  }
  // One buffer pair per instance, as a host gives each track its own.
  std::vector<std::vector<float>> buffers(2 * instances, std::vector<float>(kBlock));
  Measured m;
  auto timedBlock = [&] {
    const double start = processSeconds();
    for (int k = 0; k < instances; ++k)
      plugins[k]->process(buffers[2 * k].data(), buffers[2 * k + 1].data(), kBlock);
    const double took = processSeconds() - start;
    m.worstBlock = std::max(m.worstBlock, took);
    return took;
  };
  // The attacks, with their segment changes, are part of the worst case.
  for (int b = 0; b < kSettleBlocks; ++b) timedBlock();
  const double voiceSamples = static_cast<double>(kBlocksPerRound) * kBlock * notes * instances;
  std::vector<double> perRound;
  for (int r = 0; r < rounds; ++r) {
    double took = 0.0;
    for (int b = 0; b < kBlocksPerRound; ++b) took += timedBlock();
    perRound.push_back(1e9 * took / voiceSamples);
  }
  m.ns = medianOf(perRound);
  return m;
}

int positive(const char* text) {
  return std::max(1, std::atoi(text));
}

}  // namespace

int main(int argc, char** argv) {
  const char* usage =
      "usage: gw_host_bench MODULE.so LABEL [--heavy] [--instances N --notes M] [ROUNDS]\n";
  if (argc < 3) {
    std::fputs(usage, stderr);
    return 2;
  }
  bool heavy = false;
  int rounds = 7;
  int instances = 0;  // 0: one instance at each note count in turn
  int notesEach = 1;
  for (int i = 3; i < argc; ++i) {
    const bool hasValue = i + 1 < argc;
    if (std::strcmp(argv[i], "--heavy") == 0) {
      heavy = true;
    } else if (std::strcmp(argv[i], "--instances") == 0 && hasValue) {
      instances = positive(argv[++i]);
    } else if (std::strcmp(argv[i], "--notes") == 0 && hasValue) {
      notesEach = positive(argv[++i]);
    } else if (argv[i][0] == '-') {
      std::fputs(usage, stderr);
      return 2;
    } else {
      rounds = positive(argv[i]);
    }
  }
  std::string error;
  const auto module = gw::host::Module::load(argv[1], error);
  if (!module) {
    std::fprintf(stderr, "gw_host_bench: cannot load %s: %s\n", argv[1], error.c_str());
    return 1;
  }
  std::vector<std::pair<int, int>> runs;  // (instances, notes each)
  if (instances > 0)
    runs.push_back({instances, notesEach});
  else
    for (int notes : {1, 8, 32}) runs.push_back({1, notes});
  const double budget = kBlock / static_cast<double>(kRate);
  for (const auto& [count, notes] : runs) {
    const Measured m = measure(*module, heavy, count, notes, rounds);
    if (m.ns <= 0.0) return 1;
    std::printf("result %s %d %d %.3f %.2f %.2f\n", argv[2], count, notes, m.ns,
                1e9 / (m.ns * notes * count * kRate), 100.0 * m.worstBlock / budget);
    std::fflush(stdout);
  }
  return 0;
}
