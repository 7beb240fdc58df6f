// Reading the module's own resources, with the user-visible failure message.
#pragma once

#include <cstddef>

namespace gw {

// The bytes of a resource as the module holds them; not owned, not terminated.
struct ResourceText {
  const std::byte* data = nullptr;
  std::size_t size = 0;
};

// Thread: any. A missing resource is reported in a message box captioned "Error" and
// yields an empty ResourceText.
ResourceText loadResourceText(int type, int id);

}  // namespace gw
