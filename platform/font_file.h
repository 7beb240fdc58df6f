// Where the editor's TrueType face is found on this system: a file, or the whole font
// file in memory as the system's font service hands it out.
#pragma once

#include <string>
#include <vector>

namespace gw::platform {

// Thread: any. The path of the editor's text face: the Windows fonts folder's
// "tahoma.ttf" under WINDIR when that variable is set (as on Windows); otherwise the
// system's "Tahoma", or "DejaVu Sans" where no Tahoma is installed. The path may name a
// file that does not exist; the caller checks and reports it.
std::string editorFontPath();

// Thread: any. True when the file can be opened for reading.
bool isReadableFile(const std::string& path);

// A face as a font service hands it out: a whole TrueType or OpenType file.
struct FontData {
  std::string faceName;  // the face the service chose, which may stand in for the one asked
  std::vector<unsigned char> bytes;  // empty when the service had nothing
};

// Thread: any. The editor's face from the system's font service, for where
// editorFontPath() cannot be opened: Windows keeps fonts outside its fonts folder
// (per-user fonts, Wine's own), and GDI's font mapper answers for "Tahoma" with the face
// it has. Empty on systems whose lookup already gives a path (fontconfig) or that have
// no such service.
FontData editorFontData();

}  // namespace gw::platform
