// Writes an RGBA image as a PNG file.
#pragma once

#include <string>

#include "platform/top_level_window.h"

namespace gw::standalone {

// False with error set when the file cannot be written.
bool writePng(const std::string& path, const platform::TopLevelWindow::Image& image,
              std::string& error);

}  // namespace gw::standalone
