#include "editor/about_dialog.h"

#include <cstdio>

#include "gfx/display_flags.h"
#include "resources/resource_table.h"

namespace gw {

namespace about = resources::about;

platform::DialogProcedure aboutDialogProcedure() {
  platform::DialogProcedure procedure;
  procedure.initDialog = [](platform::DialogHandle& dialog) {
    char version[32];
    std::snprintf(version, sizeof version, "%d.%d.%d", 1, 0, 11);
    dialog.setItemText(about::kProduct, "Glimmerwick");
    dialog.setItemText(about::kVersion, version);
    dialog.setChecked(about::kFloatingTooltip,
                      displayFlags().floatingTooltip.load(std::memory_order_relaxed));
  };
  procedure.command = [](platform::DialogHandle& dialog, int id) {
    if (id == about::kOk || id == about::kCancel) {
      dialog.end(id);
    } else if (id == about::kFloatingTooltip) {
      toggleFloatingTooltip();
    }
  };
  return procedure;
}

int runAboutDialog(std::uintptr_t owner) {
  return platform::runModalDialog(owner, resources::aboutDialogTemplate(), aboutDialogProcedure());
}

}  // namespace gw
