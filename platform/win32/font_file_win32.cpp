#include <windows.h>

#include <cstdlib>

#include "platform/font_file.h"
#include "platform/win32/text.h"

namespace gw::platform {

std::string editorFontPath() {
  const char* windir = std::getenv("WINDIR");
  const std::string directory = (windir != nullptr && *windir != '\0') ? windir : "c:\\windows";
  return directory + "\\fonts\\tahoma.ttf";
}

bool isReadableFile(const std::string& path) {
  if (path.empty()) return false;
  HANDLE file = CreateFileW(win32::widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

}  // namespace gw::platform
