#include <windows.h>

#include "platform/module_loader.h"
#include "platform/win32/text.h"

namespace gw::platform {

ModuleHandle loadModule(const std::string& path, std::string& error) {
  if (path.empty()) {
    error = "no module file given";
    return nullptr;
  }
  // LoadLibrary searches the program's and the system's folders for a bare name.
  bool bare = path.find_first_of("/\\:") == std::string::npos;
  std::wstring file = win32::widen(bare ? ".\\" + path : path);
  // The module's own folder is searched for its dependencies only with an absolute path.
  wchar_t full[MAX_PATH * 4];
  DWORD length = GetFullPathNameW(file.c_str(), MAX_PATH * 4, full, nullptr);
  if (length > 0 && length < MAX_PATH * 4) file.assign(full, length);
  // A missing dependency must fail the call, not open a system dialog nobody answers.
  DWORD previousMode = 0;
  SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previousMode);
  HMODULE handle = LoadLibraryExW(file.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  DWORD code = GetLastError();
  SetThreadErrorMode(previousMode, nullptr);
  if (handle == nullptr) error = path + ": " + win32::errorText(code);
  return handle;
}

void* findModuleSymbol(ModuleHandle module, const char* name) {
  if (module == nullptr || name == nullptr) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

void unloadModule(ModuleHandle module) {
  if (module != nullptr) FreeLibrary(static_cast<HMODULE>(module));
}

}  // namespace gw::platform
