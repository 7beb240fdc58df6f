#include <cpuid.h>
#include <windows.h>

#include <string>

#include "platform/native_message_box.h"
#include "platform/system.h"
#include "platform/win32/text.h"

namespace gw::platform {
namespace {

// Processors before the late 486 have no CPUID and fault on it; GCC has no structured
// exception handling to catch that, but such a processor cannot toggle EFLAGS bit 21.
bool hasCpuidInstruction() {
#if defined(__i386__)
  unsigned long original = 0;
  unsigned long toggled = 0;
  asm volatile(
      "pushfl\n\t"
      "pushfl\n\t"
      "popl %0\n\t"
      "movl %0, %1\n\t"
      "xorl $0x200000, %0\n\t"
      "pushl %0\n\t"
      "popfl\n\t"
      "pushfl\n\t"
      "popl %0\n\t"
      "popfl\n\t"
      : "=&r"(toggled), "=&r"(original)
      :
      : "cc");
  return ((toggled ^ original) & 0x200000) != 0;
#else
  return true;
#endif
}

}  // namespace

bool cpuHasSse2() {
  if (!hasCpuidInstruction()) return false;
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  // __get_cpuid checks the highest leaf first and reports false when leaf 1 is missing.
  if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return false;
  return (edx & (1u << 26)) != 0;
}

void showNativeMessageBox(std::string_view text, std::string_view caption, bool warning) {
  const std::string message(text);
  const std::string title(caption);
  MessageBoxA(nullptr, message.c_str(), title.c_str(), MB_OK | (warning ? MB_ICONWARNING : 0u));
}

std::string lastErrorText() {
  return win32::errorText(GetLastError());
}

}  // namespace gw::platform
