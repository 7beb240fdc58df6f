#include "fuzz/fuzz_plugin.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/system.h"
#include "plugin/plugin_factory.h"

namespace gw::fuzz {
namespace {

vst::IntPtr VSTCALLBACK hostCallback(vst::AEffect*, std::int32_t opcode, std::int32_t, vst::IntPtr,
                                     void*, float) {
  return opcode == vst::audioMasterVersion ? 2400 : 0;
}

}  // namespace

void quietProcess() {
  // The editor must refuse to open rather than reach for a display, and message boxes
  // must not block or flood the log.
  unsetenv("DISPLAY");
  platform::setMessageSink([](std::string_view, std::string_view) {});
  char dir[] = "/tmp/gw-fuzz-config-XXXXXX";
  if (mkdtemp(dir) != nullptr) setenv("XDG_CONFIG_HOME", dir, 1);
}

vst::AEffect* createSynth() {
  vst::AEffect* effect = createEffect(hostCallback, true);
  if (effect == nullptr) std::abort();
  return effect;
}

vst::IntPtr dispatch(vst::AEffect* effect, std::int32_t opcode, std::int32_t index,
                     vst::IntPtr value, void* ptr, float opt) {
  return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

void EventList::fill(FuzzedDataProvider& in, int maxEvents) {
  events_.clear();
  dumps_.clear();
  const int count = in.ConsumeIntegralInRange<int>(0, maxEvents);
  for (int i = 0; i < count && in.remaining_bytes() > 0; ++i) {
    const int kind = in.ConsumeIntegralInRange<int>(0, 3);
    if (kind <= 1) {
      // MIDI: the status byte is chosen freely, so running data and system bytes come too.
      auto bytes = std::make_unique<std::uint8_t[]>(sizeof(vst::VstMidiEvent));
      vst::VstMidiEvent midi{};
      midi.type = vst::kVstMidiType;
      midi.byteSize = kind == 0 ? static_cast<std::int32_t>(sizeof midi) - 8
                                : in.ConsumeIntegral<std::int32_t>();
      midi.deltaFrames = in.ConsumeIntegral<std::int32_t>();
      midi.flags = in.ConsumeIntegral<std::int32_t>();
      for (char& c : midi.midiData) c = static_cast<char>(in.ConsumeIntegral<std::uint8_t>());
      std::memcpy(bytes.get(), &midi, sizeof midi);
      events_.push_back(std::move(bytes));
    } else if (kind == 2) {
      auto& dump = dumps_.emplace_back(in.ConsumeIntegralInRange<int>(0, 64));
      for (char& c : dump) c = static_cast<char>(in.ConsumeIntegral<std::uint8_t>());
      auto bytes = std::make_unique<std::uint8_t[]>(sizeof(vst::VstMidiSysexEvent));
      vst::VstMidiSysexEvent sysex{};
      sysex.type = vst::kVstSysExType;
      sysex.byteSize = static_cast<std::int32_t>(sizeof sysex) - 8;
      sysex.dumpBytes = static_cast<std::int32_t>(dump.size());
      sysex.sysexDump = dump.data();
      std::memcpy(bytes.get(), &sysex, sizeof sysex);
      events_.push_back(std::move(bytes));
    } else {
      // Any other type: only the common header is guaranteed to be there.
      auto bytes = std::make_unique<std::uint8_t[]>(sizeof(vst::VstEvent));
      vst::VstEvent event{};
      event.type = in.ConsumeIntegral<std::int32_t>();
      event.byteSize = in.ConsumeIntegral<std::int32_t>();
      event.deltaFrames = in.ConsumeIntegral<std::int32_t>();
      if (event.type == vst::kVstMidiType) event.type = 0;  // a MIDI event is never this short
      std::memcpy(bytes.get(), &event, sizeof event);
      events_.push_back(std::move(bytes));
    }
  }
  const std::size_t slotCount = events_.size() < 2 ? 2 : events_.size();
  header_.assign(offsetof(vst::VstEvents, events) + slotCount * sizeof(vst::VstEvent*), 0);
  vst::VstEvents* head = list();
  head->numEvents = static_cast<std::int32_t>(events_.size());
  // The list runs past the two declared slots, as hosts lay it out.
  auto* slots =
      reinterpret_cast<vst::VstEvent**>(header_.data() + offsetof(vst::VstEvents, events));
  for (std::size_t i = 0; i < events_.size(); ++i)
    slots[i] = reinterpret_cast<vst::VstEvent*>(events_[i].get());
}

bool renderBlock(vst::AEffect* effect, std::int32_t frames, bool withInputs) {
  const std::size_t n = frames > 0 ? static_cast<std::size_t>(frames) : 0;
  // Exactly-sized heap buffers: a sample written past the end is an ASan report.
  std::unique_ptr<float[]> left(new float[n + (n == 0)]);
  std::unique_ptr<float[]> right(new float[n + (n == 0)]);
  std::fill_n(left.get(), n, 123.0f);
  std::fill_n(right.get(), n, -123.0f);
  float* outputs[2] = {left.get(), right.get()};
  float* noInputs[1] = {nullptr};
  effect->processReplacing(effect, withInputs ? noInputs : nullptr, outputs, frames);
  for (std::size_t i = 0; i < n; ++i)
    if (!std::isfinite(left[i]) || !std::isfinite(right[i])) return false;
  return true;
}

}  // namespace gw::fuzz
