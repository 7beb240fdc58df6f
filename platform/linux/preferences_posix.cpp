#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <vector>

#include "platform/preferences.h"

namespace gw::platform {
namespace {

// A preferences file is a few lines; anything far larger is not ours and counts as
// malformed rather than being read into memory.
constexpr std::streamsize kMaxFileBytes = 64 * 1024;

std::mutex writeMutex;

std::string configHome() {
  // Relative values are invalid by the XDG rules and are ignored.
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/') {
    return xdg;
  }
  std::string home;
  if (const char* env = std::getenv("HOME"); env != nullptr && env[0] == '/') {
    home = env;
  } else if (const passwd* pw = getpwuid(getuid()); pw != nullptr && pw->pw_dir != nullptr) {
    home = pw->pw_dir;
  }
  return home.empty() ? std::string() : home + "/.config";
}

std::string_view trim(std::string_view s) {
  const auto first = s.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  const auto last = s.find_last_not_of(" \t\r");
  return s.substr(first, last - first + 1);
}

// Splits "name=value"; false for comments and lines without '='.
bool splitLine(std::string_view line, std::string_view& name, std::string_view& value) {
  const auto eq = line.find('=');
  if (eq == std::string_view::npos || trim(line).starts_with('#')) return false;
  name = trim(line.substr(0, eq));
  value = trim(line.substr(eq + 1));
  return !name.empty();
}

// Decimal; the whole signed and unsigned 32-bit range is accepted, as a DWORD holds
// either reading of its bits. Anything else, including wider values, is malformed.
bool parseValue(std::string_view text, std::int32_t& value) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  long long wide = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), wide);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return false;
  if (wide < INT32_MIN || wide > static_cast<long long>(UINT32_MAX)) return false;
  value = static_cast<std::int32_t>(static_cast<std::uint32_t>(wide));
  return true;
}

bool readLines(const std::string& path, std::vector<std::string>& lines) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  in.seekg(0, std::ios::end);
  const std::streamsize size = in.tellg();
  if (size < 0 || size > kMaxFileBytes) return false;
  in.seekg(0);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return true;
}

bool makeDirectories(const std::string& path) {
  for (std::size_t pos = 1; pos <= path.size(); ++pos) {
    if (pos != path.size() && path[pos] != '/') continue;
    const std::string part = path.substr(0, pos);
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool writeAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Readers see the old file or the new one, never a part: the new content goes to a
// temporary file in the same folder that then replaces the old one.
bool replaceFile(const std::string& dir, const std::string& path, const std::string& text) {
  std::string temp = dir + "/.preferences.XXXXXX";
  const int fd = mkstemp(temp.data());
  if (fd < 0) return false;
  bool ok = writeAll(fd, text) && fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (ok) ok = std::rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

}  // namespace

std::string preferencesPath() {
  const std::string home = configHome();
  if (home.empty()) return {};
  return home + "/" + std::string(kAppId) + "/preferences";
}

std::int32_t readPreference(std::string_view name, std::int32_t defaultValue) {
  const std::string path = preferencesPath();
  std::vector<std::string> lines;
  if (path.empty() || !readLines(path, lines)) return defaultValue;
  std::int32_t result = defaultValue;
  for (const auto& line : lines) {
    std::string_view key, text;
    std::int32_t value = 0;
    if (splitLine(line, key, text) && key == name && parseValue(text, value)) result = value;
  }
  return result;
}

void writePreference(std::string_view name, std::int32_t value) {
  // Such a name could not be read back from a name=value line.
  if (name.empty() || name != trim(name) || name.find_first_of("=\n\r#") != name.npos) return;
  std::lock_guard lock(writeMutex);
  const std::string home = configHome();
  if (home.empty()) return;
  const std::string dir = home + "/" + std::string(kAppId);
  if (!makeDirectories(dir)) return;
  const std::string path = dir + "/preferences";

  std::vector<std::string> lines;
  readLines(path, lines);
  const std::string entry = std::string(name) + "=" + std::to_string(value);
  bool written = false;
  std::string text;
  // Other lines, even ones we cannot read, are kept as they are.
  for (const auto& line : lines) {
    std::string_view key, old;
    if (splitLine(line, key, old) && key == name) {
      if (written) continue;
      text += entry + "\n";
      written = true;
    } else {
      text += line + "\n";
    }
  }
  if (!written) text += entry + "\n";
  replaceFile(dir, path, text);
}

}  // namespace gw::platform
