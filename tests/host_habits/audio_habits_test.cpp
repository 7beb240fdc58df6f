// How hosts feed the audio calls: an event list every cycle (mostly empty), blocks of any
// size up to and past the announced one, and several instances side by side on several
// threads. None of it may change what is heard.
#include <thread>

#include "tests/host_habits/habits_fixture.h"

namespace gw::test {
namespace {

constexpr int kFrames = 44100;  // one second of the first program's note

std::vector<float> difference(const std::vector<float>& a, const std::vector<float>& b) {
  std::vector<float> d(a.size());
  for (std::size_t i = 0; i < a.size(); ++i) d[i] = a[i] - b[i];
  return d;
}

// Hosts announce one block size and then call with shorter blocks (at loop points, around
// automation) or longer ones (offline bounces); the note must sound the same.
TEST(AudioHabits, BlocksShorterAndLongerThanAnnouncedSoundTheSame) {
  auto module = loadGlimmerwick();
  ASSERT_NE(module, nullptr);
  auto steady = createInstance(*module);
  auto ragged = createInstance(*module);
  ASSERT_TRUE(steady && ragged);
  steady->setBlockSize(512);
  ragged->setBlockSize(512);
  steady->sendMidi({noteOn(69)});
  ragged->sendMidi({noteOn(69)});
  // A block of no frames at all comes first, as some hosts send while starting.
  float* none[2] = {nullptr, nullptr};
  ragged->effect()->processReplacing(ragged->effect(), none, none, 0);

  const std::vector<float> reference = renderInBlocks(*steady, kFrames, {512});
  const std::vector<float> mixed = renderInBlocks(*ragged, kFrames, {1, 7, 64, 513, 2048, 4096});
  ASSERT_TRUE(finite(mixed));
  EXPECT_GT(peakOf(reference), 0.5f);
  EXPECT_LT(peakOf(difference(reference, mixed)), 1e-4f);
}

// An empty event list each cycle must neither start, stop nor disturb anything.
TEST(AudioHabits, EmptyEventListsEveryCycleLeaveNotesAlone) {
  auto module = loadGlimmerwick();
  ASSERT_NE(module, nullptr);
  auto plugin = createInstance(*module);
  ASSERT_NE(plugin, nullptr);
  EXPECT_EQ(peakOf(renderInBlocks(*plugin, 4096, {256})), 0.0f) << "sound without a note";
  plugin->sendMidi({noteOn(62)});
  const std::vector<float> held = renderInBlocks(*plugin, kFrames, {256});
  EXPECT_GT(peakOf(held, kFrames / 2), 0.5f) << "the held note faded";
  plugin->sendMidi({{{0x80, 62, 0}, 0}});
  const std::vector<float> released = renderInBlocks(*plugin, kFrames, {256});
  // The first program releases in half a second.
  EXPECT_EQ(peakOf(released, kFrames * 3 / 4), 0.0f) << "the note did not end";
}

// Two instances in one process, each on its own audio thread at the same time, keep their
// own settings: the second's "Volume" at 0.5 scales its oscillator by 0.125.
TEST(AudioHabits, TwoInstancesOnTwoThreadsKeepTheirOwnSettings) {
  auto module = loadGlimmerwick();
  ASSERT_NE(module, nullptr);
  auto loud = createInstance(*module);
  auto quiet = createInstance(*module);
  ASSERT_TRUE(loud && quiet);
  quiet->setParameter(0, 0.5f);
  EXPECT_FLOAT_EQ(loud->getParameter(0), 1.0f) << "a parameter leaked into the other instance";
  std::vector<float> a, b;
  std::thread first([&] {
    loud->sendMidi({noteOn(60)});
    a = renderInBlocks(*loud, kFrames, {128});
  });
  std::thread second([&] {
    quiet->sendMidi({noteOn(60)});
    b = renderInBlocks(*quiet, kFrames, {128});
  });
  first.join();
  second.join();
  ASSERT_GT(peakOf(a), 0.5f);
  for (float& v : a) v *= 0.125f;
  EXPECT_LT(peakOf(difference(a, b)), 1e-4f);

  // Closing one leaves the other playing.
  loud.reset();
  const std::vector<float> after = renderInBlocks(*quiet, 4410, {128});
  EXPECT_GT(peakOf(after), 0.05f);
}

}  // namespace
}  // namespace gw::test
