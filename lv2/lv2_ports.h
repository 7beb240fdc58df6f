// What the LV2 bundle is called and how its ports are numbered: shared by the instrument,
// its UI and the Turtle that describes both.
#pragma once

#include <cstdint>

#include "params/parameter_ids.h"

namespace gw::lv2 {

// Port indices: the parameters keep their own index, the rest follow them.
enum PortIndex : std::uint32_t {
  kMidiInPort = param::kCount,
  kOutLeftPort,
  kOutRightPort,
  kActivityPort,
  kPortCount
};

inline constexpr const char* kPluginUri = "urn:tarnwell:glimmerwick";
inline constexpr const char* kUiUri = "urn:tarnwell:glimmerwick:ui";
inline constexpr const char* kBinaryName = "glimmerwick_lv2.so";

}  // namespace gw::lv2
