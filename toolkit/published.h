// A value one thread writes and another reads whole, without a lock and without tearing:
// three slots, of which the writer fills one, the reader holds one and the third is the
// newest complete value waiting to be taken. Sized for small fixed records (no
// allocation; T is copied).
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

namespace gw {

template <class T>
class Published {
 public:
  // Thread: the one writer.
  T& slot() { return slots_[writing_]; }
  void publish() {
    writing_ = static_cast<std::uint8_t>(
        waiting_.exchange(static_cast<std::uint8_t>(writing_ | kFresh), std::memory_order_acq_rel) &
        kIndex);
  }
  // Thread: the one reader. The newest published value (a default T before any).
  const T& read() {
    if (waiting_.load(std::memory_order_relaxed) & kFresh) {
      reading_ = static_cast<std::uint8_t>(waiting_.exchange(reading_, std::memory_order_acq_rel) &
                                           kIndex);
    }
    return slots_[reading_];
  }

 private:
  static constexpr std::uint8_t kFresh = 4;
  static constexpr std::uint8_t kIndex = 3;
  std::array<T, 3> slots_{};
  std::uint8_t writing_ = 0;
  std::uint8_t reading_ = 1;
  std::atomic<std::uint8_t> waiting_{2};
};

}  // namespace gw
