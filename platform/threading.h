// Auto-reset events with wait-any, and the monotonic clock the frame timing uses.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <span>

namespace gw::platform {

// Signalled until exactly one waiter wakes on it, then unsignalled again.
class AutoResetEvent {
 public:
  void signal();
  // Thread: any. Returns the index of the event that woke the caller (and resets only
  // that one), or -1 after timeoutMs; a negative timeout waits without limit.
  static int waitAny(std::span<AutoResetEvent* const> events, int timeoutMs);

 private:
  bool signalled_ = false;
  static std::mutex mutex_;
  static std::condition_variable changed_;
};

// Milliseconds of a monotonic wall clock.
inline double monotonicMilliseconds() {
  using namespace std::chrono;
  return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace gw::platform
