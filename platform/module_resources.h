// The module's own resources where the OS keeps them inside the module file (Windows):
// found by integer type and id in the module this code is linked into.
#pragma once

#include <cstddef>
#include <span>

namespace gw::platform {

// Thread: any. The bytes as the module maps them (read-only, not terminated, valid while
// the module is loaded); empty when there is no such resource or a step fails (the
// caller reports it, with GetLastError's text still in lastErrorText).
std::span<const std::byte> findModuleResource(int type, int id);

}  // namespace gw::platform
