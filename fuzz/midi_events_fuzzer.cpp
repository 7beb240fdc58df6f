// Host event lists of every shape between audio blocks: arbitrary event types, sizes and
// counts (more than the note queue holds), status bytes and running data, at arbitrary
// sample rates, block sizes and factory programs. The audio must stay finite.
#include <cstdint>

#include "fuzz/fuzz_plugin.h"

namespace {

constexpr float kRates[] = {8000.0f,  11025.0f, 22050.0f, 44100.0f,
                            48000.0f, 88200.0f, 96000.0f, 192000.0f};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  gw::fuzz::quietProcess();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using gw::fuzz::dispatch;
  FuzzedDataProvider in(data, size);
  vst::AEffect* effect = gw::fuzz::createSynth();
  const float rate = in.ConsumeBool() ? in.PickValueInArray(kRates)
                                      : in.ConsumeFloatingPointInRange(1000.0f, 384000.0f);
  dispatch(effect, vst::effSetSampleRate, 0, 0, nullptr, rate);
  dispatch(effect, vst::effSetBlockSize, 0, in.ConsumeIntegralInRange<int>(1, 8192));
  dispatch(effect, vst::effSetProgram, 0, in.ConsumeIntegralInRange<int>(0, 31));
  dispatch(effect, vst::effMainsChanged, 0, 1);

  gw::fuzz::EventList events;
  for (int block = 0; block < 48 && in.remaining_bytes() > 0; ++block) {
    events.fill(in, 160);
    dispatch(effect, vst::effProcessEvents, 0, 0, events.list());
    // Mostly short blocks so that many event lists fit in one input; sometimes a long one
    // that lets envelopes and the effect's line move on.
    const std::int32_t frames = in.ConsumeIntegralInRange<int>(0, 7) == 0
                                    ? in.ConsumeIntegralInRange<int>(0, 8192)
                                    : in.ConsumeIntegralInRange<int>(0, 256);
    if (!gw::fuzz::renderBlock(effect, frames, false)) __builtin_trap();
  }
  dispatch(effect, vst::effClose);
  return 0;
}
