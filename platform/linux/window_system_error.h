// The last window-system failure on the calling thread, as text: what the OS's last-error
// text reports when the failing call was an X or GLX one rather than a C library one.
#pragma once

#include <string>

namespace gw::platform {

// Returns the text (empty when there was none) and forgets it.
std::string takeWindowSystemError();

}  // namespace gw::platform
