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

const platform::DialogTemplate& aboutDialogTemplate() {
  using Kind = platform::DialogControl::Kind;
  // Dialog units; the product and version texts are placeholders filled in at start.
  static const platform::DialogTemplate dialog{
      "About",
      "MS Sans Serif",
      8,
      200,
      178,
      {
          {about::kMaker, Kind::StaticText, "Tarnwell", 8, 10, 70, 10},
          {about::kProduct, Kind::StaticText, "product", 8, 22, 70, 10},
          {about::kVersion, Kind::StaticText, "xx.xx.xx", 8, 34, 70, 10},
          {about::kPreferencesFrame, Kind::GroupBox, "Preferences", 8, 110, 184, 48},
          {about::kFloatingTooltip, Kind::AutoCheckBox, "Floating tooltip", 12, 122, 176, 10},
          {about::kOk, Kind::DefaultPushButton, "OK", 80, 162, 40, 12},
      }};
  return dialog;
}

}  // namespace gw::resources
