// The few VST 2.4 interface types that the SDK classes' own declarations need: the
// calling convention, the pointer-sized integer, the entry-point signatures, the editor
// rectangle and key code. The effect record, events and opcodes stay in aeffect.h, which
// only the dispatcher translation unit and the host library include.
#pragma once

#include <cstdint>

#if defined(__i386__) || defined(_M_IX86)
#define VSTCALLBACK __attribute__((cdecl))
#else
#define VSTCALLBACK
#endif

namespace vst {

// Pointer-sized integer of the interface ("VstIntPtr").
using IntPtr = std::intptr_t;

struct AEffect;
struct VstEvents;
struct VstPinProperties;
struct VstSpeakerArrangement;

using HostCallback = IntPtr(VSTCALLBACK*)(AEffect* effect, std::int32_t opcode, std::int32_t index,
                                          IntPtr value, void* ptr, float opt);
using DispatcherProc = IntPtr(VSTCALLBACK*)(AEffect* effect, std::int32_t opcode,
                                            std::int32_t index, IntPtr value, void* ptr, float opt);
using ProcessProc = void(VSTCALLBACK*)(AEffect* effect, float** inputs, float** outputs,
                                       std::int32_t sampleFrames);
using ProcessDoubleProc = void(VSTCALLBACK*)(AEffect* effect, double** inputs, double** outputs,
                                             std::int32_t sampleFrames);
using SetParameterProc = void(VSTCALLBACK*)(AEffect* effect, std::int32_t index, float value);
using GetParameterProc = float(VSTCALLBACK*)(AEffect* effect, std::int32_t index);

struct ERect {
  std::int16_t top;
  std::int16_t left;
  std::int16_t bottom;
  std::int16_t right;
};

// Built by the dispatcher from the key opcodes' index, value and opt arguments.
struct VstKeyCode {
  std::int32_t character;
  unsigned char virt;
  unsigned char modifier;
};

}  // namespace vst
