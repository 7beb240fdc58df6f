#include <gtest/gtest.h>

#include <thread>

#include "engine/note_queue.h"

namespace gw {
namespace {

// A dense block fits whole; past that, what starts a sound is refused first and what ends
// one last, each refusal counted and nothing printed from the audio thread.
TEST(NoteOnOffQueue, HoldsAWholeDenseBlockAndRefusesNoteOnsBeforeNoteOffs) {
  NoteOnOffQueue queue;
  testing::internal::CaptureStderr();
  int written = 0;
  while (queue.Write(NoteKind::NoteOn, written % 128, 0.5f, written)) ++written;
  EXPECT_EQ(written, NoteOnOffQueue::kStartLimit);
  EXPECT_GE(written, 1000);
  int changes = 0;
  while (queue.Write(NoteKind::PitchBend, 8192, 0.0f)) ++changes;
  EXPECT_EQ(written + changes, NoteOnOffQueue::kChangeLimit);
  EXPECT_FALSE(queue.Write(NoteKind::PedalChange, 1, 0.0f));  // a pedal going down starts nothing
  EXPECT_TRUE(queue.Write(NoteKind::PedalChange, 0, 0.0f));   // one going up ends sounds
  int ends = 1;
  while (queue.Write(NoteKind::NoteOff, ends % 128, 0.0f)) ++ends;
  EXPECT_EQ(written + changes + ends, NoteOnOffQueue::kSlots - 1);
  EXPECT_FALSE(queue.Write(NoteKind::AllSoundOff, 0, 0.0f));
  EXPECT_EQ(queue.refused(), 5u);  // a note-on, a bend, the pedal down, a note-off, 120
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

  NoteCommand c;
  for (int i = 0; i < written; ++i) {
    ASSERT_TRUE(queue.read(c));
    EXPECT_EQ(c.kind, static_cast<std::int32_t>(NoteKind::NoteOn));
    EXPECT_EQ(c.frame, i);
  }
  for (int i = 0; i < changes + ends; ++i) ASSERT_TRUE(queue.read(c));
  EXPECT_FALSE(queue.read(c));
  // Room again once drained, across the wrap of the ring.
  for (int round = 0; round < 3; ++round) {
    for (int i = 0; i < 1500; ++i) ASSERT_TRUE(queue.Write(NoteKind::NoteOff, i, 0.0f));
    for (int i = 0; i < 1500; ++i) ASSERT_TRUE(queue.read(c) && c.note == i);
  }
}

TEST(NoteOnOffQueue, TwoThreadsPassEveryCommandInOrder) {
  NoteOnOffQueue queue;
  constexpr int kCount = 50000;
  std::thread producer([&] {
    for (int i = 0; i < kCount;) {
      if (queue.Write(NoteKind::NoteOn, i, static_cast<float>(i)))
        ++i;
      else
        std::this_thread::yield();
    }
  });
  int expected = 0;
  bool inOrder = true;
  while (expected < kCount) {
    NoteCommand c;
    if (!queue.read(c)) continue;
    inOrder = inOrder && c.note == expected && c.velocity == static_cast<float>(expected);
    ++expected;
  }
  producer.join();
  EXPECT_TRUE(inOrder);
}

}  // namespace
}  // namespace gw
