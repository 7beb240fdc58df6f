#include "engine/processor.h"

#include <cpuid.h>

namespace gw {
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

bool processorHasSse2() {
  if (!hasCpuidInstruction()) return false;
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  // __get_cpuid checks the highest leaf first and reports false when leaf 1 is missing.
  if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return false;
  return (edx & (1u << 26)) != 0;
}

}  // namespace gw
