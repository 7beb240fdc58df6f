// Read-only view of one program's 180 parameter values, in internal units.
// The values are written by host and editor threads while the audio thread reads them:
// each is a relaxed atomic 32-bit float, so a reader sees the old or the new value whole.
#pragma once

#include <atomic>

#include "params/parameter_ids.h"

namespace gw {

using ParamValue = std::atomic<float>;
static_assert(sizeof(ParamValue) == 4 && ParamValue::is_always_lock_free);

class ParamView {
 public:
  explicit ParamView(const ParamValue* values) : values_(values) {}
  // Thread: any. index must be in 0..179.
  float operator[](int index) const { return values_[index].load(std::memory_order_relaxed); }

 private:
  const ParamValue* values_;
};

}  // namespace gw
