// Text conversions shared by the Win32 backend.
#pragma once

#include <string>
#include <string_view>

namespace gw::platform::win32 {

// UTF-8 to the UTF-16 the wide Win32 calls take; invalid bytes become U+FFFD.
std::wstring widen(std::string_view utf8);
// UTF-16 from a wide Win32 call to UTF-8; unpaired surrogates become U+FFFD.
std::string narrow(std::wstring_view utf16);

// The system's text for an error code (FormatMessageA), without the trailing line break,
// at most 300 characters; "error N" when the system has no text for it.
std::string errorText(unsigned long code);

}  // namespace gw::platform::win32
