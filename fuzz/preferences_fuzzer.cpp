// The preferences file as the editor reads it, whatever a user or another program left
// there; and the rewrite that keeps foreign lines when one value changes.
#include <sys/stat.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/preferences.h"

namespace {

const char* const kNames[] = {"GUI scale", "Enable eye candy", "Enable constant redraw",
                              "Enable floating tooltip"};
std::string path;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char dir[] = "/tmp/gw-fuzz-prefs-XXXXXX";
  if (mkdtemp(dir) == nullptr) std::abort();
  setenv("XDG_CONFIG_HOME", dir, 1);
  const std::string app = std::string(dir) + "/" + std::string(gw::platform::kAppId);
  mkdir(app.c_str(), 0700);
  path = gw::platform::preferencesPath();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte picks what happens after the read; the rest is the file.
  const std::uint8_t mode = data[0];
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) std::abort();
  std::fwrite(data + 1, 1, size - 1, file);
  std::fclose(file);
  for (const char* name : kNames) (void)gw::platform::readPreference(name, -7);
  if (mode % 16 == 0) {
    // A write keeps the other lines and must read back as written.
    const char* name = kNames[(mode / 16) % 4];
    gw::platform::writePreference(name, mode);
    if (gw::platform::readPreference(name, -7) != mode) __builtin_trap();
  }
  return 0;
}
