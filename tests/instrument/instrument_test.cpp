// The seam every format calls: which value set plays, how values come in, and which
// thread may do what while the audio thread renders.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#include "instrument/instrument.h"
#include "params/factory_bank.h"
#include "params/parameter_table.h"
#include "tests/engine/audio_measure.h"

namespace gw {
namespace {

constexpr float kRate = 48000.0f;
constexpr int kBlock = 256;
constexpr std::uint8_t kNoteOn69[] = {0x90, 69, 100};

float blockPeak(Instrument& instrument) {
  std::vector<float> left(kBlock), right(kBlock);
  instrument.render(kRate, left.data(), right.data(), kBlock);
  return test::peak(left, 0, left.size());
}

TEST(Instrument, PlaysTheTableDefaultsUntilGivenAValueSet) {
  Instrument instrument;
  for (int i = 0; i < param::kCount; ++i)
    EXPECT_EQ(instrument.value(i), kParameterTable[i].defaultValue) << i;
  EXPECT_EQ(instrument.value(-1), 0.0f);
  EXPECT_EQ(instrument.value(param::kCount), 0.0f);
  EXPECT_TRUE(Instrument::processorSupported());  // every machine that runs this has SSE2
}

TEST(Instrument, TakesValuesIntoItsOwnSetAndRefusesWhatTheModelRefuses) {
  Instrument instrument;
  EXPECT_EQ(instrument.takeValue(param::kFilterCutoff, 1e9f), 12000.0f);
  EXPECT_EQ(instrument.value(param::kFilterCutoff), 12000.0f);
  EXPECT_FALSE(instrument.takeValue(param::kSustain, std::nanf("")));
  EXPECT_FALSE(instrument.takeValue(39, 1.0f));
  EXPECT_FALSE(instrument.takeValue(param::kCount, 1.0f));
  EXPECT_EQ(instrument.value(param::kSustain), kParameterTable[param::kSustain].defaultValue);
}

// A format that keeps its own values (the VST module's current program) points the
// instrument at them; the switch shows from the next block (a change of Volume ramps
// across it), and null returns to the own set.
TEST(Instrument, AnotherValueSetPlaysFromTheNextBlock) {
  Instrument instrument;
  std::array<ParamValue, param::kCount> silent;
  for (int i = 0; i < param::kCount; ++i)
    silent[i].store(factoryBank[0].values[i], std::memory_order_relaxed);
  silent[param::kVolume].store(0.0f, std::memory_order_relaxed);

  instrument.takeMidi(0, kNoteOn69, 3);
  EXPECT_GT(blockPeak(instrument), 0.0f);
  instrument.playValues(silent.data());
  EXPECT_EQ(instrument.value(param::kVolume), 0.0f);
  EXPECT_GT(blockPeak(instrument), 0.0f);
  EXPECT_EQ(blockPeak(instrument), 0.0f);
  instrument.playValues(nullptr);
  EXPECT_EQ(instrument.value(param::kVolume), 1.0f);
  EXPECT_GT(blockPeak(instrument), 0.0f);
}

// Values arrive from the host's other threads while the audio thread renders (a host may
// automate from any thread, switch programs from its UI thread); nothing tears and the
// output stays finite. Under ThreadSanitizer this is the contract's proof.
TEST(InstrumentConcurrent, ValuesAndValueSetsChangeWhileTheAudioThreadRenders) {
  Instrument instrument;
  std::array<ParamValue, param::kCount> program;
  for (int i = 0; i < param::kCount; ++i)
    program[i].store(factoryBank[7].values[i], std::memory_order_relaxed);
  std::atomic<bool> done{false};
  bool finite = true;
  std::thread audio([&] {
    std::vector<float> left(kBlock), right(kBlock);
    for (int block = 0; block < 400; ++block) {
      if (block % 40 == 0) instrument.takeMidi(0, kNoteOn69, 3);
      instrument.render(kRate, left.data(), right.data(), kBlock);
      for (float v : left) finite = finite && std::isfinite(v);
    }
    done.store(true);
  });
  for (int n = 0; !done.load(); ++n) {
    const int index = n % param::kCount;
    const ParameterInfo& row = kParameterTable[index];
    instrument.takeValue(index, row.minimum + (row.maximum - row.minimum) * float(n % 7) / 6);
    program[index].store(row.defaultValue, std::memory_order_relaxed);
    if (n % 50 == 0) instrument.playValues(n % 100 == 0 ? program.data() : nullptr);
    (void)instrument.activity();
  }
  audio.join();
  EXPECT_TRUE(finite);
}

}  // namespace
}  // namespace gw
