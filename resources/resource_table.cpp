#include "resources/resource_table.h"

namespace gw::resources {

const platform::DialogTemplate& aboutDialogTemplate() {
  using Kind = platform::DialogControl::Kind;
  // Dialog units; the product and version texts are placeholders filled in at start.
  static const platform::DialogTemplate dialog{
      kAboutDialogId,
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
