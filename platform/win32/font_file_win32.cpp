#include <windows.h>

#include <cstdlib>

#include "platform/font_collection.h"
#include "platform/font_file.h"
#include "platform/win32/text.h"

namespace gw::platform {
namespace {

// GDI takes a table's tag as its four characters in file order read as a little-endian
// word: "ttcf", the whole collection a face belongs to.
constexpr DWORD kCollectionTag = 0x66637474;

// The whole of one of the selected font's tables (0: the whole font file); empty when GDI
// has no such table or the font is not TrueType.
std::vector<unsigned char> selectedFontData(HDC dc, DWORD table) {
  const DWORD size = GetFontData(dc, table, 0, nullptr, 0);
  if (size == GDI_ERROR || size == 0) return {};
  std::vector<unsigned char> bytes(size);
  if (GetFontData(dc, table, 0, bytes.data(), size) != size) return {};
  return bytes;
}

}  // namespace

std::string editorFontPath() {
  const char* windir = std::getenv("WINDIR");
  const std::string directory = (windir != nullptr && *windir != '\0') ? windir : "c:\\windows";
  return directory + "\\fonts\\tahoma.ttf";
}

bool isReadableFile(const std::string& path) {
  if (path.empty()) return false;
  HANDLE file = CreateFileW(win32::widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

FontData editorFontData() {
  FontData data;
  HDC dc = CreateCompatibleDC(nullptr);
  if (dc == nullptr) return data;
  // OUT_TT_ONLY_PRECIS: FreeType needs an outline file, so the mapper must not settle on
  // a bitmap face. The height is the editor's face size; the file is the same at any.
  HFONT font =
      CreateFontW(-28, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_TT_ONLY_PRECIS,
                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, L"Tahoma");
  if (font != nullptr) {
    const HGDIOBJ previous = SelectObject(dc, font);
    wchar_t face[LF_FACESIZE] = {};
    if (GetTextFaceW(dc, LF_FACESIZE, face) > 0) data.faceName = win32::narrow(face);
    data.bytes = selectedFontData(dc, 0);
    // A face of a collection counts its tables' offsets from the collection's start.
    if (const auto whole = selectedFontData(dc, kCollectionTag); isFontCollection(whole)) {
      data.bytes = faceOfCollection(whole, data.bytes);
    }
    SelectObject(dc, previous);
    DeleteObject(font);
  }
  DeleteDC(dc);
  return data;
}

}  // namespace gw::platform
