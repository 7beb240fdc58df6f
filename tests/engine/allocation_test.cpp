// Proves that rendering, with notes and parameter changes, never touches the heap.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "test_program.h"
#include "tests/support/counting_allocator.h"

namespace gw {
namespace {

TEST(AudioThread, RenderingWithNotesAndParameterChangesAllocatesNothing) {
  auto engine = test::makeEngine();
  test::TestProgram program;
  program.set(param::kModulationOnOff, 1.0f);
  program.set(param::kModulationVoices, 4.0f);
  program.set(param::kFilterType, 1.5f);
  std::vector<float> left(512), right(512);
  test::AllocationCount allocations;
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
  EXPECT_EQ(allocations.count(), 0);
  EXPECT_GT(engine->voiceCount(), 0);
}

}  // namespace
}  // namespace gw

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
