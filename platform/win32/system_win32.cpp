#include <windows.h>

#include <string>

#include "platform/native_message_box.h"
#include "platform/system.h"
#include "platform/win32/text.h"

namespace gw::platform {

void showNativeMessageBox(std::string_view text, std::string_view caption, bool warning) {
  const std::string message(text);
  const std::string title(caption);
  MessageBoxA(nullptr, message.c_str(), title.c_str(), MB_OK | (warning ? MB_ICONWARNING : 0u));
}

std::string lastErrorText() {
  return win32::errorText(GetLastError());
}

}  // namespace gw::platform
