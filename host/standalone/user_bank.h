// The standalone keeps the user's sounds: every program of the module (names and values)
// in a VST bank file, restored when it starts and saved when it quits.
#pragma once

#include <string>

#include "host/host_library.h"

namespace gw::standalone {

// <user data folder>/<unique id>.fxb ("~/.local/share/com.tarnwell.glimmerwick/TWgw.fxb"):
// one file per module, so another module never meets Glimmerwick's bank. Empty when the
// system names no data folder.
std::string defaultBankPath(host::Plugin& plugin);

class UserBank {
 public:
  // Loads the bank into the plug-in. A missing file leaves the module's own programs (and
  // is written at quit); a damaged or foreign one is refused on standard error, the
  // module's programs stay, and the file is never saved over.
  void restore(host::Plugin& plugin, const std::string& path);
  // Saves every program to the file, creating its folder; a failure says so on standard
  // error and leaves the old file as it was. False when the programs were not saved.
  bool save(host::Plugin& plugin);

 private:
  std::string path_;
  bool keep_ = false;
};

}  // namespace gw::standalone
