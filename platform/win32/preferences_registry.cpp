// Preferences as REG_DWORD values under HKEY_CURRENT_USER\com.tarnwell.glimmerwick.
#include <windows.h>

#include "platform/preferences.h"

namespace gw::platform {
namespace {

const std::string& keyName() {
  static const std::string name(kAppId);
  return name;
}

}  // namespace

std::int32_t readPreference(std::string_view name, std::int32_t defaultValue) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, keyName().c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return defaultValue;
  }
  const std::string valueName(name);
  DWORD type = 0;
  DWORD value = 0;
  DWORD size = sizeof value;
  const LONG status = RegQueryValueExA(key, valueName.c_str(), nullptr, &type,
                                       reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  // A value of another type or size was not written by us: its bytes mean nothing here.
  if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof value) return defaultValue;
  return static_cast<std::int32_t>(value);
}

void writePreference(std::string_view name, std::int32_t value) {
  if (name.empty()) return;
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, keyName().c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return;
  }
  const std::string valueName(name);
  const DWORD data = static_cast<DWORD>(value);
  RegSetValueExA(key, valueName.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                 sizeof data);
  RegCloseKey(key);
}

std::string preferencesPath() {
  return "HKEY_CURRENT_USER\\" + keyName();
}

}  // namespace gw::platform
