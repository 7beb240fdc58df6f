// The AVX encoding of a modulation chunk: lane by lane the plain encoding's operations in
// its order, so both give the same values. Compiled for AVX; runs only after the processor
// has been checked.
#include <algorithm>
#include <cstdint>

#include "engine/float8.h"
#include "engine/lfo.h"
#include "engine/modulation_chunk.h"
#include "engine/target_region.h"

GW_TARGET_REGION_BEGIN("avx")

namespace gw {

#define GW_EFFECT_FUSED 0
#define GW_EFFECT_ENTRY runModulationChunkAvx
#include "engine/modulation_pairs.inc"
#undef GW_EFFECT_FUSED
#undef GW_EFFECT_ENTRY

}  // namespace gw

GW_TARGET_REGION_END
