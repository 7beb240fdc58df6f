// Parameter changes may arrive on the host's audio thread: appending one must never
// allocate, whether the queue has room or is full.
#include <gtest/gtest.h>

#include <thread>

#include "tests/support/counting_allocator.h"
#include "toolkit/pending_changes.h"

namespace gw {
namespace {

TEST(Realtime, AppendingNeverAllocatesEvenWhenTheQueueIsFull) {
  static PendingChanges queue;
  PendingChanges* pending = &queue;
  pending->setListened(3, true);
  long audioAllocations = -1;
  std::thread audio([&] {
    test::AllocationCount allocations;
    for (std::uint32_t i = 0; i < 3 * PendingChanges::kCapacity; ++i) {
      pending->append(3, static_cast<float>(i));
      pending->append(4, 0.0f);  // no listener
    }
    audioAllocations = allocations.count();
  });
  audio.join();
  EXPECT_EQ(audioAllocations, 0);
  {
    test::AllocationCount allocations;  // the counter itself works
    ::operator delete(::operator new(16));
    EXPECT_EQ(allocations.count(), 2);
  }
  int delivered = 0;
  EXPECT_TRUE(pending->drain([&](int, float) { ++delivered; })) << "overflow asks for a re-prime";
  EXPECT_EQ(delivered, static_cast<int>(PendingChanges::kCapacity));
}

}  // namespace
}  // namespace gw
