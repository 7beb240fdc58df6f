#include <windows.h>

#include "platform/module_loader.h"
#include "platform/win32/text.h"

namespace gw::platform {

namespace {

// The absolute path: LoadLibrary searches the program's and the system's folders for a
// bare name, and searches the module's own folder for its dependencies only when given
// an absolute path.
std::wstring absolutePath(const std::string& path) {
  bool bare = path.find_first_of("/\\:") == std::string::npos;
  std::wstring file = win32::widen(bare ? ".\\" + path : path);
  wchar_t full[MAX_PATH * 4];
  DWORD length = GetFullPathNameW(file.c_str(), MAX_PATH * 4, full, nullptr);
  if (length > 0 && length < MAX_PATH * 4) file.assign(full, length);
  return file;
}

}  // namespace

ModuleHandle loadModule(const std::string& path, std::string& error) {
  if (path.empty()) {
    error = "no module file given";
    return nullptr;
  }
  std::wstring file = absolutePath(path);
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

bool isModuleLoaded(const std::string& path) {
  if (path.empty()) return false;
  HMODULE handle = nullptr;
  return GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            absolutePath(path).c_str(), &handle) != 0;
}

}  // namespace gw::platform
