// Parameter changes may arrive on the host's audio thread: appending one must never
// allocate, whether the queue has room or is full.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "toolkit/pending_changes.h"

// Counted by the replaced global operator new (counting_new.cpp) while set.
namespace gw::test {
extern thread_local bool countAllocations;
extern std::atomic<int> allocations;
}  // namespace gw::test

namespace gw {
namespace {

TEST(Realtime, AppendingNeverAllocatesEvenWhenTheQueueIsFull) {
  static PendingChanges queue;
  PendingChanges* pending = &queue;
  pending->setListened(3, true);
  std::thread audio([&] {
    test::countAllocations = true;
    for (std::uint32_t i = 0; i < 3 * PendingChanges::kCapacity; ++i) {
      pending->append(3, static_cast<float>(i));
      pending->append(4, 0.0f);  // no listener
    }
    test::countAllocations = false;
  });
  audio.join();
  EXPECT_EQ(test::allocations.load(), 0);
  // The counter itself works.
  test::countAllocations = true;
  ::operator delete(::operator new(16));
  test::countAllocations = false;
  EXPECT_EQ(test::allocations.load(), 1);
  int delivered = 0;
  EXPECT_TRUE(pending->drain([&](int, float) { ++delivered; })) << "overflow asks for a re-prime";
  EXPECT_EQ(delivered, static_cast<int>(PendingChanges::kCapacity));
}

}  // namespace
}  // namespace gw
