// What the plug-in fuzzers share: a quiet process (no display, no message boxes, a
// private preferences folder), a synthesiser created through the real entry path, and
// host-built event lists of arbitrary shape.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "plugin/vst/aeffect.h"

namespace gw::fuzz {

// Once per process, before the first input.
void quietProcess();

// A synthesiser as VSTPluginMain makes it; the caller closes it with effClose.
vst::AEffect* createSynth();

vst::IntPtr dispatch(vst::AEffect* effect, std::int32_t opcode, std::int32_t index = 0,
                     vst::IntPtr value = 0, void* ptr = nullptr, float opt = 0.0f);

// A VstEvents list as a host lays it out, owning its events: MIDI events with arbitrary
// bytes and fields, SysEx events with real dumps, and events of other types and sizes.
class EventList {
 public:
  // Up to maxEvents events drawn from the input.
  void fill(FuzzedDataProvider& in, int maxEvents);
  vst::VstEvents* list() { return reinterpret_cast<vst::VstEvents*>(header_.data()); }

 private:
  std::vector<std::unique_ptr<std::uint8_t[]>> events_;
  std::vector<std::vector<char>> dumps_;
  std::vector<std::uint8_t> header_;
};

// Renders one block into buffers of exactly `frames` samples (so a write past them is
// caught) and returns false when a sample is not finite.
bool renderBlock(vst::AEffect* effect, std::int32_t frames, bool withInputs);

}  // namespace gw::fuzz
