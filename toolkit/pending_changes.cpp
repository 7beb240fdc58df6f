#include "toolkit/pending_changes.h"

namespace gw {

PendingChanges::PendingChanges() {
  for (std::uint32_t i = 0; i < kCapacity; ++i) {
    slots_[i].sequence.store(i, std::memory_order_relaxed);
  }
}

void PendingChanges::setListened(int index, bool listened) {
  if (index >= 0 && index < kParameterCount) {
    listened_[index].store(listened, std::memory_order_release);
  }
}

void PendingChanges::clearListened() {
  for (auto& flag : listened_) flag.store(false, std::memory_order_release);
}

bool PendingChanges::append(int index, float value) {
  if (index < 0 || index >= kParameterCount || !listened_[index].load(std::memory_order_acquire)) {
    return false;
  }
  std::uint32_t position = tail_.load(std::memory_order_relaxed);
  for (;;) {
    Slot& slot = slots_[position & kMask];
    const std::uint32_t sequence = slot.sequence.load(std::memory_order_acquire);
    const auto lag = static_cast<std::int32_t>(sequence - position);
    if (lag == 0) {
      // A failed exchange means another producer took this slot: retry at the new tail.
      if (tail_.compare_exchange_weak(position, position + 1, std::memory_order_relaxed)) {
        slot.index = index;
        slot.value = value;
        slot.sequence.store(position + 1, std::memory_order_release);
        return true;
      }
    } else if (lag < 0) {
      requestReprime();
      return true;
    } else {
      position = tail_.load(std::memory_order_relaxed);
    }
  }
}

void PendingChanges::discard() {
  drain([](int, float) {});
  reprime_.store(false, std::memory_order_release);
}

}  // namespace gw
