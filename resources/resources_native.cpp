// Where the OS keeps resources in the module file, they are read from there.
#include "platform/module_resources.h"
#include "resources/resource_table.h"

namespace gw::resources {

std::span<const std::byte> find(int type, int id) {
  return platform::findModuleResource(type, id);
}

}  // namespace gw::resources
