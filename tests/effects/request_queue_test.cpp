// The lock-free hand-over of requests from the UI thread to the render thread.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

#include "effects/request_queue.h"
#include "effects/ripples.h"
#include "effects/vortex.h"
#include "tests/effects/eye_candy_switch.h"

namespace TW {
namespace {

struct Request {
  std::uint32_t sequence;
  std::uint32_t check;  // a second word, so a torn copy shows
};

TEST(RequestQueue, KeepsOrderUsesEverySlotAndDropsWhenFull) {
  RequestQueue<Request, 4> queue;
  for (std::uint32_t i = 0; i < 4; ++i) EXPECT_TRUE(queue.push({i, ~i}));
  EXPECT_FALSE(queue.push({99, 0}));
  std::vector<std::uint32_t> seen;
  queue.drain([&](const Request& r) { seen.push_back(r.sequence); });
  EXPECT_EQ(seen, (std::vector<std::uint32_t>{0, 1, 2, 3}));
  // Space again, across the wrap of the ring.
  EXPECT_TRUE(queue.push({4, ~4u}));
  EXPECT_TRUE(queue.push({5, ~5u}));
  seen.clear();
  queue.drain([&](const Request& r) { seen.push_back(r.sequence); });
  EXPECT_EQ(seen, (std::vector<std::uint32_t>{4, 5}));
  queue.drain([&](const Request&) { ADD_FAILURE() << "drained twice"; });
}

// A producer hammers the queue while the consumer drains: every request that was
// accepted arrives once, in order, whole.
TEST(RequestQueueConcurrent, TwoThreadsHandOverEveryAcceptedRequestWhole) {
  RequestQueue<Request, 64> queue;
  constexpr std::uint32_t kRequests = 30000;
  std::atomic<bool> done{false};
  std::atomic<std::uint32_t> accepted{0};
  std::thread producer([&] {
    std::uint32_t pushed = 0;
    for (std::uint32_t i = 0; i < kRequests; ++i) {
      // Retry a few times so most requests get through, but never wait for the consumer.
      for (int attempt = 0; attempt < 4; ++attempt) {
        if (queue.push({pushed, ~pushed})) {
          ++pushed;
          break;
        }
        std::this_thread::yield();
      }
    }
    accepted.store(pushed);
    done.store(true, std::memory_order_release);
  });
  std::uint32_t expected = 0;
  bool whole = true, ordered = true;
  auto take = [&](const Request& r) {
    whole = whole && r.check == ~r.sequence;
    ordered = ordered && r.sequence == expected;
    ++expected;
  };
  while (!done.load(std::memory_order_acquire)) queue.drain(take);
  queue.drain(take);
  producer.join();
  EXPECT_TRUE(whole);
  EXPECT_TRUE(ordered);
  EXPECT_EQ(expected, accepted.load());
  EXPECT_GT(accepted.load(), 0u);
}

// The effects themselves under the same two threads: the UI thread asks, the render
// thread steps and reads its slots (the thread sanitizer checks the pairing).
TEST(RequestQueueConcurrent, RipplesAndCubesRequestedWhileTheRenderThreadSteps) {
  gw::test::EyeCandySwitch on(true);
  Ripples ripples(nullptr);
  Vortex vortex;
  std::atomic<bool> done{false};
  std::thread ui([&] {
    const float colour[4] = {1.0f, 0.5f, 0.25f, 1.0f};
    for (int i = 0; i < 20000; ++i) {
      ripples.addRipple(static_cast<float>(i % 600), 10.0f, colour, 5.0f, 0.5f, 30.0f);
      vortex.addCube(static_cast<float>(i % 600), 20.0f);
      if (i % 64 == 0) std::this_thread::yield();
    }
    done.store(true, std::memory_order_release);
  });
  bool sane = true;
  while (!done.load(std::memory_order_acquire)) {
    ripples.step();
    vortex.step();
    for (int i = 0; i < ripples.count(); ++i) {
      const Ripple& r = ripples.ripple(i);
      sane = sane && r.y == 10.0f && r.red == 1.0f && r.alpha == 1.0f && r.lifetime == 0.5f;
    }
    for (int i = 0; i < vortex.cubeCount(); ++i) sane = sane && vortex.cube(i).lifetime == 5.0f;
  }
  ui.join();
  EXPECT_TRUE(sane);
  EXPECT_LE(ripples.count(), Ripples::kSlots);
  EXPECT_LE(vortex.cubeCount(), Vortex::kCubeSlots);
}

}  // namespace
}  // namespace TW
