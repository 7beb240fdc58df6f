// Both formats are thin adapters over one instrument, driven here through the real
// modules as hosts load them: the VST module playing a program and the LV2 instrument given
// the same values on its ports render the same notes sample for sample, and both play
// each note from its own frame of the block.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "host/host_library.h"
#include "lv2/lv2_ports.h"
#include "params/factory_bank.h"
#include "platform/module_loader.h"
#include "tests/lv2/lv2_host.h"

namespace {

constexpr float kRate = 44100.0f;

struct Event {
  int frame;  // from the start of the render
  std::uint8_t status, d1, d2;
};

struct Render {
  int program = 0;
  int block = 256;
  int frames = 256 * 120;
  std::vector<Event> events;
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
  plugin->dispatch(vst::effSetProgram, 0, r.program);
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

std::vector<float> renderLv2(const Render& r) {
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
    std::vector<float> controls(gw::factoryBank[r.program].values.begin(),
                                gw::factoryBank[r.program].values.end());
    for (int i = 0; i < gw::param::kCount; ++i) descriptor->connect_port(h, i, &controls[i]);
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
