#include "gfx/resource_loader.h"

#include <string>

#include "platform/system.h"
#include "resources/resource_table.h"

namespace gw {

ResourceText loadResourceText(int type, int id) {
  const auto bytes = resources::find(type, id);
  if (bytes.empty()) {
    platform::showMessageBox("The specified resource (type " + std::to_string(type) + ", id " +
                                 std::to_string(id) + ") cannot be found in the module.",
                             "Error", platform::MessageIcon::Warning);
    return {};
  }
  return {bytes.data(), bytes.size()};
}

}  // namespace gw
