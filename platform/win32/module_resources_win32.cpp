#include <windows.h>

#include "platform/module_resources.h"
#include "platform/win32/module_instance.h"

namespace gw::platform {

std::span<const std::byte> findModuleResource(int type, int id) {
  const HMODULE module = win32::moduleInstance();
  const HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(type));
  if (found == nullptr) return {};
  const HGLOBAL loaded = LoadResource(module, found);
  const DWORD size = SizeofResource(module, found);
  const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (data == nullptr || size == 0) return {};
  return {static_cast<const std::byte*>(data), size};
}

}  // namespace gw::platform
