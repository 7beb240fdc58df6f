// The render thread of one editor: GL set-up, then a frame and a wait of at most 33 ms,
// until told to quit; then GL release. A thread that does not end within the bound at
// close cannot be killed safely: it is detached and ends on its own, and whatever it
// uses is kept alive until it does, the module's code included.
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/threading.h"

class RenderWindow;

namespace gw {

class RenderThread {
 public:
  static constexpr int kEventCount = 5;
  static constexpr int kQuit = 0;
  static constexpr int kShown = 1;  // the window can be seen again: draw at once
  static constexpr int kPause = 2;  // wait without time-out until another event
  static constexpr int kFrameWaitMs = 33;
  static constexpr int kStopWaitMs = 5000;

  RenderThread() = default;
  ~RenderThread();
  RenderThread(const RenderThread&) = delete;
  RenderThread& operator=(const RenderThread&) = delete;

  // Thread: UI. False (with a message on standard output) when it runs already or the
  // thread cannot be created.
  bool start(RenderWindow& window);
  // Thread: UI. Signals quit and waits up to waitMs. True when the thread ended; false
  // when it was abandoned: then onAbandon runs here first, before the thread can end,
  // and onLateExit runs on that thread once it ends. Nothing of this object may be
  // touched after a false return: onLateExit may have freed it.
  bool stop(int waitMs, std::function<void()> onLateExit,
            const std::function<void()>& onAbandon = {});
  // Thread: any.
  void signal(int event);
  bool running() const { return running_; }
  std::uint64_t frames() const { return frames_.load(std::memory_order_relaxed); }

 private:
  void run(RenderWindow& window);
  void finish();

  std::array<platform::AutoResetEvent, kEventCount> events_;
  std::thread thread_;
  bool running_ = false;
  std::atomic<std::uint64_t> frames_{0};
  std::mutex mutex_;
  std::condition_variable ended_;
  bool exited_ = false;
  bool abandoned_ = false;
  std::function<void()> onLateExit_;
};

}  // namespace gw
