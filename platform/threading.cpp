#include "platform/threading.h"

namespace gw::platform {

// One lock for every event keeps wait-any simple; waits happen a few dozen times a
// second at most, never on the audio thread.
std::mutex AutoResetEvent::mutex_;
std::condition_variable AutoResetEvent::changed_;

void AutoResetEvent::signal() {
  {
    std::lock_guard lock(mutex_);
    signalled_ = true;
  }
  changed_.notify_all();
}

int AutoResetEvent::waitAny(std::span<AutoResetEvent* const> events, int timeoutMs) {
  if (events.empty()) return -1;
  std::unique_lock lock(mutex_);
  int index = -1;
  // The lowest signalled index wins, as with the Windows wait it stands in for.
  auto ready = [&] {
    for (std::size_t i = 0; i < events.size(); ++i) {
      if (events[i] != nullptr && events[i]->signalled_) {
        index = static_cast<int>(i);
        return true;
      }
    }
    return false;
  };
  if (timeoutMs < 0) {
    changed_.wait(lock, ready);
  } else if (!changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready)) {
    return -1;
  }
  events[static_cast<std::size_t>(index)]->signalled_ = false;
  return index;
}

}  // namespace gw::platform
