// The 16 bytes the engine publishes once per block for the editor's animations.
#pragma once

#include <cstdint>

namespace gw {

struct ActivityRecord {
  std::uint32_t reserved0 = 0;
  std::uint32_t reserved1 = 0;
  float activity = 0.0f;  // sum of the sounding voices' amplitude-envelope levels
  std::uint32_t reserved2 = 0;
};
static_assert(sizeof(ActivityRecord) == 16);

}  // namespace gw
