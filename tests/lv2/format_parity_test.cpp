// Both formats are thin adapters over one instrument: the VST module playing a program and
// the LV2 instrument given the same values on its ports render the same notes sample for
// sample, through the real modules as hosts load them.
#include <gtest/gtest.h>

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
constexpr int kBlock = 256;
constexpr int kBlocks = 120;  // 0.7 s: notes, a release, the effect's tail
constexpr int kReleaseBlock = 80;

struct Note {
  std::uint8_t status, note, velocity;
};
const Note kChord[] = {{0x90, 60, 100}, {0x90, 64, 80}, {0x90, 67, 127}};

std::vector<float> renderVst(int program) {
  std::string error;
  auto module = gw::host::Module::load(GW_MODULE_PATH, error);
  EXPECT_NE(module, nullptr) << error;
  if (module == nullptr) return {};
  gw::host::HostOptions options;
  options.sampleRate = kRate;
  options.blockSize = kBlock;
  auto plugin = gw::host::Plugin::create(*module, error, options);
  EXPECT_NE(plugin, nullptr) << error;
  if (plugin == nullptr) return {};
  plugin->dispatch(vst::effSetProgram, 0, program);
  std::vector<float> out;
  float left[kBlock], right[kBlock];
  for (int b = 0; b < kBlocks; ++b) {
    std::vector<gw::host::Plugin::MidiEvent> events;
    for (const Note& n : kChord) {
      if (b == 0) events.push_back({{n.status, n.note, n.velocity}, 0});
      if (b == kReleaseBlock) events.push_back({{0x80, n.note, 0}, 0});
    }
    if (!events.empty()) plugin->sendMidi(events);
    plugin->process(left, right, kBlock);
    out.insert(out.end(), left, left + kBlock);
    out.insert(out.end(), right, right + kBlock);
  }
  return out;
}

std::vector<float> renderLv2(int program) {
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
    std::vector<float> controls(gw::factoryBank[program].values.begin(),
                                gw::factoryBank[program].values.end());
    for (int i = 0; i < gw::param::kCount; ++i) descriptor->connect_port(h, i, &controls[i]);
    gw::test::MidiSequence midi(urids.get());
    float left[kBlock], right[kBlock];
    descriptor->connect_port(h, gw::lv2::kMidiInPort, midi.seq());
    descriptor->connect_port(h, gw::lv2::kOutLeftPort, left);
    descriptor->connect_port(h, gw::lv2::kOutRightPort, right);
    descriptor->activate(h);
    for (int b = 0; b < kBlocks; ++b) {
      midi.clear();
      for (const Note& n : kChord) {
        if (b == 0) midi.add(0, n.status, n.note, n.velocity);
        if (b == kReleaseBlock) midi.add(0, 0x80, n.note, 0);
      }
      descriptor->run(h, kBlock);
      out.insert(out.end(), left, left + kBlock);
      out.insert(out.end(), right, right + kBlock);
    }
    descriptor->cleanup(h);
  }
  gw::platform::unloadModule(module);
  return out;
}

TEST(FormatParity, TheSameValuesRenderTheSameSamplesThroughBothModules) {
  // A plain sine, pads with the modulation effect, a struck sound, and one that carries
  // values in reserved rows.
  for (int program : {0, 1, 7, 17, 30}) {
    const std::vector<float> vst = renderVst(program);
    const std::vector<float> lv2 = renderLv2(program);
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

}  // namespace
