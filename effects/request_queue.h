// Requests from one thread to another without a lock: the UI thread asks an effect for a
// ripple or a cube, and the render thread takes the requests into its own slots when it
// next steps. Fixed capacity, no allocation; a full queue drops the new request, since a
// request that cannot wait for the next frame is worth nothing later either.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <type_traits>

namespace TW {

// Single producer, single consumer. The indices count requests ever pushed and taken;
// their difference is the fill level, so all Capacity slots can be used.
template <class Request, std::uint32_t Capacity>
class RequestQueue {
  static_assert(std::is_trivially_copyable_v<Request>, "requests are copied between threads");
  static_assert(Capacity > 0 && (Capacity & (Capacity - 1)) == 0, "capacity: a power of two");

 public:
  static constexpr std::uint32_t kCapacity = Capacity;

  // Thread: the producer. False when full: the request is dropped.
  bool push(const Request& request) {
    const std::uint32_t tail = tail_.load(std::memory_order_relaxed);
    if (tail - head_.load(std::memory_order_acquire) == Capacity) return false;
    slots_[tail & kMask] = request;
    tail_.store(tail + 1, std::memory_order_release);
    return true;
  }

  // Thread: the consumer. Hands every request published so far to take(request), oldest
  // first; requests pushed meanwhile wait for the next drain.
  template <class Take>
  void drain(Take&& take) {
    std::uint32_t head = head_.load(std::memory_order_relaxed);
    const std::uint32_t tail = tail_.load(std::memory_order_acquire);
    for (; head != tail; ++head) take(slots_[head & kMask]);
    // Releasing the slots only after they were read keeps the producer off them.
    head_.store(head, std::memory_order_release);
  }

 private:
  static constexpr std::uint32_t kMask = Capacity - 1;

  std::array<Request, Capacity> slots_{};
  alignas(64) std::atomic<std::uint32_t> tail_{0};
  alignas(64) std::atomic<std::uint32_t> head_{0};
};

}  // namespace TW
