#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <thread>

#include "platform/threading.h"

using gw::platform::AutoResetEvent;
using gw::platform::monotonicMilliseconds;

namespace {

TEST(AutoResetEvent, WaitAnyReturnsTheSignalledIndexAndResetsOnlyIt) {
  std::array<AutoResetEvent, 5> events;
  std::array<AutoResetEvent*, 5> all{&events[0], &events[1], &events[2], &events[3], &events[4]};
  events[3].signal();
  events[1].signal();
  events[1].signal();  // signals do not count up
  EXPECT_EQ(AutoResetEvent::waitAny(all, 0), 1);
  EXPECT_EQ(AutoResetEvent::waitAny(all, 0), 3);
  EXPECT_EQ(AutoResetEvent::waitAny(all, 0), -1);
  // An event outside the waited set keeps its signal.
  events[4].signal();
  EXPECT_EQ(AutoResetEvent::waitAny(std::span(all).first(4), 0), -1);
  EXPECT_EQ(AutoResetEvent::waitAny(all, 0), 4);
}

TEST(AutoResetEvent, TimesOutWithoutSignal) {
  AutoResetEvent event;
  AutoResetEvent* set[] = {&event};
  const double start = monotonicMilliseconds();
  EXPECT_EQ(AutoResetEvent::waitAny(set, 40), -1);
  const double waited = monotonicMilliseconds() - start;
  EXPECT_GE(waited, 39.0);
  EXPECT_LT(waited, 5000.0);
  EXPECT_EQ(AutoResetEvent::waitAny(std::span<AutoResetEvent* const>(), -1), -1);
}

TEST(AutoResetEvent, SignalFromAnotherThreadWakesAnUnlimitedWait) {
  std::array<AutoResetEvent, 2> events;
  AutoResetEvent* set[] = {&events[0], &events[1]};
  std::thread signaller([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    events[1].signal();
  });
  EXPECT_EQ(AutoResetEvent::waitAny(set, -1), 1);
  signaller.join();
}

TEST(AutoResetEvent, NoSignalIsLostBetweenTwoThreads) {
  // Ping-pong: each side signals only after it has seen the other's signal, so every
  // signal must be taken exactly once or the exchange stalls into a time-out.
  AutoResetEvent ping, pong;
  AutoResetEvent* pings[] = {&ping};
  AutoResetEvent* pongs[] = {&pong};
  constexpr int kRounds = 5000;
  std::atomic<int> lost{0};
  std::thread other([&] {
    for (int i = 0; i < kRounds; ++i) {
      if (AutoResetEvent::waitAny(pings, 5000) != 0) lost.fetch_add(1);
      pong.signal();
    }
  });
  for (int i = 0; i < kRounds; ++i) {
    ping.signal();
    if (AutoResetEvent::waitAny(pongs, 5000) != 0) lost.fetch_add(1);
  }
  other.join();
  EXPECT_EQ(lost.load(), 0);
}

TEST(MonotonicClock, NeverGoesBack) {
  double last = monotonicMilliseconds();
  for (int i = 0; i < 10000; ++i) {
    const double now = monotonicMilliseconds();
    ASSERT_GE(now, last);
    last = now;
  }
}

}  // namespace
