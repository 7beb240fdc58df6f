// Takes the plug-in's recorded callbacks once per tick, so a long session does not
// collect them without bound, and prints the parameter edits when asked to: GUI tests
// drive the editor with the pointer and read what the host was told.
#pragma once

#include "host/host_library.h"
#include "host/standalone/main_loop.h"

namespace gw::standalone {

class CallbackLog final : public LoopClient {
 public:
  CallbackLog(host::Plugin& plugin, bool print) : plugin_(plugin), print_(print) {}
  // Thread: main. Prints "automate INDEX VALUE", "begin-edit INDEX", "end-edit INDEX" and
  // "update-display" lines on standard output.
  void tick() override;

 private:
  host::Plugin& plugin_;
  bool print_;
};

}  // namespace gw::standalone
