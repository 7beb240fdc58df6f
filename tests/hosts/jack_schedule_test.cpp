// The standalone's MIDI on the audio thread: a file's events land in the right cycle at
// the right offset, live and file events reach the module in time order, and a flood is
// cut at the list's capacity and counted rather than written past it.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "host/standalone/jack_schedule.h"

namespace gw::standalone {
namespace {

render::TimedMidi message(double seconds, std::uint8_t status, std::uint8_t key) {
  render::TimedMidi m;
  m.seconds = seconds;
  m.bytes[0] = status;
  m.bytes[1] = key;
  m.bytes[2] = 100;
  m.size = 3;
  return m;
}

struct Seen {
  std::int32_t delta;
  int key;
};

std::vector<Seen> contents(EventBlock& block) {
  std::vector<Seen> out;
  vst::VstEvents* list = block.list();
  for (int i = 0; i < list->numEvents; ++i) {
    const auto* midi = reinterpret_cast<const vst::VstMidiEvent*>(list->events[i]);
    EXPECT_EQ(midi->type, vst::kVstMidiType);
    out.push_back({midi->deltaFrames, midi->midiData[1]});
  }
  return out;
}

TEST(JackSchedule, FileEventsLandInTheirCycleAtTheirOffset) {
  render::Sequence song;
  song.events = {message(0.0, 0x90, 60), message(0.01, 0x90, 62), message(0.0125, 0x80, 60)};
  song.endSeconds = 0.02;
  FrameSchedule schedule;
  schedule.load(song, 48000.0);  // at frames 0, 480 and 600; the file ends at 960
  EventBlock block;

  EXPECT_FALSE(schedule.take(0, 256, block));
  std::vector<Seen> seen = contents(block);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].delta, 0);

  block.clear();
  EXPECT_FALSE(schedule.take(256, 256, block));
  seen = contents(block);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].delta, 480 - 256);
  EXPECT_EQ(seen[0].key, 62);

  block.clear();
  EXPECT_FALSE(schedule.take(512, 256, block));
  seen = contents(block);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].delta, 600 - 512);

  block.clear();
  EXPECT_FALSE(schedule.take(768, 128, block)) << "done before the file's end";
  EXPECT_TRUE(schedule.take(896, 128, block));
  EXPECT_EQ(block.size(), 0);
}

TEST(JackSchedule, LiveAndFileEventsReachTheModuleInTimeOrder) {
  EventBlock block;
  const std::uint8_t a[3] = {0x90, 1, 100}, b[3] = {0x90, 2, 100}, c[3] = {0x90, 3, 100};
  block.add(a, 3, 100);  // from the file
  block.add(b, 3, 20);   // live, earlier in the cycle
  block.add(c, 3, 100);  // live, same time as the file's: after it
  const std::vector<Seen> seen = contents(block);
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].key, 2);
  EXPECT_EQ(seen[1].key, 1);
  EXPECT_EQ(seen[2].key, 3);
}

TEST(JackSchedule, AFloodIsCutAtCapacityAndCounted) {
  EventBlock block;
  const std::uint8_t note[3] = {0x90, 60, 100};
  for (int i = 0; i < EventBlock::kCapacity + 10; ++i) block.add(note, 3, i % 64);
  EXPECT_EQ(block.size(), EventBlock::kCapacity);
  EXPECT_EQ(block.dropped(), 10u);
  EXPECT_EQ(block.list()->numEvents, EventBlock::kCapacity);
  EXPECT_FALSE(block.add(note, 0, 0)) << "an empty message";
  EXPECT_FALSE(block.add(note, 4, 0)) << "longer than a channel message";
}

}  // namespace
}  // namespace gw::standalone
