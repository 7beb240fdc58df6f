#include "platform/linux/window_system_error.h"
#include "platform/native_message_box.h"

namespace gw::platform {

// Built without a window system: the text on standard error is all there is.
void showNativeMessageBox(std::string_view, std::string_view, bool) {}

std::string takeWindowSystemError() {
  return {};
}

}  // namespace gw::platform
