#include "platform/win32/text.h"

#include <windows.h>

#include <cstdio>

namespace gw::platform::win32 {

namespace {
constexpr std::size_t kMaxErrorText = 300;
}

std::wstring widen(std::string_view utf8) {
  if (utf8.empty()) return {};
  int size = static_cast<int>(utf8.size());
  int count = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  if (count <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(count), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), count);
  return wide;
}

std::string narrow(std::wstring_view utf16) {
  if (utf16.empty()) return {};
  const int size = static_cast<int>(utf16.size());
  const int count =
      WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, nullptr, 0, nullptr, nullptr);
  if (count <= 0) return {};
  std::string utf8(static_cast<std::size_t>(count), '\0');
  WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, utf8.data(), count, nullptr, nullptr);
  return utf8;
}

std::string errorText(unsigned long code) {
  // The system allocates: a fixed buffer would make texts longer than it fail outright.
  char* message = nullptr;
  DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&message), 0, nullptr);
  std::string text;
  if (message != nullptr) {
    text.assign(message, length);
    LocalFree(message);
  }
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
    text.pop_back();
  }
  if (text.empty()) {
    char fallback[32];
    std::snprintf(fallback, sizeof fallback, "error %lu", code);
    text = fallback;
  }
  if (text.size() > kMaxErrorText) text.resize(kMaxErrorText);
  return text;
}

}  // namespace gw::platform::win32
