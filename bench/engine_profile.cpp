// A fixed amount of rendering for instruction counts: the heavy setting with filter and
// effect, held notes settled into their sustain, then a number of 256-frame blocks.
// Usage: gw_profile [fma|avx|sse2] [voices] [blocks]
// Under callgrind, count only the measured blocks:
//   valgrind --tool=callgrind --toggle-collect=gw_profile_blocks gw_profile fma 32 200
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bench/bench_scene.h"
#include "engine/voice_render.h"

// Not inlined and with a plain name, so that callgrind can be told to count it alone.
extern "C" __attribute__((noinline)) void gw_profile_blocks(gw::SynthEngine& engine,
                                                            const gw::bench::Program& program,
                                                            int blocks, float* left, float* right) {
  for (int b = 0; b < blocks; ++b)
    engine.renderBlock(program.view(), gw::bench::kRate, left, right, gw::bench::kBlock);
}

int main(int argc, char** argv) {
  using namespace gw::bench;
  const char* name = argc > 1 ? argv[1] : "fma";
  const gw::InstructionSet isa = std::strcmp(name, "sse2") == 0  ? gw::InstructionSet::kSse2
                                 : std::strcmp(name, "avx") == 0 ? gw::InstructionSet::kAvx
                                                                 : gw::InstructionSet::kAvx2Fma;
  const int voices = argc > 2 ? std::atoi(argv[2]) : 32;
  const int blocks = argc > 3 ? std::atoi(argv[3]) : 200;
  if (voices < 0 || voices > gw::SynthEngine::kMaxVoices || blocks < 1) {
    std::fprintf(stderr, "usage: gw_profile [fma|avx|sse2] [voices 0..32] [blocks >= 1]\n");
    return 2;
  }
  if (gw::useInstructions(isa) != isa) {
    std::fprintf(stderr, "gw_profile: %s is not usable on this processor\n", name);
    return 1;
  }
  const Program program(kHeavyFilterEffect);
  auto engine = settledEngine(program, voices);
  std::vector<float> left(kBlock), right(kBlock);
  gw_profile_blocks(*engine, program, blocks, left.data(), right.data());
  std::printf("%s voices=%d blocks=%d samples=%d\n", name, voices, blocks, blocks * kBlock);
  return 0;
}
