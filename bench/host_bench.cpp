// Times a LinuxVST module (ours or a peer's) through our host library, exactly as a host
// runs it, in processor time: held notes, 256-frame blocks at 44.1 kHz, several rounds,
// the median round.
// Usage: gw_host_bench MODULE.so LABEL [--heavy] [ROUNDS]
// --heavy sets our module's heavy setting with filter and effect (only for our module: it
// addresses our parameter numbers); a peer plays its default patch.
// Prints one line per held-note count, "result LABEL NOTES ns_per_voice_sample
// realtime_factor" (a module may print on standard output too).
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/bench_scene.h"
#include "host/host_library.h"
#include "plugin/parameter_model.h"

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

// ns per held note and sample, median over the rounds; 0 when the module failed.
double measure(const gw::host::Module& module, bool heavy, int notes, int rounds) {
  std::string error;
  gw::host::HostOptions options;
  options.sampleRate = kRate;
  options.blockSize = kBlock;
  auto plugin = gw::host::Plugin::create(module, error, options);
  if (!plugin) {
    std::fprintf(stderr, "gw_host_bench: %s\n", error.c_str());
    return 0.0;
  }
  if (heavy)
    for (const SceneValue& v : sceneValues(kHeavyFilterEffect))
      plugin->setParameter(v.index, gw::toNormalised(v.index, v.value));
  std::vector<gw::host::Plugin::MidiEvent> on;
  for (int n = 0; n < notes; ++n) on.push_back({{0x90, heldNote(n), 100}, 0});
  plugin->sendMidi(on);
  std::vector<float> left(kBlock), right(kBlock);
  for (int b = 0; b < kSettleBlocks; ++b) plugin->process(left.data(), right.data(), kBlock);
  std::vector<double> perRound;
  for (int r = 0; r < rounds; ++r) {
    const double start = processSeconds();
    for (int b = 0; b < kBlocksPerRound; ++b) plugin->process(left.data(), right.data(), kBlock);
    const double took = processSeconds() - start;
    perRound.push_back(1e9 * took / (static_cast<double>(kBlocksPerRound) * kBlock * notes));
  }
  return medianOf(perRound);
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
    const double ns = measure(*module, heavy, notes, rounds);
    if (ns <= 0.0) return 1;
    std::printf("result %s %d %.3f %.2f\n", argv[2], notes, ns, 1e9 / (ns * notes * kRate));
    std::fflush(stdout);
  }
  return 0;
}
