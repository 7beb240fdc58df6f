#include "host/standalone/callback_log.h"

#include <cstdio>

namespace gw::standalone {

void CallbackLog::tick() {
  // Editors call back on this same thread, so nothing arrives between the copy and the clear.
  const auto records = plugin_.callbacks();
  if (records.empty()) return;
  plugin_.clearCallbacks();
  if (!print_) return;
  for (const auto& r : records) {
    switch (r.opcode) {
      case vst::audioMasterAutomate:
        std::printf("automate %d %.9g\n", r.index, static_cast<double>(r.opt));
        break;
      case vst::audioMasterBeginEdit:
        std::printf("begin-edit %d\n", r.index);
        break;
      case vst::audioMasterEndEdit:
        std::printf("end-edit %d\n", r.index);
        break;
      case vst::audioMasterUpdateDisplay:
        std::printf("update-display\n");
        break;
      default:
        break;
    }
  }
  std::fflush(stdout);
}

}  // namespace gw::standalone
