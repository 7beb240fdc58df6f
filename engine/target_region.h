// Opens and closes a region of functions compiled for an instruction set beyond SSE2
// ("avx", "avx2,fma"); GCC and clang spell it differently. Code in a region runs only
// after the processor has been checked.
#pragma once

#define GW_PRAGMA(text) _Pragma(#text)

#if defined(__clang__)
#define GW_TARGET_REGION_BEGIN(set) \
  GW_PRAGMA(clang attribute push(__attribute__((target(set))), apply_to = function))
#define GW_TARGET_REGION_END GW_PRAGMA(clang attribute pop)
#else
#define GW_TARGET_REGION_BEGIN(set) GW_PRAGMA(GCC push_options) GW_PRAGMA(GCC target(set))
#define GW_TARGET_REGION_END GW_PRAGMA(GCC pop_options)
#endif
