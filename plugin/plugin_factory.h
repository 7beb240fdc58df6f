// Creating an instance for the exported entry point: the host version check, the
// processor check, the single allocation of the synthesiser and its editor.
#pragma once

#include "plugin/vst/vst_types.h"

namespace gw {

// Whether the processor can run the engine: SSE2 as reported by CPUID leaf 1, EDX bit 26.
struct CpuProbe {
  static bool sse2Usable();
};

inline constexpr const char* kSse2Refusal =
    "Tarnwell Glimmerwick requires a processor with SSE2 capability";

// The effect record of a new synthesiser, or null when the host answers 0 to the version
// query, when sse2Usable is false (after telling the user in a message box) or when memory
// runs out. Thread: the host's loading thread.
vst::AEffect* createEffect(vst::HostCallback host, bool sse2Usable);

}  // namespace gw
