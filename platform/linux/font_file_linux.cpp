#include <fontconfig/fontconfig.h>
#include <unistd.h>

#include <cstdlib>
#include <mutex>

#include "platform/font_file.h"

namespace gw::platform {
namespace {

// The file fontconfig would use for family, when the match really is that family (a
// fontconfig match never fails: it substitutes the closest face it has).
std::string matchFamily(FcConfig* config, const char* family) {
  std::string path;
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(family));
  if (pattern == nullptr) return path;
  FcConfigSubstitute(config, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(config, pattern, &result);
  FcChar8* matchedFamily = nullptr;
  FcChar8* file = nullptr;
  if (match != nullptr &&
      FcPatternGetString(match, FC_FAMILY, 0, &matchedFamily) == FcResultMatch &&
      FcStrCmpIgnoreCase(matchedFamily, reinterpret_cast<const FcChar8*>(family)) == 0 &&
      FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
    path = reinterpret_cast<const char*>(file);
  }
  if (match != nullptr) FcPatternDestroy(match);
  FcPatternDestroy(pattern);
  return path;
}

}  // namespace

std::string editorFontPath() {
  if (const char* windir = std::getenv("WINDIR"); windir != nullptr && *windir != '\0') {
    return std::string(windir) + "/fonts/tahoma.ttf";
  }
  // Looked up once a process: scanning the fonts takes tens of milliseconds, and the
  // editor opens again and again. A configuration of our own, not the process-wide one
  // FcInit keeps: the host may use fontconfig itself, and a module must not leave its
  // state behind.
  static std::mutex mutex;
  static std::string found;
  std::lock_guard lock(mutex);
  if (!found.empty()) return found;
  if (FcConfig* config = FcInitLoadConfigAndFonts(); config != nullptr) {
    found = matchFamily(config, "Tahoma");
    if (found.empty()) found = matchFamily(config, "DejaVu Sans");
    FcConfigDestroy(config);
  }
  // Named in the message when nothing was found: where Debian keeps the fallback.
  return found.empty() ? "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf" : found;
}

bool isReadableFile(const std::string& path) {
  return !path.empty() && access(path.c_str(), R_OK) == 0;
}

// fontconfig has already answered with a file.
FontData editorFontData() {
  return {};
}

}  // namespace gw::platform
