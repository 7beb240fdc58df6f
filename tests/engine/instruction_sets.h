// The encodings of the voice loop the engine tests compare.
#pragma once

#include <cmath>
#include <cstdlib>
#include <vector>

#include "engine/voice_render.h"

namespace gw::test {

// With GW_ENGINE_PLAIN_INSTRUCTIONS set, the whole engine suite runs on the SSE2 path;
// tests that switch encodings return to this one.
inline InstructionSet defaultLimit() {
  return std::getenv("GW_ENGINE_PLAIN_INSTRUCTIONS") == nullptr ? InstructionSet::kAvx2Fma
                                                                : InstructionSet::kSse2;
}

// Every set this processor can run, the plain one first.
inline std::vector<InstructionSet> usableSets() {
  const InstructionSet top = usableInstructions(processorFeatures());
  std::vector<InstructionSet> sets{InstructionSet::kSse2};
  if (top >= InstructionSet::kAvx) sets.push_back(InstructionSet::kAvx);
  if (top >= InstructionSet::kAvx2Fma) sets.push_back(InstructionSet::kAvx2Fma);
  return sets;
}

// Signal to difference ratio of x against the reference, in dB.
inline double snrDb(const std::vector<float>& reference, const std::vector<float>& x) {
  double signal = 0.0, noise = 0.0;
  for (size_t i = 0; i < reference.size(); ++i) {
    signal += static_cast<double>(reference[i]) * reference[i];
    const double d = static_cast<double>(x[i]) - reference[i];
    noise += d * d;
  }
  return noise == 0.0 ? 1000.0 : 10.0 * std::log10(signal / noise);
}

}  // namespace gw::test
