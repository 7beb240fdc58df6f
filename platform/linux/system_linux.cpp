#include <cerrno>
#include <cstring>

#include "platform/linux/window_system_error.h"
#include "platform/system.h"

namespace gw::platform {

std::string lastErrorText() {
  std::string text = takeWindowSystemError();
  if (text.empty()) text = std::strerror(errno);
  if (text.size() > 300) text.resize(300);
  return text;
}

}  // namespace gw::platform
