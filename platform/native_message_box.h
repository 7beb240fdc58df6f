// The window-system half of a message box: shows it and waits for its dismissal.
// Does nothing when no display is reachable. One implementation per OS.
#pragma once

#include <string_view>

namespace gw::platform {

void showNativeMessageBox(std::string_view text, std::string_view caption, bool warning);

}  // namespace gw::platform
