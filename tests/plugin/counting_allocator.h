// Global operator new replaced by a counting version (counting_allocator.cpp); a binary
// that links it counts every allocation made while counting is on.
#pragma once

#include <atomic>

namespace gw::test {

extern std::atomic<bool> counting;
extern std::atomic<int> allocations;

}  // namespace gw::test
