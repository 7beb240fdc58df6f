#include <windows.h>

#include <cstdlib>

#include "platform/files.h"
#include "platform/preferences.h"
#include "platform/system.h"

namespace gw::platform {
namespace {

std::string folderOf(const std::string& path) {
  const auto slash = path.find_last_of("/\\");
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

}  // namespace

std::string userDataFolder() {
  const char* appData = std::getenv("APPDATA");
  if (appData == nullptr || appData[0] == '\0') return {};
  return std::string(appData) + "\\" + std::string(kAppId);
}

bool ReplacementFile::create(const std::string& target, std::string& error) {
  discard();
  char name[MAX_PATH] = {};
  // Creates a new, uniquely named empty file in the folder.
  if (GetTempFileNameA(folderOf(target).c_str(), "gw", 0, name) == 0) {
    error = lastErrorText();
    return false;
  }
  target_ = target;
  path_ = name;
  return true;
}

bool ReplacementFile::commit(std::string& error) {
  if (path_.empty()) {
    error = "nothing was written";
    return false;
  }
  HANDLE file = CreateFileA(path_.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  bool ok = file != INVALID_HANDLE_VALUE && FlushFileBuffers(file) != 0;
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  ok = ok && MoveFileExA(path_.c_str(), target_.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  if (!ok) {
    error = lastErrorText();
    discard();
    return false;
  }
  path_.clear();
  return true;
}

void ReplacementFile::discard() {
  if (path_.empty()) return;
  DeleteFileA(path_.c_str());
  path_.clear();
}

}  // namespace gw::platform
