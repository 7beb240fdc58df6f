// The factory bank: the 32 presets every new instance copies into its programs. Built at
// compile time, so it exists before any instance and no instance can change it.
#pragma once

#include <array>
#include <string_view>

#include "params/parameter_table.h"

namespace gw {

struct FactoryPreset {
  const char* name;                         // at most 31 characters
  std::array<float, param::kCount> values;  // internal values by parameter index
};

constexpr int kFactoryPresetCount = 32;

// Thread: any (constant).
extern const std::array<FactoryPreset, kFactoryPresetCount> factoryBank;

namespace detail {
// Not constexpr: reaching it while the bank is being built stops the build.
void unknownParameterName();
}  // namespace detail

// The index of the uniquely named row; the reserved rows ("u", "Unused") have no unique
// name and are reached by index.
constexpr int parameterIndex(std::string_view name) {
  for (int i = 0; i < param::kCount; ++i) {
    if (name == kParameterTable[i].name && !param::isUnused(i) && !param::isReserved(i)) return i;
  }
  detail::unknownParameterName();
  return 0;
}

}  // namespace gw
