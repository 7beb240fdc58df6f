// Files of the user's that the host tools write: where a user's data goes, and replacing
// a file in one step so that a failed or interrupted write never leaves half a file or
// destroys the old one.
#pragma once

#include <string>

namespace gw::platform {

// The folder for this application's data of the user's own:
// $XDG_DATA_HOME/com.tarnwell.glimmerwick (default ~/.local/share/...) on Linux,
// %APPDATA%\com.tarnwell.glimmerwick on Windows. Empty when nothing says where.
// Thread: any.
std::string userDataFolder();

// A new file beside its target (same folder, so the final rename stays on one file
// system) that replaces the target only when committed. Until then the target is left as
// it was; an uncommitted file is removed when this object goes. Thread: one at a time.
class ReplacementFile {
 public:
  ReplacementFile() = default;
  ~ReplacementFile() { discard(); }
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  // Creates the empty temporary file, readable as any new file of the user's is. False
  // with the system's reason ("No such file or directory") when the folder cannot take it.
  bool create(const std::string& target, std::string& error);
  // The temporary file, to be written by name.
  const std::string& path() const { return path_; }
  // Puts the written file on disk and renames it over the target.
  bool commit(std::string& error);
  // Removes the temporary file, if any.
  void discard();

 private:
  std::string target_;
  std::string path_;
};

}  // namespace gw::platform
