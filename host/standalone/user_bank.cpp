#include "host/standalone/user_bank.h"

#include <cstdio>
#include <filesystem>

#include "host/program_bank.h"
#include "platform/files.h"

namespace gw::standalone {

std::string defaultBankPath(host::Plugin& plugin) {
  const std::string folder = platform::userDataFolder();
  if (folder.empty()) return {};
  return (std::filesystem::path(folder) / (host::uniqueIdText(plugin.effect()->uniqueID) + ".fxb"))
      .string();
}

void UserBank::restore(host::Plugin& plugin, const std::string& path) {
  path_ = path;
  // A module without programs or parameters has nothing to keep.
  keep_ = !path.empty() && plugin.effect()->numPrograms > 0 && plugin.effect()->numParams > 0;
  std::error_code ec;
  if (!keep_ || !std::filesystem::exists(path, ec)) return;
  std::string error;
  if (host::loadBankFile(path, plugin, error)) return;
  std::fprintf(stderr,
               "glimmerwick-standalone: %s; playing the module's own programs, and the file "
               "will not be saved over\n",
               error.c_str());
  keep_ = false;
}

bool UserBank::save(host::Plugin& plugin) {
  if (!keep_) return true;
  std::error_code ec;
  const std::filesystem::path folder = std::filesystem::path(path_).parent_path();
  if (!folder.empty()) std::filesystem::create_directories(folder, ec);
  std::string error;
  if (host::saveBankFile(path_, plugin, error)) return true;
  std::fprintf(stderr, "glimmerwick-standalone: %s; the programs of this session are not saved\n",
               error.c_str());
  return false;
}

}  // namespace gw::standalone
