// The AVX encoding of a modulation chunk: lane by lane the plain encoding's operations in
// its order, so both give the same values. Compiled for AVX; runs only after the processor
// has been checked.
#include <cstdint>

#include "engine/float8.h"
#include "engine/lfo.h"
#include "engine/modulation_chunk.h"
#include "engine/target_region.h"

GW_TARGET_REGION_BEGIN("avx")

namespace gw {

#define GW_WIDE_FUSED 0
#define GW_WIDE_ENTRY runModulationChunkAvx
#include "engine/modulation_wide.inc"
#undef GW_WIDE_FUSED
#undef GW_WIDE_ENTRY

}  // namespace gw

GW_TARGET_REGION_END
