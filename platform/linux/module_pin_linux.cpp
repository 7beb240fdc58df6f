#include <dlfcn.h>

#include <atomic>

#include "platform/module_pin.h"

namespace gw::platform {

bool keepModuleMapped() {
  static std::atomic<bool> pinned{false};
  if (pinned.load(std::memory_order_acquire)) return true;
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&keepModuleMapped), &info) == 0 || info.dli_fname == nullptr) {
    return false;
  }
  // RTLD_NOLOAD finds the copy already mapped, and RTLD_NODELETE marks it so that no
  // dlclose unmaps it. For a program the name is its own, and nothing changes. The
  // reference this takes is never dropped: it belongs to the pin.
  void* self = dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
  if (self == nullptr) return false;
  pinned.store(true, std::memory_order_release);
  return true;
}

}  // namespace gw::platform
