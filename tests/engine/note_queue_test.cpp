#include <gtest/gtest.h>

#include <thread>

#include "engine/note_queue.h"

namespace gw {
namespace {

TEST(NoteOnOffQueue, KeepsSixtyThreeAndReportsTheSixtyFourth) {
  NoteOnOffQueue queue;
  testing::internal::CaptureStderr();
  for (int i = 0; i < 63; ++i) ASSERT_TRUE(queue.Write(NoteKind::NoteOn, i, 0.5f));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  testing::internal::CaptureStderr();
  EXPECT_FALSE(queue.Write(NoteKind::NoteOn, 63, 0.5f));
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "TarnAdditiveSynth::NoteOnOffQueue::Write() overflow\n");
  NoteCommand c;
  for (int i = 0; i < 63; ++i) {
    ASSERT_TRUE(queue.read(c));
    EXPECT_EQ(c.note, i);
  }
  EXPECT_FALSE(queue.read(c));
  // Room again once drained, across the wrap of the ring.
  for (int round = 0; round < 3; ++round) {
    for (int i = 0; i < 40; ++i) ASSERT_TRUE(queue.Write(NoteKind::NoteOff, i, 0.0f));
    for (int i = 0; i < 40; ++i) ASSERT_TRUE(queue.read(c) && c.note == i);
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
  testing::internal::CaptureStderr();  // full-ring reports are expected here
  while (expected < kCount) {
    NoteCommand c;
    if (!queue.read(c)) continue;
    inOrder = inOrder && c.note == expected && c.velocity == static_cast<float>(expected);
    ++expected;
  }
  producer.join();
  testing::internal::GetCapturedStderr();
  EXPECT_TRUE(inOrder);
}

}  // namespace
}  // namespace gw
