// Parameter changes on their way to the controls: queueing, flushing, priming and the
// bounded queue under many producers.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "tests/toolkit/fake_plugin.h"
#include "toolkit/control.h"
#include "toolkit/element_host.h"

namespace gw {
namespace {

// Records what it is told.
class Listener : public TW::ControlBase {
 public:
  explicit Listener(ElementHost& host, int index) : ControlBase(host, Box::of(0, 0, 1, 1)) {
    host.dispatcher().addListener(index, this);
  }
  void updateValue(const ParameterDisplayRecord& record, float value) override {
    seen.push_back({record.index, value});
  }
  std::vector<std::pair<int, float>> seen;
};

class DispatcherTest : public ::testing::Test {
 protected:
  PendingChanges pending;
  test::FakePlugin plugin{pending};
  ElementHost host{plugin, pending};
};

TEST_F(DispatcherTest, ChangesWithoutListenersAreNotQueued) {
  Listener& listener = host.create<Listener>(5);
  EXPECT_FALSE(pending.append(6, 0.25f));
  EXPECT_FALSE(pending.append(-1, 0.25f));
  EXPECT_FALSE(pending.append(kParameterCount, 0.25f));
  host.dispatcher().flush();
  EXPECT_TRUE(listener.seen.empty());
  // A row with range and default all zero never gets listeners.
  host.create<Listener>(17);
  EXPECT_FALSE(host.dispatcher().hasListeners(17));
  EXPECT_FALSE(pending.append(17, 0.0f));
}

TEST_F(DispatcherTest, HostChangeReachesListenersAtTheNextFlushInOrder) {
  Listener& first = host.create<Listener>(5);
  Listener& second = host.create<Listener>(5);
  Listener& other = host.create<Listener>(7);
  plugin.hostSets(5, 0.1f);
  plugin.hostSets(7, 0.2f);
  plugin.hostSets(5, 0.3f);
  EXPECT_TRUE(first.seen.empty()) << "nothing moves before the flush";
  host.dispatcher().flush();
  const std::vector<std::pair<int, float>> expected{{5, 0.1f}, {5, 0.3f}};
  EXPECT_EQ(first.seen, expected);
  EXPECT_EQ(second.seen, expected);
  EXPECT_EQ(other.seen, (std::vector<std::pair<int, float>>{{7, 0.2f}}));
  host.dispatcher().flush();
  EXPECT_EQ(first.seen.size(), 2u) << "a flush empties the queue";
}

TEST_F(DispatcherTest, PrimingDeliversTheProgramAtOnceAndControlsNormalise) {
  auto& knob = host.create<TW::Knob>(1, Box::of(0, 0, 20, 20));
  plugin.loadProgram(12.0f);
  host.dispatcher().prime();
  EXPECT_FLOAT_EQ(knob.value(), (12.0f + 24.0f) / 48.0f);
}

TEST_F(DispatcherTest, AFullQueueLosesNoChangeBecauseTheNextFlushReprimes) {
  Listener& listener = host.create<Listener>(5);
  auto& knob = host.create<TW::Knob>(6, Box::of(0, 0, 20, 20));
  for (std::uint32_t i = 0; i < PendingChanges::kCapacity; ++i) plugin.hostSets(5, 0.0f);
  plugin.hostSets(6, 0.75f);  // does not fit
  host.dispatcher().flush();
  EXPECT_FLOAT_EQ(knob.value(), 0.75f);
  EXPECT_EQ(listener.seen.size(), PendingChanges::kCapacity + 1) << "queued ones, then the prime";
  listener.seen.clear();
  host.dispatcher().flush();
  EXPECT_TRUE(listener.seen.empty()) << "the re-prime request is consumed";
}

TEST_F(DispatcherTest, ADetachedDispatcherNoLongerQueuesOrDelivers) {
  Listener& listener = host.create<Listener>(5);
  plugin.hostSets(5, 0.1f);
  host.dispatcher().detach();
  EXPECT_FALSE(pending.append(5, 0.2f)) << "closing: the listeners are about to go";
  host.dispatcher().flush();
  EXPECT_TRUE(listener.seen.empty());
}

TEST_F(DispatcherTest, ConcurrentProducersNeverLoseTheLastValue) {
  Listener& listener = host.create<Listener>(5);
  constexpr int kPerThread = 20000;
  std::vector<std::thread> producers;
  std::atomic<bool> done{false};
  for (int t = 0; t < 3; ++t) {
    producers.emplace_back([&, t] {
      for (int i = 0; i < kPerThread; ++i)
        pending.append(5, static_cast<float>(t * kPerThread + i));
    });
  }
  std::thread consumer([&] {
    while (!done.load()) host.dispatcher().flush();
  });
  for (auto& p : producers) p.join();
  done = true;
  consumer.join();
  host.dispatcher().flush();
  // Per producer, the values must arrive in the order they were sent.
  std::array<float, 3> lastPerProducer{-1, -1, -1};
  for (const auto& [index, value] : listener.seen) {
    ASSERT_EQ(index, 5);
    const int producer = static_cast<int>(value) / kPerThread;
    if (producer < 3 && value != plugin.currentValue(5)) {
      EXPECT_GT(value, lastPerProducer[producer]);
      lastPerProducer[producer] = value;
    }
  }
  EXPECT_FALSE(listener.seen.empty());
}

}  // namespace
}  // namespace gw
