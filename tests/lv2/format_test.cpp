// Both formats are thin adapters over one instrument, driven here through the real
// modules as hosts load them: the VST module playing a program and the LV2 instrument given
// the same values on its ports render the same notes sample for sample, and both play
// each note from its own frame of the block.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "host/host_library.h"
#include "lv2/lv2_ports.h"
#include "params/factory_bank.h"
#include "params/parameter_model.h"
#include "platform/module_loader.h"
#include "tests/lv2/lv2_host.h"

namespace {

constexpr float kRate = 44100.0f;

struct Event {
  int frame;  // from the start of the render
  std::uint8_t status, d1, d2;
};

struct Render {
  int program = 0;  // -1: the VST module left on its first program, the LV2 ports as given
  int block = 256;
  int frames = 256 * 120;
  std::vector<Event> events;
  // Values set after the instance is made, in the parameters' own units: the VST module
  // takes them normalised through setParameter, the LV2 instrument on their ports.
  std::vector<std::pair<int, float>> values;
};

// Both channels, interleaved by block: left block, right block, ...
std::vector<float> renderVst(const Render& r) {
  std::string error;
  auto module = gw::host::Module::load(GW_MODULE_PATH, error);
  EXPECT_NE(module, nullptr) << error;
  if (module == nullptr) return {};
  gw::host::HostOptions options;
  options.sampleRate = kRate;
  options.blockSize = r.block;
  auto plugin = gw::host::Plugin::create(*module, error, options);
  EXPECT_NE(plugin, nullptr) << error;
  if (plugin == nullptr) return {};
  if (r.program >= 0) plugin->dispatch(vst::effSetProgram, 0, r.program);
  for (auto [index, value] : r.values) plugin->setParameter(index, gw::toNormalised(index, value));
  std::vector<float> out, left(r.block), right(r.block);
  std::size_t next = 0;
  for (int start = 0; start < r.frames; start += r.block) {
    std::vector<gw::host::Plugin::MidiEvent> events;
    for (; next < r.events.size() && r.events[next].frame < start + r.block; ++next) {
      const Event& e = r.events[next];
      events.push_back({{e.status, e.d1, e.d2}, e.frame - start});
    }
    if (!events.empty()) plugin->sendMidi(events);
    plugin->process(left.data(), right.data(), r.block);
    out.insert(out.end(), left.begin(), left.end());
    out.insert(out.end(), right.begin(), right.end());
  }
  return out;
}

// controls: the control ports' values; null leaves them unconnected.
std::vector<float> renderLv2(const Render& r, const std::vector<float>* controls) {
  std::string error;
  gw::platform::ModuleHandle module = gw::platform::loadModule(GW_LV2_MODULE, error);
  EXPECT_NE(module, nullptr) << error;
  if (module == nullptr) return {};
  auto entry = reinterpret_cast<const LV2_Descriptor* (*)(std::uint32_t)>(
      gw::platform::findModuleSymbol(module, "lv2_descriptor"));
  const LV2_Descriptor* descriptor = entry != nullptr ? entry(0) : nullptr;
  gw::test::UridMap urids;
  const LV2_Feature* features[] = {urids.feature(), nullptr};
  LV2_Handle h =
      descriptor != nullptr ? descriptor->instantiate(descriptor, kRate, "", features) : nullptr;
  EXPECT_NE(h, nullptr);
  std::vector<float> out;
  if (h != nullptr) {
    std::vector<float> ports(gw::param::kCount);
    if (controls != nullptr) ports = *controls;
    for (std::size_t i = 0; i < ports.size() && controls != nullptr; ++i)
      descriptor->connect_port(h, static_cast<std::uint32_t>(i), &ports[i]);
    for (auto [index, value] : r.values) {
      ports[index] = value;
      descriptor->connect_port(h, static_cast<std::uint32_t>(index), &ports[index]);
    }
    gw::test::MidiSequence midi(urids.get());
    std::vector<float> left(r.block), right(r.block);
    descriptor->connect_port(h, gw::lv2::kMidiInPort, midi.seq());
    descriptor->connect_port(h, gw::lv2::kOutLeftPort, left.data());
    descriptor->connect_port(h, gw::lv2::kOutRightPort, right.data());
    descriptor->activate(h);
    std::size_t next = 0;
    for (int start = 0; start < r.frames; start += r.block) {
      midi.clear();
      for (; next < r.events.size() && r.events[next].frame < start + r.block; ++next) {
        const Event& e = r.events[next];
        midi.add(e.frame - start, e.status, e.d1, e.d2);
      }
      descriptor->run(h, r.block);
      out.insert(out.end(), left.begin(), left.end());
      out.insert(out.end(), right.begin(), right.end());
    }
    descriptor->cleanup(h);
  }
  gw::platform::unloadModule(module);
  return out;
}

std::vector<float> renderLv2(const Render& r) {
  const std::vector<float> controls(gw::factoryBank[r.program].values.begin(),
                                    gw::factoryBank[r.program].values.end());
  return renderLv2(r, &controls);
}

// The control ports' lv2:default values, read from the bundle's Turtle as a host that
// adds the plug-in without a preset sets them; empty when a port has none.
std::vector<float> turtleDefaults() {
  std::ifstream in(GW_LV2_PLUGIN_TURTLE);
  std::vector<float> defaults(gw::param::kCount, std::nanf(""));
  int index = -1;
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    std::string word;
    words >> word;
    if (word == "lv2:index") {
      words >> index;
    } else if (word == "lv2:default" && index >= 0 && index < gw::param::kCount) {
      words >> defaults[index];
    }
  }
  for (float v : defaults) {
    if (std::isnan(v)) return {};
  }
  return defaults;
}

