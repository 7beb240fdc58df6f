#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

#include "platform/files.h"
#include "platform/preferences.h"

namespace gw::platform {
namespace {

std::string systemError() {
  return std::strerror(errno);
}

std::string folderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Flushes a file (or folder) to disk by name.
bool syncPath(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = fsync(fd) == 0;
  ::close(fd);
  return synced;
}

}  // namespace

std::string userDataFolder() {
  // Relative values are invalid by the XDG rules and are ignored.
  std::string base;
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && xdg[0] == '/') {
    base = xdg;
  } else {
    std::string home;
    if (const char* env = std::getenv("HOME"); env != nullptr && env[0] == '/') {
      home = env;
    } else if (const passwd* pw = getpwuid(getuid()); pw != nullptr && pw->pw_dir != nullptr) {
      home = pw->pw_dir;
    }
    if (home.empty()) return {};
    base = home + "/.local/share";
  }
  return base + "/" + std::string(kAppId);
}

bool ReplacementFile::create(const std::string& target, std::string& error) {
  discard();
  // open() rather than mkstemp(): the file gets the mode the umask gives new files, as
  // the target would have had.
  std::random_device seed;
  std::mt19937 random(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".%06x.part", static_cast<unsigned>(random() & 0xFFFFFF));
    const std::string candidate = target + suffix;
    const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      ::close(fd);
      target_ = target;
      path_ = candidate;
      return true;
    }
    if (errno != EEXIST) break;
  }
  error = systemError();
  return false;
}

bool ReplacementFile::commit(std::string& error) {
  if (path_.empty()) {
    error = "nothing was written";
    return false;
  }
  if (!syncPath(path_) || std::rename(path_.c_str(), target_.c_str()) != 0) {
    error = systemError();
    discard();
    return false;
  }
  path_.clear();
  // The rename itself reaches the disk with the folder's entry.
  syncPath(folderOf(target_));
  return true;
}

void ReplacementFile::discard() {
  if (path_.empty()) return;
  ::unlink(path_.c_str());
  path_.clear();
}

}  // namespace gw::platform
