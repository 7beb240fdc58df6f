// The AVX2 encoding of a modulation chunk with fused multiply-adds, its LFO leaping eight
// frames at a time: the plain encoding's signal within single roundings. Compiled for AVX2
// and FMA; runs only after the processor has been checked.
#include <cstdint>

#include "engine/float8.h"
#include "engine/lfo.h"
#include "engine/modulation_chunk.h"
#include "engine/target_region.h"

GW_TARGET_REGION_BEGIN("avx2,fma")

namespace gw {

#define GW_WIDE_FUSED 1
#define GW_WIDE_ENTRY runModulationChunkAvx2Fma
#include "engine/modulation_wide.inc"
#undef GW_WIDE_FUSED
#undef GW_WIDE_ENTRY

}  // namespace gw

GW_TARGET_REGION_END
