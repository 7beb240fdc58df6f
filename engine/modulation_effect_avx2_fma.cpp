// The AVX2 encoding of a modulation chunk, with fused multiply-adds: the LFO's steps and
// the feedback round once where the plain encoding rounds twice (far below hearing), and
// the LFO's chain from one frame to the next is shorter. Compiled for AVX2 and FMA; runs
// only after the processor has been checked.
#include <algorithm>
#include <cstdint>

#include "engine/float8.h"
#include "engine/lfo.h"
#include "engine/modulation_chunk.h"
#include "engine/target_region.h"

GW_TARGET_REGION_BEGIN("avx2,fma")

namespace gw {

#define GW_EFFECT_FUSED 1
#define GW_EFFECT_ENTRY runModulationChunkAvx2Fma
#include "engine/modulation_pairs.inc"
#undef GW_EFFECT_FUSED
#undef GW_EFFECT_ENTRY

}  // namespace gw

GW_TARGET_REGION_END