// The first sample at which two renders differ; their size when they never do.
std::size_t firstDifference(const std::vector<float>& a, const std::vector<float>& b) {
  const auto [ia, ib] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
  return static_cast<std::size_t>(ia - a.begin());
}

TEST(FormatParity, TheSameValuesRenderTheSameSamplesThroughBothModules) {
  // A plain sine, pads with the modulation effect, a struck sound, and one that carries
  // values in reserved rows; a chord, its release at a frame inside a block, the tail.
  for (int program : {0, 1, 7, 17, 30}) {
    Render r;
    r.program = program;
    for (std::uint8_t note : {60, 64, 67}) {
      r.events.push_back({37, 0x90, note, static_cast<std::uint8_t>(60 + note)});
      r.events.push_back({80 * 256 + 101, 0x80, note, 0});
    }
    const std::vector<float> vst = renderVst(r);
    const std::vector<float> lv2 = renderLv2(r);
    ASSERT_EQ(vst.size(), lv2.size()) << program;
    ASSERT_FALSE(vst.empty());
    std::size_t firstDifference = vst.size();
    float loudest = 0.0f;
    for (std::size_t i = 0; i < vst.size(); ++i) {
      if (vst[i] != lv2[i] && firstDifference == vst.size()) firstDifference = i;
      loudest = std::max(loudest, std::abs(vst[i]));
    }
    EXPECT_EQ(firstDifference, vst.size()) << gw::factoryBank[program].name;
    EXPECT_GT(loudest, 0.01f) << gw::factoryBank[program].name;
  }
}

// A host that adds either plug-in and loads no preset: the VST module on its first
// program, the LV2 ports at their lv2:default values (or, a host that connects none but
// the two it changes, the instrument's own first values). A user then gives harmonic 3 a
// level on envelope 1, whose second release stage holds ("Inf") in "Defaults": its
// release after the chord's note-off is the same in both.
TEST(FormatParity, FreshInstancesWithNoPresetRenderTheSameSamples) {
  const std::vector<float> defaults = turtleDefaults();
  ASSERT_EQ(defaults.size(), static_cast<std::size_t>(gw::param::kCount))
      << "no lv2:default for every control port in " << GW_LV2_PLUGIN_TURTLE;
  Render r;
  r.program = -1;
  r.values = {{gw::param::level(3), 0.6f}, {gw::param::envSelect(3), 1.0f}};
  for (std::uint8_t note : {57, 64, 69}) {
    r.events.push_back({37, 0x90, note, 100});
    r.events.push_back({60 * 256 + 101, 0x80, note, 0});
  }
  const std::vector<float> vst = renderVst(r);
  const std::vector<float> lv2 = renderLv2(r, &defaults);
  const std::vector<float> unconnected = renderLv2(r, nullptr);
  ASSERT_EQ(vst.size(), lv2.size());
  EXPECT_EQ(firstDifference(vst, lv2), vst.size()) << "ports at their lv2:default values";
  EXPECT_EQ(firstDifference(vst, unconnected), vst.size()) << "control ports unconnected";
}

// The left channel's first sample that is not silent, counted in frames of the render; a
// voice's first sample is its sine at phase 0, so a note at frame k is first heard at k+1.
int firstSound(const std::vector<float>& interleaved, int block) {
  for (std::size_t i = 0; i < interleaved.size(); ++i) {
    const int b = static_cast<int>(i) / (2 * block);
    const int within = static_cast<int>(i) % (2 * block);
    if (within < block && interleaved[i] != 0.0f) return b * block + within;
  }
  return -1;
}

TEST(FormatTiming, ANoteSoundsFromItsOwnFrameThroughBothModules) {
  for (int block : {64, 256, 1024}) {
    for (int k : {0, 1, 100, block - 1}) {
      Render r;
      r.block = block;
      r.frames = 4 * block;
      r.events.push_back({2 * block + k, 0x90, 69, 100});
      EXPECT_EQ(firstSound(renderVst(r), block), 2 * block + k + 1)
          << "VST, block " << block << ", frame " << k;
      EXPECT_EQ(firstSound(renderLv2(r), block), 2 * block + k + 1)
          << "LV2, block " << block << ", frame " << k;
    }
  }
}

}  // namespace
