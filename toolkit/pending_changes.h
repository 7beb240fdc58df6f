// The queue of parameter changes waiting for the editor's controls. Any thread may append
// (hosts call setParameter from their audio thread during automation playback), so an
// append never blocks, waits or allocates; only the UI thread drains. When the ring is
// full the change is not lost: the next drain is told to re-prime every listener from the
// current program, which already holds the value.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "toolkit/parameter_port.h"

namespace gw {

class PendingChanges {
 public:
  static constexpr std::uint32_t kCapacity = 1024;

  PendingChanges();

  // Thread: UI. Marks whether an index has listeners; changes to others are not queued.
  void setListened(int index, bool listened);
  void clearListened();
  // Thread: any. Appends (index, value) when the index has listeners. Lock-free and
  // allocation-free; returns whether the change will reach the listeners.
  bool append(int index, float value);
  // Thread: any. Asks the next drain to refresh every listener from the program.
  void requestReprime() { reprime_.store(true, std::memory_order_release); }

  // Thread: UI. Hands every published pair in arrival order to deliver(index, value).
  // Returns true when a re-prime was requested since the last drain.
  template <class Deliver>
  bool drain(Deliver&& deliver);
  // Thread: UI. Drops whatever is queued and any re-prime request.
  void discard();

 private:
  struct Slot {
    std::atomic<std::uint32_t> sequence{0};
    std::int32_t index = 0;
    float value = 0.0f;
  };
  static constexpr std::uint32_t kMask = kCapacity - 1;
  static_assert((kCapacity & kMask) == 0, "capacity must be a power of two");

  std::array<Slot, kCapacity> slots_;
  alignas(64) std::atomic<std::uint32_t> tail_{0};
  alignas(64) std::uint32_t head_ = 0;
  std::atomic<bool> reprime_{false};
  std::array<std::atomic<bool>, kParameterCount> listened_{};
};

template <class Deliver>
bool PendingChanges::drain(Deliver&& deliver) {
  // Bounded, so a listener that appends while being delivered cannot keep us here.
  for (std::uint32_t n = 0; n < kCapacity; ++n) {
    Slot& slot = slots_[head_ & kMask];
    const std::uint32_t sequence = slot.sequence.load(std::memory_order_acquire);
    // Empty, or claimed by a producer that has not published yet: the rest waits.
    if (static_cast<std::int32_t>(sequence - (head_ + 1)) < 0) break;
    const std::int32_t index = slot.index;
    const float value = slot.value;
    slot.sequence.store(head_ + kCapacity, std::memory_order_release);
    ++head_;
    deliver(index, value);
  }
  return reprime_.exchange(false, std::memory_order_acq_rel);
}

}  // namespace gw
