// Any test binary that links gw_test_counting_allocator has the global operator new and
// delete replaced by versions that count, per thread, every allocation and every free made
// while an AllocationCount lives on that thread. The audio-thread tests use it to prove
// that rendering and parameter changes never touch the heap.
#pragma once

namespace gw::test {

class AllocationCount {
 public:
  AllocationCount();
  ~AllocationCount();
  AllocationCount(const AllocationCount&) = delete;
  AllocationCount& operator=(const AllocationCount&) = delete;

  // Allocations plus frees on this thread since construction.
  long count() const;

 private:
  long start_;
};

}  // namespace gw::test
