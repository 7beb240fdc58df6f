// Whatever values a host sets and whatever MIDI arrives, the engine's output stays finite:
// every corner of the riskiest parameters, then thousands of random programs with random
// MIDI, sample rates and block sizes.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "engine/synth_engine.h"
#include "params/parameter_model.h"
#include "tests/safety/random_program.h"

namespace gw::test {
namespace {

// Sanitized builds run a sample of the cases: they look for memory and undefined-
// behaviour faults, which show on a few hundred programs as well as on thousands.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr int kSampleEvery = 4;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr int kSampleEvery = 4;
#else
constexpr int kSampleEvery = 1;
#endif
#else
constexpr int kSampleEvery = 1;
#endif

class Program {
 public:
  void load(const Normalised& normalised) {
    for (int i = 0; i < param::kCount; ++i) values_[i].store(toInternal(i, normalised[i]));
  }
  ParamView view() const { return ParamView(values_.data()); }

 private:
  std::array<ParamValue, param::kCount> values_{};
};

struct Outcome {
  bool finite = true;
  float peak = 0.0f;
};

// Renders frames in blocks of `block`, accumulating finiteness and the peak.
void render(SynthEngine& engine, const Program& program, float rate, int frames, int block,
            Outcome& outcome) {
  std::vector<float> left(block), right(block);
  for (int done = 0; done < frames; done += block) {
    const int n = std::min(block, frames - done);
    engine.renderBlock(program.view(), rate, left.data(), right.data(), n);
    for (int i = 0; i < n; ++i) {
      if (!std::isfinite(left[i]) || !std::isfinite(right[i])) outcome.finite = false;
      outcome.peak = std::max({outcome.peak, std::fabs(left[i]), std::fabs(right[i])});
    }
  }
}

void send(SynthEngine& engine, std::uint8_t a, std::uint8_t b, std::uint8_t c) {
  const std::uint8_t bytes[3] = {a, b, c};
  engine.midiMessage(bytes, 3);
}

std::string describe(const Normalised& values) {
  std::string text;
  for (int i = 0; i < param::kCount; ++i)
    text += std::to_string(i) + "=" + std::to_string(values[i]) + " ";
  return text;
}

// 4096 corners: every riskiest parameter at its minimum or maximum, on a harsh base, with
// the lowest and highest notes at the softest and hardest velocities, the wheel bent up.
TEST(OutputSafety, EveryCornerOfTheRiskiestParametersStaysFinite) {
  auto engine = std::make_unique<SynthEngine>();
  Program program;
  int failures = 0;
  for (unsigned corner = 0; corner < (1u << kRiskyParameters.size()); corner += kSampleEvery) {
    Normalised values = harshProgram();
    for (std::size_t b = 0; b < kRiskyParameters.size(); ++b)
      values[kRiskyParameters[b]] = (corner >> b) & 1u ? 1.0f : 0.0f;
    program.load(values);
    send(*engine, 0xE0, 127, 127);
    send(*engine, 0x90, 0, 1);
    send(*engine, 0x90, 127, 127);
    send(*engine, 0x90, 60, 64);
    Outcome outcome;
    render(*engine, program, 44100.0f, 2048, 512, outcome);
    send(*engine, 0xB0, 123, 0);
    render(*engine, program, 44100.0f, 512, 512, outcome);
    if (!outcome.finite && ++failures <= 3)
      ADD_FAILURE() << "corner " << corner << ": " << describe(values);
    // Voices and the effect's line carry nothing from one corner into the next.
    engine = std::make_unique<SynthEngine>();
  }
  EXPECT_EQ(failures, 0);
}

TEST(OutputSafety, RandomProgramsWithRandomMidiStayFinite) {
  constexpr float kRates[] = {8000.0f, 22050.0f, 44100.0f, 48000.0f, 96000.0f, 192000.0f};
  constexpr int kBlocks[] = {1, 17, 64, 256, 512};
  std::mt19937 rng(20261207);
  auto engine = std::make_unique<SynthEngine>();
  Program program;
  int failures = 0;
  float loudest = 0.0f;
  for (int trial = 0; trial < 2000 / kSampleEvery; ++trial) {
    const Normalised values = randomProgram(rng, 0.3);
    program.load(values);
    const float rate = kRates[rng() % std::size(kRates)];
    const int block = kBlocks[rng() % std::size(kBlocks)];
    Outcome outcome;
    for (int burst = 0; burst < 2; ++burst) {
      const int messages = static_cast<int>(rng() % 40);
      for (int m = 0; m < messages; ++m) {
        const auto bytes = randomMidi(rng);
        engine->midiMessage(bytes.data(), static_cast<int>(bytes.size()));
      }
      render(*engine, program, rate, 512, block, outcome);
    }
    loudest = std::max(loudest, outcome.peak);
    if (!outcome.finite && ++failures <= 3)
      ADD_FAILURE() << "trial " << trial << " at " << rate << " Hz: " << describe(values);
    // Fresh state now and then, so that both long-lived and new engines are covered.
    if (trial % 20 == 19) engine = std::make_unique<SynthEngine>();
  }
  EXPECT_EQ(failures, 0);
  RecordProperty("loudest_peak", std::to_string(loudest));
}

}  // namespace
}  // namespace gw::test
