// The LV2 run, like the VST block, must not touch the heap: notes, control changes and
// the activity output included.
#include <gtest/gtest.h>

#include <vector>

#include "lv2/lv2_plugin.h"
#include "params/parameter_table.h"
#include "tests/lv2/lv2_host.h"
#include "tests/support/counting_allocator.h"

TEST(Lv2AudioThread, RunWithNotesAndControlChangesDoesNotAllocate) {
  gw::test::UridMap urids;
  gw::test::MidiSequence midi(urids.get());
  const LV2_URID midiEvent = urids.get()->map(urids.get()->handle, LV2_MIDI__MidiEvent);
  gw::lv2::Lv2Plugin plugin(48000.0f, midiEvent);
  std::vector<float> controls(gw::param::kCount);
  for (int i = 0; i < gw::param::kCount; ++i) {
    controls[i] = gw::kParameterTable[i].defaultValue;
    plugin.connectPort(static_cast<std::uint32_t>(i), &controls[i]);
  }
  float left[256], right[256], activity = 0.0f;
  plugin.connectPort(gw::lv2::kMidiInPort, midi.seq());
  plugin.connectPort(gw::lv2::kOutLeftPort, left);
  plugin.connectPort(gw::lv2::kOutRightPort, right);
  plugin.connectPort(gw::lv2::kActivityPort, &activity);
  plugin.activate();

  gw::test::AllocationCount allocations;
  for (int block = 0; block < 40; ++block) {
    midi.clear();
    midi.add(0, 0x90, static_cast<std::uint8_t>(48 + block), 100);
    midi.add(10, 0x80, static_cast<std::uint8_t>(47 + block), 0);
    midi.add(20, 0xE0, 0, static_cast<std::uint8_t>(block));
    controls[gw::param::kFilterCutoff] = 100.0f * static_cast<float>(block + 1);
    controls[gw::param::kModulationOnOff] = static_cast<float>(block % 2);
    plugin.run(256);
  }
  EXPECT_EQ(allocations.count(), 0);
  EXPECT_GT(activity, 0.0f);
}
