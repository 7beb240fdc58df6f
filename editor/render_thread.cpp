#include "editor/render_thread.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <system_error>

#include "editor/render_window.h"
#include "platform/module_pin.h"

namespace gw {

RenderThread::~RenderThread() {
  // Only reached with the thread joined, or from the abandoned thread itself.
  if (thread_.joinable()) thread_.detach();
}

bool RenderThread::start(RenderWindow& window) {
  if (running_) {
    std::printf("double call to CreateRenderTask()\n");
    std::fflush(stdout);
    return false;
  }
  try {
    thread_ = std::thread([this, &window] { run(window); });
  } catch (const std::system_error& error) {
    std::printf("failed to create render thread: %d\n", error.code().value());
    std::fflush(stdout);
    return false;
  }
  running_ = true;
  return true;
}

void RenderThread::signal(int event) {
  if (event >= 0 && event < kEventCount) events_[event].signal();
}

bool RenderThread::stop(int waitMs, std::function<void()> onLateExit,
                        const std::function<void()>& onAbandon) {
  if (!running_) return true;
  signal(kQuit);
  std::unique_lock lock(mutex_);
  if (ended_.wait_for(lock, std::chrono::milliseconds(waitMs), [this] { return exited_; })) {
    lock.unlock();
    thread_.join();
    running_ = false;
    return true;
  }
  abandoned_ = true;
  onLateExit_ = std::move(onLateExit);
  // The thread takes this lock to end, and onLateExit may free this object: everything
  // that touches it or what onLateExit frees is done before the lock goes.
  if (onAbandon) onAbandon();
  // The thread runs our code after this returns, maybe after the host has unloaded us.
  // It cannot drop a reference to the module itself (its dlclose would return into
  // unmapped code), so the module stays mapped for the rest of the process instead.
  platform::keepModuleMapped();
  thread_.detach();
  running_ = false;
  lock.unlock();
  return false;
}

void RenderThread::run(RenderWindow& window) {
  window.glSetUp();
  std::array<platform::AutoResetEvent*, kEventCount> events;
  for (int i = 0; i < kEventCount; ++i) events[i] = &events_[i];
  double previous = platform::monotonicMilliseconds();
  for (;;) {
    // A hidden window costs nothing: no frame, and a wait without time-out until it is
    // shown again (kShown) or closed.
    const bool shown = window.shown();
    if (shown) {
      window.renderFrame();
      frames_.fetch_add(1, std::memory_order_relaxed);
      const double now = platform::monotonicMilliseconds();
      window.setFrameInterval(std::max(static_cast<float>((now - previous) * 0.001), 1e-6f));
      previous = now;
    }
    int woke = platform::AutoResetEvent::waitAny(events, shown ? kFrameWaitMs : -1);
    if (woke == kPause) woke = platform::AutoResetEvent::waitAny(events, -1);
    if (woke == kQuit) break;
    // The time spent hidden is no frame interval: the background carries on smoothly.
    if (!shown) previous = platform::monotonicMilliseconds() - kFrameWaitMs;
  }
  window.glRelease();
  finish();
}

void RenderThread::finish() {
  std::function<void()> lateExit;
  {
    std::lock_guard lock(mutex_);
    exited_ = true;
    if (abandoned_) lateExit = std::move(onLateExit_);
  }
  ended_.notify_all();
  // May free this object: nothing of it is touched afterwards.
  if (lateExit) lateExit();
}

}  // namespace gw
