// Per-user preferences: 32-bit integers by name. On Windows REG_DWORD values under
// HKEY_CURRENT_USER\com.tarnwell.glimmerwick; on X11 the file
// $XDG_CONFIG_HOME/com.tarnwell.glimmerwick/preferences (default ~/.config) as name=value
// lines, written atomically; without a window system, memory for the process's life.
// Missing, unreadable or malformed content (a value of another type or size) yields the
// default.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace gw::platform {

constexpr std::string_view kAppId = "com.tarnwell.glimmerwick";

// Thread: any; writers in one process are serialised, readers never see a half-written file.
std::int32_t readPreference(std::string_view name, std::int32_t defaultValue);
// Failures are ignored, as a registry write's would be.
void writePreference(std::string_view name, std::int32_t value);
// Where the two functions keep the values (for tests and messages).
std::string preferencesPath();

}  // namespace gw::platform
