// Code built for 32-bit Windows by other compilers keeps the stack only 4-byte aligned,
// so a host may call every entry of the module with the stack pointer at any multiple of
// four. The module's SSE code must realign for itself instead of faulting on an aligned
// spill.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/module_loader.h"
#include "plugin/vst/aeffect.h"

namespace {

// Calls the cdecl function fn with 32-bit arguments, the stack pointer at the call
// instruction `misalignment` bytes below a 16-byte boundary. Returns EAX.
std::uint32_t callMisaligned(const void* fn, const std::uint32_t* args, std::uint32_t count,
                             std::uint32_t misalignment) {
  std::uint32_t result;
  std::uint32_t words = count;
  std::uint32_t gap = misalignment;
  asm volatile(
      "movl %%esp, %%ebx\n\t"
      "leal (,%%ecx,4), %%eax\n\t"
      "subl %%eax, %%esp\n\t"
      "andl $-16, %%esp\n\t"
      "subl %%edx, %%esp\n\t"
      "1:\n\t"
      "testl %%ecx, %%ecx\n\t"
      "jz 2f\n\t"
      "decl %%ecx\n\t"
      "movl (%%edi,%%ecx,4), %%eax\n\t"
      "movl %%eax, (%%esp,%%ecx,4)\n\t"
      "jmp 1b\n\t"
      "2:\n\t"
      "call *%%esi\n\t"
      "movl %%ebx, %%esp\n\t"
      : "=a"(result), "+c"(words), "+d"(gap), "+S"(fn), "+D"(args)
      :
      : "ebx", "memory", "cc", "xmm0", "xmm1", "xmm2", "xmm3", "xmm4", "xmm5", "xmm6", "xmm7");
  return result;
}

template <typename T>
std::uint32_t word(T value) {
  static_assert(sizeof(T) == 4);
  std::uint32_t w;
  std::memcpy(&w, &value, 4);
  return w;
}

vst::IntPtr VSTCALLBACK hostCallback(vst::AEffect*, std::int32_t opcode, std::int32_t, vst::IntPtr,
                                     void*, float) {
  return opcode == vst::audioMasterVersion ? 2400 : 0;
}

class MisalignedHost {
 public:
  MisalignedHost(vst::AEffect* effect, std::uint32_t misalignment)
      : effect_(effect), misalignment_(misalignment) {}

  vst::IntPtr dispatch(std::int32_t opcode, std::int32_t index, vst::IntPtr value, void* ptr,
                       float opt) {
    const std::uint32_t args[] = {word(effect_), word(opcode), word(index),
                                  word(value),   word(ptr),    word(opt)};
    return static_cast<vst::IntPtr>(
        callMisaligned(reinterpret_cast<const void*>(effect_->dispatcher), args, 6, misalignment_));
  }
  void process(float** outputs, std::int32_t frames) {
    float* noInputs[1] = {nullptr};
    const std::uint32_t args[] = {word(effect_), word(&noInputs[0]), word(outputs), word(frames)};
    callMisaligned(reinterpret_cast<const void*>(effect_->processReplacing), args, 4,
                   misalignment_);
  }

 private:
  vst::AEffect* effect_;
  std::uint32_t misalignment_;
};

class MisalignedStack : public testing::TestWithParam<std::uint32_t> {};

TEST_P(MisalignedStack, TheModuleCreatesPlaysAndClosesAtAnyStackAlignment) {
  const std::uint32_t misalignment = GetParam();
  std::string error;
  gw::platform::ModuleHandle module = gw::platform::loadModule(GW_MODULE_PATH, error);
  ASSERT_NE(module, nullptr) << error;
  const void* entry = gw::platform::findModuleSymbol(module, "VSTPluginMain");
  ASSERT_NE(entry, nullptr);

  const std::uint32_t entryArgs[] = {word(&hostCallback)};
  auto* effect = reinterpret_cast<vst::AEffect*>(callMisaligned(entry, entryArgs, 1, misalignment));
  ASSERT_NE(effect, nullptr);
  MisalignedHost host(effect, misalignment);
  host.dispatch(vst::effOpen, 0, 0, nullptr, 0.0f);
  host.dispatch(vst::effSetSampleRate, 0, 0, nullptr, 44100.0f);
  host.dispatch(vst::effSetBlockSize, 0, 512, nullptr, 0.0f);
  host.dispatch(vst::effMainsChanged, 0, 1, nullptr, 0.0f);

  vst::VstMidiEvent note{};
  note.type = vst::kVstMidiType;
  note.byteSize = sizeof note;
  note.midiData[0] = static_cast<char>(0x90);
  note.midiData[1] = 69;
  note.midiData[2] = 100;
  vst::VstEvents events{};
  events.numEvents = 1;
  events.events[0] = reinterpret_cast<vst::VstEvent*>(&note);
  host.dispatch(vst::effProcessEvents, 0, 0, &events, 0.0f);

  std::vector<float> left(512), right(512);
  float* outputs[2] = {left.data(), right.data()};
  float peak = 0.0f;
  bool finite = true;
  for (int block = 0; block < 20; ++block) {
    host.process(outputs, 512);
    for (float v : left) {
      finite = finite && std::isfinite(v);
      peak = std::max(peak, std::fabs(v));
    }
  }
  host.dispatch(vst::effClose, 0, 0, nullptr, 0.0f);
  gw::platform::unloadModule(module);

  EXPECT_TRUE(finite);
  EXPECT_GT(peak, 0.01f) << "a held note made no sound";
}

// 0: the 16-byte alignment GCC keeps; 4, 8 and 12: what other compilers' hosts may leave.
INSTANTIATE_TEST_SUITE_P(Win32, MisalignedStack, testing::Values(0u, 4u, 8u, 12u));

}  // namespace
