#include "platform/win32/module_instance.h"

namespace gw::platform::win32 {

HINSTANCE moduleInstance() {
  static const HINSTANCE instance = [] {
    HMODULE module = nullptr;
    // Any address inside this module names it; the reference count stays as it is, as
    // the module cannot be unloaded while its own code runs.
    GetModuleHandleExA(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCSTR>(&moduleInstance), &module);
    return module;
  }();
  return instance;
}

}  // namespace gw::platform::win32
