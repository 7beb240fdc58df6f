// The same property through glimmerwick.so as a host drives it: normalised values through
// setParameter, MIDI through processEvents, audio through processReplacing; and a host
// that sends values no parameter can hold must not leave the instrument broken.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "host/host_library.h"
#include "plugin/vst/aeffect.h"
#include "tests/safety/module_instance.h"
#include "tests/safety/random_program.h"

namespace gw::test {
namespace {

// Renders `blocks` blocks; false at the first sample that is not finite.
bool renderFinite(host::Plugin& plugin, int blocks, int frames) {
  std::vector<float> left(frames), right(frames);
  for (int b = 0; b < blocks; ++b) {
    plugin.process(left.data(), right.data(), frames);
    for (int i = 0; i < frames; ++i)
      if (!std::isfinite(left[i]) || !std::isfinite(right[i])) return false;
  }
  return true;
}

std::vector<host::Plugin::MidiEvent> randomEvents(std::mt19937& rng, int count) {
  std::vector<host::Plugin::MidiEvent> events;
  for (int i = 0; i < count; ++i) {
    const auto bytes = randomMidi(rng);
    host::Plugin::MidiEvent event{};
    std::copy(bytes.begin(), bytes.end(), event.bytes);
    event.deltaFrames = static_cast<std::int32_t>(rng() % 512);
    events.push_back(event);
  }
  return events;
}

TEST(ModuleOutputSafety, RandomAutomationAndMidiThroughTheModuleStayFinite) {
  std::mt19937 rng(7);
  for (const float rate : {44100.0f, 96000.0f}) {
    auto plugin = createPlugin(rate);
    ASSERT_TRUE(plugin);
    for (int trial = 0; trial < 100; ++trial) {
      plugin->dispatch(vst::effSetProgram, 0, static_cast<vst::IntPtr>(rng() % 32));
      const Normalised values = randomProgram(rng, 0.3);
      for (int i = 0; i < param::kCount; ++i) plugin->setParameter(i, values[i]);
      plugin->sendMidi(randomEvents(rng, static_cast<int>(rng() % 70)));
      ASSERT_TRUE(renderFinite(*plugin, 4, 512)) << "trial " << trial << " at " << rate << " Hz";
    }
  }
}

// NaN or infinity from a host must not reach a voice or the effect's line, where it would
// stay for good: NaN is refused, infinities end at the range's ends.
TEST(ModuleOutputSafety, NonFiniteValuesFromAHostLeaveTheProgramPlayable) {
  auto plugin = createPlugin(44100.0f);
  ASSERT_TRUE(plugin);
  plugin->setParameter(param::kModulationOnOff, 1.0f);
  plugin->setParameter(param::kFilterCutoff, 0.25f);
  const float before = plugin->getParameter(param::kFilterCutoff);
  for (int i = 0; i < param::kCount; ++i)
    plugin->setParameter(i, std::numeric_limits<float>::quiet_NaN());
  EXPECT_FLOAT_EQ(plugin->getParameter(param::kFilterCutoff), before);
  for (const float value :
       {std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity()}) {
    for (int i = 0; i < param::kCount; ++i) plugin->setParameter(i, value);
    for (int i = 0; i < param::kCount; ++i) {
      const float normalised = plugin->getParameter(i);
      EXPECT_TRUE(normalised >= 0.0f && normalised <= 1.0f) << i << ": " << normalised;
    }
    plugin->setParameter(param::kModulationOnOff, 1.0f);
    plugin->sendMidi({{{0x90, 60, 100}}, {{0x90, 67, 100}}});
    EXPECT_TRUE(renderFinite(*plugin, 40, 512)) << value;
  }
}

// Hosts hand over lists longer than the two slots the event record declares; every
// entry must be read, and reading them must stay within defined behaviour.
TEST(ModuleHostBoundary, EveryEventOfALongListIsRead) {
  auto plugin = createPlugin(44100.0f);
  ASSERT_TRUE(plugin);
  // An instant, unfiltered sine at full volume.
  plugin->setParameter(param::kAttack, 0.0f);
  plugin->setParameter(param::kVolume, 1.0f);
  plugin->setParameter(param::level(1), 1.0f);
  plugin->setParameter(param::kFilterType, 0.0f);
  plugin->setParameter(param::kFilterLfoTypeAmount, 0.0f);
  plugin->sendMidi({{{0xB0, 1, 0}}, {{0xB0, 1, 0}}, {{0xB0, 1, 0}}, {{0x90, 69, 127}}});
  std::vector<float> left(4096), right(4096);
  plugin->process(left.data(), right.data(), 4096);
  float peak = 0.0f;
  for (const float x : left) peak = std::max(peak, std::fabs(x));
  EXPECT_GT(peak, 0.01f) << "the fourth event, a note-on, was not heard";
}

// Key opcodes carry the modifiers as a float; any float, NaN included, is answered.
TEST(ModuleHostBoundary, KeyOpcodesTakeAnyModifierFloat) {
  auto plugin = createPlugin(44100.0f);
  ASSERT_TRUE(plugin);
  for (const float modifiers : {1e38f, -1.0f, 256.0f, std::numeric_limits<float>::quiet_NaN()}) {
    EXPECT_EQ(plugin->dispatch(vst::effEditKeyDown, 'a', 0, nullptr, modifiers), 0);
    EXPECT_EQ(plugin->dispatch(vst::effEditKeyUp, 'a', 0, nullptr, modifiers), 0);
  }
}

}  // namespace
}  // namespace gw::test
