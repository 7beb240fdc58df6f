// Where the editor's TrueType face is found on this system.
#pragma once

#include <string>

namespace gw::platform {

// Thread: any. The path of the editor's text face: the Windows fonts folder's
// "tahoma.ttf" under WINDIR when that variable is set (as on Windows); otherwise the
// system's "Tahoma", or "DejaVu Sans" where no Tahoma is installed. The path may name a
// file that does not exist; the caller checks and reports it.
std::string editorFontPath();

// Thread: any. True when the file can be opened for reading.
bool isReadableFile(const std::string& path);

}  // namespace gw::platform
