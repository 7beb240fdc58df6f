// In a translation unit of its own, so the compiler never inlines these into callers and
// pairs their malloc/free with the built-in operators.
#include "tests/plugin/counting_allocator.h"

#include <cstdint>
#include <cstdlib>
#include <new>

namespace gw::test {

std::atomic<bool> counting{false};
std::atomic<int> allocations{0};

}  // namespace gw::test

namespace {

// Over-aligned blocks by hand (the Windows C library has no aligned_alloc): the malloc'd
// address is kept just before the aligned block.
void* alignedBlock(std::size_t size, std::size_t align) {
  void* raw = std::malloc(size + align + sizeof(void*));
  if (raw == nullptr) return nullptr;
  const auto base = reinterpret_cast<std::uintptr_t>(raw) + sizeof(void*);
  auto* aligned = reinterpret_cast<void**>((base + align - 1) / align * align);
  aligned[-1] = raw;
  return aligned;
}

void freeAligned(void* p) {
  if (p != nullptr) std::free(static_cast<void**>(p)[-1]);
}

}  // namespace

void* operator new(std::size_t size) {
  if (gw::test::counting.load(std::memory_order_relaxed)) gw::test::allocations.fetch_add(1);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
  return operator new(size);
}
void* operator new(std::size_t size, std::align_val_t align) {
  if (gw::test::counting.load(std::memory_order_relaxed)) gw::test::allocations.fetch_add(1);
  if (void* p = alignedBlock(size, static_cast<std::size_t>(align))) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size, std::align_val_t align) {
  return operator new(size, align);
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete[](void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  std::free(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
  freeAligned(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
  freeAligned(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
  freeAligned(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
  freeAligned(p);
}
// The nothrow forms must pair with the free above, so they go through the same path.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return operator new(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
  return operator new(size, tag);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
  std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
  std::free(p);
}
void* operator new(std::size_t size, std::align_val_t align, const std::nothrow_t&) noexcept {
  try {
    return operator new(size, align);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept {
  freeAligned(p);
}
