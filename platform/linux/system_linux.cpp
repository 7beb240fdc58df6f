#include <cpuid.h>

#include <cerrno>
#include <cstring>

#include "platform/linux/window_system_error.h"
#include "platform/system.h"

namespace gw::platform {

bool cpuHasSse2() {
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  // __get_cpuid checks the highest leaf first and reports false when leaf 1 is missing.
  if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return false;
  return (edx & (1u << 26)) != 0;
}

std::string lastErrorText() {
  std::string text = takeWindowSystemError();
  if (text.empty()) text = std::strerror(errno);
  if (text.size() > 300) text.resize(300);
  return text;
}

}  // namespace gw::platform
