// The AVX build of the voice loop: lane by lane the same operations in the same order as
// the SSE2 build, so both give identical samples. Everything here is compiled for AVX and
// runs only after the processor has been checked.
#include <cstdint>

#include "engine/float8.h"
#include "engine/target_region.h"
#include "engine/voice_solo.h"

GW_TARGET_REGION_BEGIN("avx")

namespace gw {

#define GW_PAIR_FUSED 0
#define GW_PAIR_ENTRY renderVoicesAvx
#include "engine/pair_voice_loop.inc"
#undef GW_PAIR_FUSED
#undef GW_PAIR_ENTRY

}  // namespace gw

GW_TARGET_REGION_END
