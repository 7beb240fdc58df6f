// The modal About/Preferences dialog (dialog 102): maker, product and version, and the
// floating-tooltip check box, which takes effect and is stored when clicked.
#pragma once

#include <cstdint>

#include "platform/dialog.h"

namespace gw {

// The dialog procedure, for the platform's modal loop.
platform::DialogProcedure aboutDialogProcedure();
// Thread: UI. Runs the dialog owned by the host's window; returns the id that ended it,
// or -1 when it could not be shown.
int runAboutDialog(std::uintptr_t owner);

}  // namespace gw
