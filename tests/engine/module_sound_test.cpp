// The engine heard through the real module, driven by our host library as a host would.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "audio_measure.h"
#include "host/host_library.h"

namespace gw {
namespace {

const host::Module& module() {
  static std::unique_ptr<host::Module> loaded = [] {
    std::string error;
    auto m = host::Module::load(GW_MODULE_PATH, error);
    if (!m) ADD_FAILURE() << error;
    return m;
  }();
  return *loaded;
}

std::unique_ptr<host::Plugin> open(float sampleRate) {
  host::HostOptions options;
  options.sampleRate = sampleRate;
  std::string error;
  auto plugin = host::Plugin::create(module(), error, options);
  EXPECT_NE(plugin, nullptr) << error;
  return plugin;
}

struct Stereo {
  std::vector<float> left, right;
};

Stereo play(host::Plugin& plugin, int frames) {
  Stereo out{std::vector<float>(frames), std::vector<float>(frames)};
  for (int start = 0; start < frames; start += 512) {
    plugin.process(out.left.data() + start, out.right.data() + start,
                   std::min(512, frames - start));
  }
  return out;
}

class ModuleSound : public ::testing::TestWithParam<float> {};

TEST_P(ModuleSound, NoteSixtyNineIsA440HzSineThatReleases) {
  const float sr = GetParam();
  auto plugin = open(sr);
  ASSERT_NE(plugin, nullptr);
  plugin->sendMidi({{{0x90, 69, 127}}});
  const int second = static_cast<int>(sr);
  const auto out = play(*plugin, second * 3 / 2);
  // The "Defaults" program: one harmonic, 0.5 s attack and decay, sustain 0.7.
  EXPECT_NEAR(test::zeroCrossingFrequency(out.left, sr, second / 2, second * 3 / 2), 440.0, 0.02);
  EXPECT_NEAR(test::peak(out.left, second, second * 3 / 2), 0.7f, 0.002f);
  EXPECT_LT(test::toneAmplitude(out.left, sr, 880.0, second, second * 3 / 2), 1e-4);
  EXPECT_EQ(out.left, out.right);

  plugin->sendMidi({{{0x80, 69, 0}}});
  const auto tail = play(*plugin, second);
  EXPECT_GT(test::peak(tail.left, 0, second / 10), 0.1f);
  EXPECT_EQ(test::peak(tail.left, second * 6 / 10, second), 0.0f);
}

INSTANTIATE_TEST_SUITE_P(Rates, ModuleSound, ::testing::Values(44100.0f, 96000.0f));

TEST(ModuleSound, PitchWheelBendsByItsRangeAndControllerOneTwentyThreeReleases) {
  auto plugin = open(44100.0f);
  ASSERT_NE(plugin, nullptr);
  plugin->setParameter(154, 1.0f);  // "Pitch Wheel Range" to 12 semitones
  plugin->sendMidi({{{0xE0, 0x7F, 0x7F}}, {{0x91, 69, 127}}});
  auto out = play(*plugin, 44100);
  EXPECT_NEAR(test::zeroCrossingFrequency(out.left, 44100.0, 30000, 44100), 880.0, 0.05);
  plugin->sendMidi({{{0xB0, 123, 0}}});
  play(*plugin, 44100);
  out = play(*plugin, 4096);
  EXPECT_EQ(test::peak(out.left, 0, 4096), 0.0f);
}

}  // namespace
}  // namespace gw
