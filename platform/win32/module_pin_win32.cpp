#include <windows.h>

#include "platform/module_pin.h"

namespace gw::platform {

bool keepModuleMapped() {
  HMODULE self = nullptr;
  // GET_MODULE_HANDLE_EX_FLAG_PIN: no FreeLibrary unloads the module afterwards.
  return GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                            reinterpret_cast<LPCWSTR>(reinterpret_cast<void*>(&keepModuleMapped)),
                            &self) != 0;
}

}  // namespace gw::platform
