// Proves that rendering, with notes and parameter changes, never touches the heap.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

#include "test_program.h"

namespace {
std::atomic<long> gAllocations{0};
}

namespace {

void* counted(std::size_t size) {
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}

void release(void* p) {
  if (p) gAllocations.fetch_add(1, std::memory_order_relaxed);
  std::free(p);
}

// Over-aligned blocks by hand (Windows has no aligned_alloc): the malloc'd address is
// kept just before the aligned block.
void* countedAligned(std::size_t size, std::align_val_t align) {
  const std::size_t a = static_cast<std::size_t>(align);
  auto* raw = static_cast<char*>(counted(size + a + sizeof(void*)));
  const auto base = reinterpret_cast<std::uintptr_t>(raw + sizeof(void*));
  auto* aligned = reinterpret_cast<char*>((base + a - 1) / a * a);
  reinterpret_cast<void**>(aligned)[-1] = raw;
  return aligned;
}

void releaseAligned(void* p) {
  if (p) release(reinterpret_cast<void**>(p)[-1]);
}

}  // namespace

void* operator new(std::size_t size) {
  return counted(size);
}
void* operator new[](std::size_t size) {
  return counted(size);
}
void* operator new(std::size_t size, std::align_val_t a) {
  return countedAligned(size, a);
}
void* operator new[](std::size_t size, std::align_val_t a) {
  return countedAligned(size, a);
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

namespace gw {
namespace {

TEST(AudioThread, RenderingWithNotesAndParameterChangesAllocatesNothing) {
  auto engine = test::makeEngine();
  test::TestProgram program;
  program.set(param::kModulationOnOff, 1.0f);
  program.set(param::kModulationVoices, 4.0f);
  program.set(param::kFilterType, 1.5f);
  std::vector<float> left(512), right(512);
  const long before = gAllocations.load();
  for (int block = 0; block < 400; ++block) {
    const std::uint8_t on[3] = {0x90, static_cast<std::uint8_t>(30 + block % 60), 100};
    const std::uint8_t off[3] = {0x80, static_cast<std::uint8_t>(30 + (block + 40) % 60), 0};
    const std::uint8_t bend[3] = {0xE0, 0, static_cast<std::uint8_t>(block % 128)};
    engine->midiMessage(on, 3);
    engine->midiMessage(off, 3);
    engine->midiMessage(bend, 3);
    program.set(param::kFilterCutoff, 100.0f + block * 20.0f);
    program.set(param::level(block % 16 + 1), (block % 7) / 7.0f);
    program.set(param::kModulationDelay, static_cast<float>(block % 500));
    engine->renderBlock(program.view(), block < 200 ? 44100.0f : 96000.0f, left.data(),
                        right.data(), 1 + block % 512);
  }
  EXPECT_EQ(gAllocations.load() - before, 0);
  EXPECT_GT(engine->voiceCount(), 0);
}

}  // namespace
}  // namespace gw

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
