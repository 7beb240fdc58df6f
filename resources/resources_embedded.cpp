// Where the OS keeps no resources in the module file, they are compiled in as arrays.
#include "resources/resource_table.h"

#include <cstdint>

extern const unsigned char gw_knob_vertex_program[];
extern const std::size_t gw_knob_vertex_program_size;
extern const unsigned char gw_ripple_png[];
extern const std::size_t gw_ripple_png_size;

namespace gw::resources {

std::span<const std::byte> find(int type, int id) {
  auto bytes = [](const unsigned char* data, std::size_t size) {
    return std::span<const std::byte>(reinterpret_cast<const std::byte*>(data), size);
  };
  if (type == kTypeVertexProgram && id == kKnobVertexProgramId) {
    return bytes(gw_knob_vertex_program, gw_knob_vertex_program_size);
  }
  if (type == kTypeImage && id == kRippleImageId) return bytes(gw_ripple_png, gw_ripple_png_size);
  return {};
}

}  // namespace gw::resources
