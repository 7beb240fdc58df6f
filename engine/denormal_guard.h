// Flush-to-zero and denormals-are-zero for one scope, restoring the caller's register.
#pragma once

#include <cstdint>

#include "engine/float4.h"

namespace gw {

class ScopedFlushDenormals {
 public:
  // Flush-to-zero (0x8000) and denormals-are-zero (0x0040). All exceptions are masked
  // too (0x1F80), so a host that unmasked them cannot turn a harmless 1/0 into a trap.
  static constexpr std::uint32_t kFlushBits = 0x8040u;
  static constexpr std::uint32_t kMaskExceptions = 0x1F80u;

  ScopedFlushDenormals() : saved_(readControlRegister()) {
    writeControlRegister(saved_ | kFlushBits | kMaskExceptions);
  }
  ~ScopedFlushDenormals() { writeControlRegister(saved_); }
  ScopedFlushDenormals(const ScopedFlushDenormals&) = delete;
  ScopedFlushDenormals& operator=(const ScopedFlushDenormals&) = delete;

 private:
  std::uint32_t saved_;
};

}  // namespace gw
