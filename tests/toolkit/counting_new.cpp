// A global operator new that counts the allocations of threads that ask it to. Kept in
// its own file so that the compiler does not pair its malloc with inlined deletes.
#include <atomic>
#include <cstdlib>
#include <new>

namespace gw::test {
thread_local bool countAllocations = false;
std::atomic<int> allocations{0};
}  // namespace gw::test

void* operator new(std::size_t size) {
  if (gw::test::countAllocations) gw::test::allocations.fetch_add(1);
  if (void* p = std::malloc(size != 0 ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
