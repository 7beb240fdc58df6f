#include <cpuid.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "platform/linux/native_message_box.h"
#include "platform/linux/window_system_error.h"
#include "platform/system.h"

namespace gw::platform {
namespace {

std::mutex sinkMutex;
MessageSink& sinkSlot() {
  static MessageSink sink;
  return sink;
}

}  // namespace

bool cpuHasSse2() {
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  // __get_cpuid checks the highest leaf first and reports false when leaf 1 is missing.
  if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return false;
  return (edx & (1u << 26)) != 0;
}

void setMessageSink(MessageSink sink) {
  std::lock_guard lock(sinkMutex);
  sinkSlot() = std::move(sink);
}

void showMessageBox(std::string_view text, std::string_view caption, MessageIcon icon) {
  std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(caption.size()), caption.data(),
               static_cast<int>(text.size()), text.data());
  MessageSink sink;
  {
    std::lock_guard lock(sinkMutex);
    sink = sinkSlot();
  }
  if (sink) {
    sink(text, caption);
  } else {
    showNativeMessageBox(text, caption, icon == MessageIcon::Warning);
  }
}

std::string lastErrorText() {
  std::string text = takeWindowSystemError();
  if (text.empty()) text = std::strerror(errno);
  if (text.size() > 300) text.resize(300);
  return text;
}

}  // namespace gw::platform
