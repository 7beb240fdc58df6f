// Whether this processor can run the engine at all: every per-sample path is SSE2.
#pragma once

namespace gw {

// True when the processor reports SSE2 (CPUID leaf 1, EDX bit 26). A processor without
// the CPUID instruction counts as lacking SSE2. Thread: any.
bool processorHasSse2();

}  // namespace gw
