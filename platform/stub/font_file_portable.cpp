// The font file without a font service to ask: the Windows fonts folder when WINDIR names
// one, else where Debian keeps the fallback face.
#include <cstdlib>
#include <fstream>

#include "platform/font_file.h"

namespace gw::platform {

std::string editorFontPath() {
  if (const char* windir = std::getenv("WINDIR"); windir != nullptr && *windir != '\0') {
    return std::string(windir) + "/fonts/tahoma.ttf";
  }
  return "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
}

bool isReadableFile(const std::string& path) {
  return !path.empty() && std::ifstream(path, std::ios::binary).good();
}

FontData editorFontData() {
  return {};
}

}  // namespace gw::platform
