// Kept in a translation unit of its own so the compiler never inlines these operators into
// callers and pairs their malloc/free with the built-in ones.
#include "tests/support/counting_allocator.h"

#include <cstdint>
#include <cstdlib>
#include <new>

namespace {

thread_local int tDepth = 0;
thread_local long tEvents = 0;

void note() {
  if (tDepth > 0) ++tEvents;
}

void* allocate(std::size_t size) {
  note();
  return std::malloc(size != 0 ? size : 1);
}

void release(void* p) {
  if (p == nullptr) return;
  note();
  std::free(p);
}

// Over-aligned blocks by hand (the Windows C library has no aligned_alloc): the address
// malloc returned is kept just before the aligned block.
void* allocateAligned(std::size_t size, std::align_val_t alignment) {
  const auto align = static_cast<std::size_t>(alignment);
  auto* raw = static_cast<char*>(allocate(size + align + sizeof(void*)));
  if (raw == nullptr) return nullptr;
  const auto base = reinterpret_cast<std::uintptr_t>(raw + sizeof(void*));
  auto* aligned = reinterpret_cast<void**>((base + align - 1) / align * align);
  aligned[-1] = raw;
  return aligned;
}

void releaseAligned(void* p) {
  if (p != nullptr) release(static_cast<void**>(p)[-1]);
}

void* orThrow(void* p) {
  if (p == nullptr) throw std::bad_alloc();
  return p;
}

}  // namespace

namespace gw::test {

AllocationCount::AllocationCount() : start_(tEvents) {
  ++tDepth;
}
AllocationCount::~AllocationCount() {
  --tDepth;
}
long AllocationCount::count() const {
  return tEvents - start_;
}

}  // namespace gw::test

void* operator new(std::size_t size) {
  return orThrow(allocate(size));
}
void* operator new[](std::size_t size) {
  return orThrow(allocate(size));
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return allocate(size);
}
void* operator new(std::size_t size, std::align_val_t a) {
  return orThrow(allocateAligned(size, a));
}
void* operator new[](std::size_t size, std::align_val_t a) {
  return orThrow(allocateAligned(size, a));
}
void* operator new(std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept {
  return allocateAligned(size, a);
}
void* operator new[](std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept {
  return allocateAligned(size, a);
}

void operator delete(void* p) noexcept {
  release(p);
}
void operator delete[](void* p) noexcept {
  release(p);
}
void operator delete(void* p, std::size_t) noexcept {
  release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  release(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
  release(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
  release(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
  releaseAligned(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
  releaseAligned(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
  releaseAligned(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
  releaseAligned(p);
}
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept {
  releaseAligned(p);
}
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept {
  releaseAligned(p);
}
