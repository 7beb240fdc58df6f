// Prints a digest of the engine's exact output for a set of scenes, one line per scene
// and encoding of the voice loop: different voice counts (notes starting on their own
// frames inside blocks, stealing, retiring, all sound off), block sizes, settings and
// effect delays. The digest covers both channels and whether the effect idled. Two builds render
// the same samples exactly when their outputs are the same text:
//   gw_render_digest > new.txt   (and the same with a build of the other revision)
//   diff old.txt new.txt
// Not a test: it proves sameness between revisions, which no single build can.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "bench/bench_scene.h"
#include "engine/voice_render.h"

namespace {

using namespace gw;
using namespace gw::bench;

// FNV-1a over the bit patterns, so that any changed bit (even a zero's sign) shows.
std::uint64_t digest(const std::vector<float>& samples, std::uint64_t h) {
  for (float x : samples) {
    std::uint32_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    for (int b = 0; b < 4; ++b) {
      h ^= (bits >> (8 * b)) & 0xFF;
      h *= 0x100000001B3ull;
    }
  }
  return h;
}

// Short segments on every envelope, so that segment ends fall inside blocks.
void makeBusy(Program& p) {
  auto set = [&](int index, float value) { p.values[index].store(value); };
  for (int e = 1; e <= 3; ++e) {
    set(param::envTimeA1(e), 0.0013f * e);
    set(param::envTimeA2(e), 0.0021f);
    set(param::envTimeR1(e), 0.003f);
    set(param::envTimeR2(e), 0.01f);
  }
  set(param::kAttack, 0.0031f);
  set(param::kDecay, 0.0047f);
  set(param::kRelease, 0.0123f);
  set(param::kPwEnvAttack, 0.002f);
  set(param::kPwEnvDecay, 0.005f);
  set(param::kFilterEnvAttack, 0.0017f);
  set(param::kFilterEnvDecay, 0.0077f);
}

struct Scene {
  const char* name;
  Setting setting;
  bool busy;
  float effectDelay;  // ms; < 0 keeps the setting's
  bool allSoundOff;   // controller 120 in the second round
};

// Chords of `notes` notes in rounds, half released each round, at odd frames, in blocks
// of `block` frames.
std::uint64_t play(const Scene& scene, int notes, int block) {
  Program program(scene.setting);
  if (scene.busy) makeBusy(program);
  if (scene.effectDelay >= 0.0f) {
    program.values[param::kModulationOnOff].store(1.0f);
    program.values[param::kModulationDelay].store(scene.effectDelay);
    program.values[param::kModulationFeedback].store(-60.0f);
  }
  auto engine = std::make_unique<SynthEngine>();
  std::vector<float> left, right;
  std::uint64_t h = 0xCBF29CE484222325ull;
  auto take = [&](int frames) {
    for (int done = 0; done < frames; done += block) {
      const int n = std::min(block, frames - done);
      left.resize(n);
      right.resize(n);
      engine->renderBlock(program.view(), kRate, left.data(), right.data(), n);
      h = digest(left, h);
      h = digest(right, h);
    }
  };
  for (int round = 0; round < 3; ++round) {
    for (int v = 0; v < notes; ++v) {
      const std::uint8_t on[3] = {0x90, static_cast<std::uint8_t>(24 + (v * 37 + round * 5) % 80),
                                  static_cast<std::uint8_t>(20 + v * 2)};
      engine->midiMessage(on, 3);
    }
    take(1500 + 37 * round);
    for (int v = 0; v < notes; v += 2) {
      const std::uint8_t off[3] = {0x80, static_cast<std::uint8_t>(24 + (v * 37 + round * 5) % 80),
                                   0};
      engine->midiMessage(off, 3);
    }
    take(900);
  }
  return h;
}

}  // namespace

int main() {
  const Scene scenes[] = {
      {"defaults", kDefaults, false, -1.0f, false},
      {"heavy", kHeavy, false, -1.0f, false},
      {"heavy-filter-effect", kHeavyFilterEffect, false, -1.0f, false},
      {"busy-filter-effect", kHeavyFilterEffect, true, -1.0f, false},
      {"busy-effect-0ms", kHeavyFilterEffect, true, 0.0f, false},
      {"busy-effect-0.1ms", kHeavyFilterEffect, true, 0.1f, false},
      {"busy-effect-3ms", kHeavyFilterEffect, true, 3.0f, false},
      {"busy-effect-all-sound-off", kHeavyFilterEffect, true, 3.0f, true},
  };
  const InstructionSet sets[] = {InstructionSet::kSse2, InstructionSet::kAvx,
                                 InstructionSet::kAvx2Fma};
  const char* setNames[] = {"sse2", "avx", "avx2fma"};
  for (int k = 0; k < 3; ++k) {
    if (useInstructions(sets[k]) != sets[k]) continue;
    for (const Scene& scene : scenes)
      for (int notes : {1, 2, 3, 4, 5, 7, 8, 9, 13, 16, 32, 40})
        for (int block : {1, 7, 64, 256, 1000})
          std::printf("%s %s notes=%d block=%d %016llx\n", setNames[k], scene.name, notes, block,
                      static_cast<unsigned long long>(play(scene, notes, block)));
  }
  return 0;
}
