// Times a LinuxVST module (ours or a peer's) through our host library, exactly as a host
// runs it, in processor time: held notes, 256-frame blocks at 44.1 kHz, several rounds,
// the median round.
// Usage: gw_host_bench MODULE.so LABEL [--heavy] [ROUNDS]
// --heavy sets our module's heavy setting with filter and effect (only for our module: it
// addresses our parameter numbers); a peer plays its default patch.
// Prints one line per held-note count, "result LABEL NOTES ns_per_voice_sample
// realtime_factor worst_block_percent" (the slowest block as a percentage of its real-time
// budget; a module may print on standard output too).
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

Measured measure(const gw::host::Module& module, bool heavy, int notes, int rounds) {
  std::string error;
  gw::host::HostOptions options;
  options.sampleRate = kRate;
  options.blockSize = kBlock;
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
  std::vector<float> left(kBlock), right(kBlock);
  Measured m;
  auto timedBlock = [&] {
    const double start = processSeconds();
    plugin->process(left.data(), right.data(), kBlock);
    const double took = processSeconds() - start;
    m.worstBlock = std::max(m.worstBlock, took);
    return took;
  };
  // The attacks, with their segment changes, are part of the worst case.
  for (int b = 0; b < kSettleBlocks; ++b) timedBlock();
  std::vector<double> perRound;
  for (int r = 0; r < rounds; ++r) {
    double took = 0.0;
    for (int b = 0; b < kBlocksPerRound; ++b) took += timedBlock();
    perRound.push_back(1e9 * took / (static_cast<double>(kBlocksPerRound) * kBlock * notes));
  }
  m.ns = medianOf(perRound);
  return m;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: gw_host_bench MODULE.so LABEL [--heavy] [ROUNDS]\n");
    return 2;
  }
  bool heavy = false;
  int rounds = 7;
  for (int i = 3; i < argc; ++i) {
    if (std::strcmp(argv[i], "--heavy") == 0)
      heavy = true;
    else
      rounds = std::max(1, std::atoi(argv[i]));
  }
  std::string error;
  const auto module = gw::host::Module::load(argv[1], error);
  if (!module) {
    std::fprintf(stderr, "gw_host_bench: cannot load %s: %s\n", argv[1], error.c_str());
    return 1;
  }
  for (int notes : {1, 8, 32}) {
    const Measured m = measure(*module, heavy, notes, rounds);
    if (m.ns <= 0.0) return 1;
    const double budget = kBlock / static_cast<double>(kRate);
    std::printf("result %s %d %.3f %.2f %.2f\n", argv[2], notes, m.ns, 1e9 / (m.ns * notes * kRate),
                100.0 * m.worstBlock / budget);
    std::fflush(stdout);
  }
  return 0;
}
