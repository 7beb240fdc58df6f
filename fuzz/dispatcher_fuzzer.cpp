// Arbitrary sequences of host calls on one synthesiser: every opcode with arbitrary index,
// value and float; pointer arguments are null or real buffers of a fuzzed size at least as
// large as hosts give for that opcode; parameters, events and audio blocks in between.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "fuzz/fuzz_plugin.h"

namespace {

using gw::fuzz::dispatch;

enum class Arg {
  None,        // ptr unused: null or an arbitrary integer
  Text,        // the plug-in writes a terminated text
  String,      // the plug-in reads a terminated text
  Struct,      // the plug-in may fill a record
  PointerOut,  // the plug-in may store a pointer through ptr
  Events,      // a VstEvents list
  Chunk,       // bytes of value length
  Window,      // the host's window handle (no display: refused)
};

struct OpcodeArg {
  Arg arg;
  std::size_t minimum;  // bytes hosts give for it
};

// Buffers hosts commonly pass: the interface's capacities, at least 24 bytes for the
// parameter texts that every plug-in fills beyond the nominal 8.
OpcodeArg argOf(std::int32_t opcode) {
  switch (opcode) {
    case vst::effGetProgramName:
    case vst::effGetParamLabel:
    case vst::effGetParamDisplay:
    case vst::effGetParamName:
    case vst::effGetProgramNameIndexed:
      return {Arg::Text, vst::kVstMaxProgNameLen};
    case vst::effGetEffectName:
    case vst::effGetErrorText:
      return {Arg::Text, vst::kVstMaxEffectNameLen};
    case vst::effGetVendorString:
    case vst::effGetProductString:
      return {Arg::Text, vst::kVstMaxVendorStrLen};
    case vst::effSetProgramName:
    case vst::effCanDo:
    case vst::effString2Parameter:
      return {Arg::String, 0};
    case vst::effGetInputProperties:
    case vst::effGetOutputProperties:
      return {Arg::Struct, sizeof(vst::VstPinProperties)};
    case vst::effGetParameterProperties:
    case vst::effGetMidiProgramName:
    case vst::effGetCurrentMidiProgram:
    case vst::effGetMidiProgramCategory:
    case vst::effGetMidiKeyName:
    case vst::effVendorSpecific:
      return {Arg::Struct, 256};
    case vst::effEditGetRect:
    case vst::effGetChunk:
    case vst::effGetSpeakerArrangement:
      return {Arg::PointerOut, sizeof(void*)};
    case vst::effProcessEvents:
      return {Arg::Events, 0};
    case vst::effSetChunk:
    case vst::effBeginLoadBank:
    case vst::effBeginLoadProgram:
    case vst::effSetSpeakerArrangement:
      return {Arg::Chunk, 0};
    case vst::effEditOpen:
      return {Arg::Window, 0};
    default:
      return {Arg::None, 0};
  }
}

// One dispatcher call with arguments drawn from the input. False after effClose.
bool fuzzDispatch(vst::AEffect* effect, FuzzedDataProvider& in, gw::fuzz::EventList& events) {
  // Mostly the opcodes the interface defines, sometimes any number at all.
  const std::int32_t opcode = in.ConsumeBool() ? in.ConsumeIntegralInRange<std::int32_t>(
                                                     0, vst::effGetNumMidiOutputChannels + 2)
                                               : in.ConsumeIntegral<std::int32_t>();
  if (opcode == vst::effClose) return false;
  const std::int32_t index = in.ConsumeBool() ? in.ConsumeIntegralInRange<int>(-2, 200)
                                              : in.ConsumeIntegral<std::int32_t>();
  vst::IntPtr value = in.ConsumeBool() ? in.ConsumeIntegralInRange<vst::IntPtr>(-2, 200)
                                       : in.ConsumeIntegral<vst::IntPtr>();
  const float opt = in.ConsumeBool() ? in.ConsumeFloatingPointInRange(0.0f, 400000.0f)
                                     : in.ConsumeFloatingPoint<float>();
  const bool null = in.ConsumeIntegralInRange<int>(0, 7) == 0;
  const OpcodeArg arg = argOf(opcode);

  std::vector<std::uint8_t> buffer;
  void* holder[2] = {nullptr, nullptr};
  void* ptr = nullptr;
  switch (arg.arg) {
    case Arg::None:
      // Opcodes without a pointer argument must not look at it.
      ptr = null ? nullptr : holder;
      break;
    case Arg::Text:
    case Arg::Struct:
      // Filled with garbage behind an empty text, so a reply cut without its zero shows.
      buffer.resize(arg.minimum + in.ConsumeIntegralInRange<int>(0, 64), 0xAA);
      buffer[0] = 0;
      ptr = null ? nullptr : buffer.data();
      break;
    case Arg::String: {
      const std::string text = in.ConsumeRandomLengthString(300);
      buffer.assign(text.begin(), text.end());
      buffer.push_back(0);
      ptr = null ? nullptr : buffer.data();
      break;
    }
    case Arg::PointerOut:
      // Speaker arrangements also come back through value.
      if (opcode == vst::effGetSpeakerArrangement)
        value = reinterpret_cast<vst::IntPtr>(&holder[1]);
      ptr = null ? nullptr : &holder[0];
      break;
    case Arg::Events:
      events.fill(in, 80);
      ptr = null ? nullptr : events.list();
      break;
    case Arg::Chunk:
      buffer.resize(in.ConsumeIntegralInRange<int>(0, 512), 0x55);
      if (opcode == vst::effSetChunk) value = static_cast<vst::IntPtr>(buffer.size());
      if (opcode == vst::effSetSpeakerArrangement) value = 0;
      ptr = null ? nullptr : buffer.data();
      break;
    case Arg::Window:
      ptr =
          reinterpret_cast<void*>(static_cast<std::uintptr_t>(in.ConsumeIntegral<std::uint32_t>()));
      break;
  }
  dispatch(effect, opcode, index, value, ptr, opt);
  // A text reply must be terminated inside the buffer it was given.
  if (arg.arg == Arg::Text && ptr != nullptr &&
      std::memchr(buffer.data(), 0, buffer.size()) == nullptr) {
    std::fprintf(stderr, "opcode %d index %d: text not terminated in %zu bytes\n", opcode, index,
                 buffer.size());
    __builtin_trap();
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  gw::fuzz::quietProcess();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  vst::AEffect* effect = gw::fuzz::createSynth();
  gw::fuzz::EventList events;
  for (int step = 0; step < 64 && in.remaining_bytes() > 0; ++step) {
    switch (in.ConsumeIntegralInRange<int>(0, 5)) {
      case 0:
      case 1:
        if (!fuzzDispatch(effect, in, events)) step = 64;
        break;
      case 2: {
        const std::int32_t index = in.ConsumeIntegralInRange<int>(-4, 184);
        effect->setParameter(effect, index, in.ConsumeFloatingPoint<float>());
        break;
      }
      case 3:
        (void)effect->getParameter(effect, in.ConsumeIntegral<std::int32_t>());
        break;
      case 4:
        events.fill(in, 80);
        dispatch(effect, vst::effProcessEvents, 0, 0, events.list());
        break;
      case 5:
        gw::fuzz::renderBlock(effect, in.ConsumeIntegralInRange<int>(-8, 2048), in.ConsumeBool());
        break;
    }
  }
  dispatch(effect, vst::effClose);
  return 0;
}
