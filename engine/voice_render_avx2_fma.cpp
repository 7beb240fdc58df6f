// The AVX2 build of the voice loop with fused multiply-adds in the oscillator, the filter,
// its coefficients, the pulse width and the LFOs' gains, which differ from the SSE2 build
// by single roundings (far below hearing); the envelopes, LFOs and phase step as there.
// Everything here is compiled for AVX2 and FMA and runs only after the processor has been
// checked.
#include <cstdint>

#include "engine/float8.h"
#include "engine/target_region.h"
#include "engine/voice_solo.h"

GW_TARGET_REGION_BEGIN("avx2,fma")

namespace gw {

#define GW_PAIR_FUSED 1
#define GW_PAIR_ENTRY renderVoicesAvx2Fma
#include "engine/pair_voice_loop.inc"
#undef GW_PAIR_FUSED
#undef GW_PAIR_ENTRY

}  // namespace gw

GW_TARGET_REGION_END
