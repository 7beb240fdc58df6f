// Preferences of a build without a window system: kept for the life of the process only.
#include <map>
#include <mutex>

#include "platform/preferences.h"

namespace gw::platform {
namespace {

std::mutex mutex;
std::map<std::string, std::int32_t, std::less<>>& values() {
  static std::map<std::string, std::int32_t, std::less<>> map;
  return map;
}

}  // namespace

std::int32_t readPreference(std::string_view name, std::int32_t defaultValue) {
  std::lock_guard lock(mutex);
  const auto found = values().find(name);
  return found == values().end() ? defaultValue : found->second;
}

void writePreference(std::string_view name, std::int32_t value) {
  if (name.empty()) return;
  std::lock_guard lock(mutex);
  values()[std::string(name)] = value;
}

std::string preferencesPath() {
  return {};
}

}  // namespace gw::platform
