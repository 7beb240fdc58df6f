// Requests a host may make of the module through effVendorSpecific beyond the editor's
// frame grab (editor/frame_grab.h). Other modules may give vendor-specific calls meanings
// of their own, so a host asks only a module whose unique id is kModuleUniqueId.
#pragma once

#include <cstdint>

namespace gw {

// 'TWgw', most significant character first.
constexpr std::int32_t kModuleUniqueId = ('T' << 24) | ('W' << 16) | ('g' << 8) | 'w';

// Answers how many MIDI messages the module has refused since it was created because a
// block brought more than it holds; hosts report it from their own threads, since the
// audio thread prints nothing.
constexpr std::int32_t kRefusedMidiRequest = 0x47574d69;  // 'GWMi'

}  // namespace gw
